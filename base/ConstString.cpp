#include "base/ConstString.h"

#include <cstring>
#include <string>

#include "platform/Platform.h"

namespace Brennholt {

namespace {

const char8 kEmpty8[1] = {0};
const char16 kEmpty16[1] = {0};

int32 clampLength(size_t length) {
  return length > 0x3FFFFFFF ? 0x3FFFFFFF : static_cast<int32>(length);
}

size_t length16(const char16* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

char16 fold(char16 c) { return c >= u'A' && c <= u'Z' ? static_cast<char16>(c - u'A' + u'a') : c; }

// The characters of a text as 16-bit units: the text itself when it is 16-bit, else widened.
class WideView {
 public:
  WideView(const void* buffer, int32 length, bool wide) {
    if (wide || length == 0) {
      units_ = static_cast<const char16*>(buffer);
      length_ = length;
      return;
    }
    auto* text = static_cast<const char8*>(buffer);
    int32 n = Platform::multiByteToWide(0, text, length, nullptr, 0);
    if (n > 0) {
      copy_.resize(static_cast<size_t>(n));
      Platform::multiByteToWide(0, text, length, copy_.data(), n);
    } else {
      // Invalid in the code page: compare byte by byte rather than not at all.
      for (int32 i = 0; i < length; ++i) copy_.push_back(static_cast<unsigned char>(text[i]));
    }
    units_ = copy_.data();
    length_ = static_cast<int32>(copy_.size());
  }
  const char16* units() const { return units_; }
  int32 length() const { return length_; }

 private:
  std::u16string copy_;
  const char16* units_ = nullptr;
  int32 length_ = 0;
};

template <class Unit>
int32 compareUnits(const Unit* a, int32 na, const Unit* b, int32 nb, bool ignoreCase) {
  int32 common = na < nb ? na : nb;
  for (int32 i = 0; i < common; ++i) {
    auto ca = static_cast<char16>(static_cast<std::make_unsigned_t<Unit>>(a[i]));
    auto cb = static_cast<char16>(static_cast<std::make_unsigned_t<Unit>>(b[i]));
    if (ignoreCase) {
      ca = fold(ca);
      cb = fold(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return na == nb ? 0 : (na < nb ? -1 : 1);
}

}  // namespace

ConstString::ConstString(const char8* text, int32 length) {
  buffer_ = const_cast<char8*>(text);
  setShape(text ? (length < 0 ? clampLength(std::strlen(text)) : length) : 0, false);
}

ConstString::ConstString(const char16* text, int32 length) {
  buffer_ = const_cast<char16*>(text);
  setShape(text ? (length < 0 ? clampLength(length16(text)) : length) : 0, true);
}

int32 ConstString::length() const { return static_cast<int32>(word_ & kLengthMask); }

const char8* ConstString::text8() const { return !isWide() && buffer_ ? buffer8() : kEmpty8; }

const char16* ConstString::text16() const { return isWide() && buffer_ ? buffer16() : kEmpty16; }

const char16* ConstString::text() const { return text16(); }

const void* ConstString::ptr() const { return buffer_; }

char8 ConstString::getChar8(int32 index) const {
  if (isWide() || !buffer_ || index < 0 || index >= length()) return 0;
  return buffer8()[index];
}

char16 ConstString::getChar16(int32 index) const {
  if (!isWide() || !buffer_ || index < 0 || index >= length()) return 0;
  return buffer16()[index];
}

int32 ConstString::compare(int32 position, const ConstString& other, int32 length,
                           CompareMode mode) const {
  bool ignoreCase = mode == kCaseInsensitive;
  int32 ownLength = buffer_ ? this->length() : 0;
  int32 otherLength = other.buffer_ ? other.length() : 0;
  if (isWide() == other.isWide()) {
    int32 from = position < 0 ? 0 : (position > ownLength ? ownLength : position);
    int32 na = ownLength - from;
    int32 nb = otherLength;
    if (length >= 0) {
      na = na < length ? na : length;
      nb = nb < length ? nb : length;
    }
    if (isWide()) return compareUnits(buffer16() + from, na, other.buffer16(), nb, ignoreCase);
    return compareUnits(buffer8() + from, na, other.buffer8(), nb, ignoreCase);
  }
  WideView own(buffer_, ownLength, isWide());
  WideView theirs(other.buffer_, otherLength, other.isWide());
  int32 from = position < 0 ? 0 : (position > own.length() ? own.length() : position);
  int32 na = own.length() - from;
  int32 nb = theirs.length();
  if (length >= 0) {
    na = na < length ? na : length;
    nb = nb < length ? nb : length;
  }
  return compareUnits(own.units() + from, na, theirs.units(), nb, ignoreCase);
}

bool ConstString::isAsciiString() const {
  int32 n = buffer_ ? length() : 0;
  for (int32 i = 0; i < n; ++i) {
    uint32 unit = isWide() ? buffer16()[i] : static_cast<unsigned char>(buffer8()[i]);
    if (unit >= 128) return false;
  }
  return true;
}

}  // namespace Brennholt
