// Text conversion on POSIX. The system code page is UTF-8; ASCII and Latin-1 are understood
// as well. Decoding is strict: overlong forms, encoded surrogates, values past U+10FFFF,
// truncated sequences and unpaired surrogates fail, as MB_ERR_INVALID_CHARS and
// WC_ERR_INVALID_CHARS do on Windows.
#include <cstring>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {

enum class Encoding { kUtf8, kAscii, kLatin1, kUnknown };

Encoding encodingOf(uint32 codePage) {
  switch (codePage) {
    case 0:      // system code page
    case 1:      // OEM code page
    case 3:      // thread code page
    case 65001:  // UTF-8
      return Encoding::kUtf8;
    case 20127:
      return Encoding::kAscii;
    case 28591:
      return Encoding::kLatin1;
    default:
      return Encoding::kUnknown;
  }
}

// Reads one code point at text[*at]; false on invalid input.
bool decodeUtf8(const unsigned char* text, int32 length, int32* at, uint32* codePoint) {
  uint32 lead = text[*at];
  int32 extra = 0;
  uint32 value = 0;
  uint32 minimum = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    ++*at;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return false;
  }
  if (*at + extra >= length) return false;  // truncated sequence
  for (int32 i = 1; i <= extra; ++i) {
    uint32 next = text[*at + i];
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *codePoint = value;
  *at += extra + 1;
  return true;
}

// Reads one code point of UTF-16 at text[*at]; false on an unpaired surrogate.
bool decodeUtf16(const char16* text, int32 length, int32* at, uint32* codePoint) {
  uint32 unit = text[*at];
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (*at + 1 >= length) return false;
    uint32 low = text[*at + 1];
    if (low < 0xDC00 || low > 0xDFFF) return false;
    *codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    *at += 2;
    return true;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
  *codePoint = unit;
  ++*at;
  return true;
}

}  // namespace

int32 multiByteToWide(uint32 codePage, const char* source, int32 sourceLength, char16* destination,
                      int32 capacity) {
  Encoding encoding = encodingOf(codePage);
  if (!source || sourceLength == 0 || sourceLength < -1 || capacity < 0) return 0;
  if (encoding == Encoding::kUnknown) return 0;
  int32 length = sourceLength < 0 ? static_cast<int32>(std::strlen(source)) + 1 : sourceLength;
  bool measureOnly = !destination || capacity == 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  int32 written = 0;
  for (int32 at = 0; at < length;) {
    uint32 codePoint = 0;
    if (encoding == Encoding::kUtf8) {
      if (!decodeUtf8(bytes, length, &at, &codePoint)) return 0;
    } else {
      codePoint = bytes[at++];
      if (encoding == Encoding::kAscii && codePoint >= 0x80) return 0;
    }
    int32 units = codePoint >= 0x10000 ? 2 : 1;
    if (!measureOnly) {
      if (written + units > capacity) return 0;
      if (units == 2) {
        destination[written] = static_cast<char16>(0xD800 + ((codePoint - 0x10000) >> 10));
        destination[written + 1] = static_cast<char16>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
      } else {
        destination[written] = static_cast<char16>(codePoint);
      }
    }
    written += units;
  }
  return written;
}

int32 wideToMultiByte(uint32 codePage, const char16* source, int32 sourceLength, char* destination,
                      int32 capacity) {
  Encoding encoding = encodingOf(codePage);
  if (!source || sourceLength == 0 || sourceLength < -1 || capacity < 0) return 0;
  if (encoding == Encoding::kUnknown) return 0;
  int32 length = sourceLength;
  if (length < 0) {
    length = 0;
    while (source[length]) ++length;
    ++length;  // the terminator is converted too
  }
  bool measureOnly = !destination || capacity == 0;
  int32 written = 0;
  for (int32 at = 0; at < length;) {
    uint32 codePoint = 0;
    if (!decodeUtf16(source, length, &at, &codePoint)) return 0;
    unsigned char bytes[4];
    int32 count = 0;
    if (encoding != Encoding::kUtf8) {
      // Like WideCharToMultiByte without a default character: what the code page lacks
      // becomes '?'.
      uint32 limit = encoding == Encoding::kAscii ? 0x80 : 0x100;
      bytes[count++] = static_cast<unsigned char>(codePoint < limit ? codePoint : '?');
    } else if (codePoint < 0x80) {
      bytes[count++] = static_cast<unsigned char>(codePoint);
    } else if (codePoint < 0x800) {
      bytes[count++] = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
      bytes[count++] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      bytes[count++] = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
      bytes[count++] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes[count++] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    } else {
      bytes[count++] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
      bytes[count++] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
      bytes[count++] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes[count++] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    }
    if (!measureOnly) {
      if (written + count > capacity) return 0;
      std::memcpy(destination + written, bytes, static_cast<size_t>(count));
    }
    written += count;
  }
  return written;
}

}  // namespace Brennholt::Platform
