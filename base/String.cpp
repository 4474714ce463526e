#include "base/String.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Platform.h"

namespace Brennholt {

namespace {

constexpr int32 kMaxLength = 0x3FFFFFFF;

template <class Unit>
int32 measure(const Unit* text, int32 length, bool terminated) {
  if (!text) return 0;
  if (length >= 0 && !terminated) return length > kMaxLength ? kMaxLength : length;
  int32 limit = length >= 0 ? length : kMaxLength;
  int32 n = 0;
  while (n < limit && text[n]) ++n;
  return n;
}

template <class Unit>
Unit* copyText(const Unit* text, int32 length) {
  auto* buffer = static_cast<Unit*>(std::malloc((static_cast<size_t>(length) + 1) * sizeof(Unit)));
  if (!buffer) return nullptr;
  if (length > 0) std::memcpy(buffer, text, static_cast<size_t>(length) * sizeof(Unit));
  buffer[length] = 0;
  return buffer;
}

}  // namespace

String::String(const char8* text, int32 length, bool terminated) {
  assign(text, length, terminated);
}

String::String(const char16* text, int32 length, bool terminated) {
  assign(text, length, terminated);
}

String::String(const ConstString& other) {
  if (other.isWide()) {
    assign(static_cast<const char16*>(other.ptr()), other.length(), false);
  } else {
    assign(static_cast<const char8*>(other.ptr()), other.length(), false);
  }
}

String::String(const String& other) : ConstString(other) {
  buffer_ = nullptr;  // the copy gets a buffer of its own below
  word_ = other.word_ & kKeptBit;
  if (!other.buffer_) {
    setShape(0, other.isWide());
  } else if (other.isWide()) {
    assign(other.buffer16(), other.length(), false);
  } else {
    assign(other.buffer8(), other.length(), false);
  }
}

String::String(String&& other) noexcept : ConstString() { swap(other); }

String& String::operator=(const String& other) {
  if (this != &other) {
    String copy(other);
    swap(copy);
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    String taken(std::move(other));
    swap(taken);
  }
  return *this;
}

String::~String() { release(); }

void String::release() {
  std::free(buffer_);
  buffer_ = nullptr;
}

void String::adopt(void* buffer, int32 length, bool wide) {
  std::free(buffer_);
  buffer_ = buffer;
  setShape(length, wide);
}

void String::swap(String& other) noexcept {
  void* buffer = buffer_;
  uint32 word = word_;
  buffer_ = other.buffer_;
  word_ = other.word_;
  other.buffer_ = buffer;
  other.word_ = word;
}

const char8* String::text8() const {
  if (isWide()) const_cast<String*>(this)->toMultiByte(0);
  return ConstString::text8();
}

const char16* String::text16() const {
  if (!isWide()) const_cast<String*>(this)->toWideString(0);
  return ConstString::text16();
}

char8 String::getChar8(int32 index) const {
  if (isWide()) const_cast<String*>(this)->toMultiByte(0);
  return ConstString::getChar8(index);
}

char16 String::getChar16(int32 index) const {
  if (!isWide()) const_cast<String*>(this)->toWideString(0);
  return ConstString::getChar16(index);
}

bool String::assign(const char8* text, int32 length, bool terminated) {
  if (text && text == buffer_) return true;
  int32 n = measure(text, length, terminated);
  // Copy before freeing: the text may be a part of the old buffer.
  char8* buffer = copyText(text ? text : "", n);
  if (!buffer) return false;
  adopt(buffer, n, false);
  return true;
}

bool String::assign(const char16* text, int32 length, bool terminated) {
  if (text && text == buffer_) return true;
  int32 n = measure(text, length, terminated);
  char16* buffer = copyText(text ? text : u"", n);
  if (!buffer) return false;
  adopt(buffer, n, true);
  return true;
}

bool String::resize(int32 newLength, bool wide, bool fill) {
  if (newLength < 0 || newLength > kMaxLength) return false;
  if (newLength == 0) {
    release();
    setShape(0, wide);
    return true;
  }
  int32 oldLength = buffer_ ? length() : 0;
  size_t unit = wide ? sizeof(char16) : sizeof(char8);
  size_t bytes = (static_cast<size_t>(newLength) + 1) * unit;
  void* buffer = nullptr;
  int32 kept = oldLength < newLength ? oldLength : newLength;
  if (buffer_ && wide == isWide()) {
    buffer = std::realloc(buffer_, bytes);
    if (!buffer) return false;
  } else {
    buffer = std::malloc(bytes);
    if (!buffer) return false;
    // A width change carries the characters over unit by unit.
    for (int32 i = 0; i < kept; ++i) {
      if (wide) {
        static_cast<char16*>(buffer)[i] = static_cast<unsigned char>(buffer8()[i]);
      } else {
        char16 c = buffer16()[i];
        static_cast<char8*>(buffer)[i] = c < 256 ? static_cast<char8>(c) : '?';
      }
    }
    std::free(buffer_);
  }
  buffer_ = buffer;
  for (int32 i = kept; i < newLength; ++i) {
    if (wide) {
      static_cast<char16*>(buffer)[i] = fill ? u' ' : 0;
    } else {
      static_cast<char8*>(buffer)[i] = fill ? ' ' : 0;
    }
  }
  if (wide) {
    static_cast<char16*>(buffer)[newLength] = 0;
  } else {
    static_cast<char8*>(buffer)[newLength] = 0;
  }
  setShape(newLength, wide);
  return true;
}

bool String::toWideString(uint32 codePage) {
  if (isWide()) return true;
  int32 n = buffer_ ? length() : 0;
  if (n == 0) {
    char16* empty = copyText(u"", 0);
    if (!empty) return false;
    adopt(empty, 0, true);
    return true;
  }
  int32 needed = Platform::multiByteToWide(codePage, buffer8(), n, nullptr, 0);
  if (needed <= 0 || needed > kMaxLength) return false;
  auto* wide =
      static_cast<char16*>(std::malloc((static_cast<size_t>(needed) + 1) * sizeof(char16)));
  if (!wide) return false;
  if (Platform::multiByteToWide(codePage, buffer8(), n, wide, needed) != needed) {
    std::free(wide);
    return false;
  }
  wide[needed] = 0;
  adopt(wide, needed, true);
  return true;
}

bool String::toMultiByte(uint32 codePage) {
  if (!isWide()) {
    if (codePage == 0) return true;
    // The 8-bit text is in the system code page; carry it over to the one asked for.
    String converted(*this);
    if (!converted.toWideString(0) || !converted.toMultiByte(codePage)) return false;
    converted.word_ = (converted.word_ & ~kKeptBit) | (word_ & kKeptBit);
    swap(converted);
    return true;
  }
  int32 n = buffer_ ? length() : 0;
  if (n == 0) {
    char8* empty = copyText("", 0);
    if (!empty) return false;
    adopt(empty, 0, false);
    return true;
  }
  int32 needed = Platform::wideToMultiByte(codePage, buffer16(), n, nullptr, 0);
  if (needed <= 0 || needed > kMaxLength) return false;
  auto* narrow = static_cast<char8*>(std::malloc(static_cast<size_t>(needed) + 1));
  if (!narrow) return false;
  if (Platform::wideToMultiByte(codePage, buffer16(), n, narrow, needed) != needed) {
    std::free(narrow);
    return false;
  }
  narrow[needed] = 0;
  adopt(narrow, needed, false);
  return true;
}

}  // namespace Brennholt
