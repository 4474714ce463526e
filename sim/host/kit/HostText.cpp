#include "sim/host/kit/HostText.h"

#include <algorithm>

namespace QentSim {

using Brennholt::char16;
using Brennholt::int32;
using Brennholt::tresult;

namespace {

// Decodes the character at text[*at] and moves past it; an invalid byte gives U+FFFD.
char32_t decodeAt(std::string_view text, std::size_t* at) noexcept {
  std::size_t i = *at;
  unsigned char lead = static_cast<unsigned char>(text[i]);
  int extra = lead < 0x80         ? 0
              : (lead >> 5) == 6  ? 1
              : (lead >> 4) == 14 ? 2
              : (lead >> 3) == 30 ? 3
                                  : -1;
  char32_t code = extra == 0   ? lead
                  : extra == 1 ? (lead & 0x1F)
                  : extra == 2 ? (lead & 0x0F)
                               : (lead & 0x07);
  bool good = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
  for (int k = 1; good && k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) good = false;
    code = (code << 6) | (next & 0x3F);
  }
  if (!good || code > 0x10FFFF) {
    *at = i + 1;
    return 0xFFFD;
  }
  *at = i + static_cast<std::size_t>(extra) + 1;
  return code;
}

}  // namespace

tresult writeUtf16(std::string_view text, char16* out, int32 capacity, int32 maxUnits) noexcept {
  if (out == nullptr || capacity < 1) return Brennholt::kInvalidArgument;
  const int32 room = std::min(capacity - 1, std::max(maxUnits, 0));
  int32 n = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t code = decodeAt(text, &at);
    if (code >= 0x10000) {
      if (n + 2 > room) break;
      code -= 0x10000;
      out[n++] = static_cast<char16>(0xD800 + (code >> 10));
      out[n++] = static_cast<char16>(0xDC00 + (code & 0x3FF));
    } else {
      if (n + 1 > room) break;
      out[n++] = static_cast<char16>(code);
    }
  }
  out[n] = 0;
  return Brennholt::kResultOk;
}

std::u16string toUtf16(const std::string& text) {
  std::u16string out;
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t code = decodeAt(text, &at);
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16>(code));
    }
  }
  return out;
}

std::string toUtf8(const char16* text, std::size_t maxUnits) {
  std::string out;
  if (text == nullptr) return out;
  for (std::size_t i = 0; i < maxUnits && text[i] != 0; ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < maxUnits && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace QentSim
