// A read-only view of a text that is either 8-bit or 16-bit: the shape in which texts cross
// between the module's own 8-bit strings and the host's 16-bit strings.
#pragma once

#include "core/Types.h"

namespace Brennholt {

class ConstString {
 public:
  enum CompareMode : int32 { kCaseSensitive = 0, kCaseInsensitive = 1 };

  // An absent 8-bit text.
  ConstString() = default;
  // Views text without copying it; a negative length means up to the terminating zero.
  explicit ConstString(const char8* text, int32 length = -1);
  explicit ConstString(const char16* text, int32 length = -1);
  virtual ~ConstString() = default;

  ConstString(const ConstString&) = default;
  ConstString& operator=(const ConstString&) = default;

  // Number of characters.
  virtual int32 length() const;
  // The 8-bit characters; an empty 8-bit text when the text is 16-bit or absent.
  virtual const char8* text8() const;
  // The 16-bit characters; an empty 16-bit text when the text is 8-bit or absent.
  virtual const char16* text16() const;
  // The 16-bit form, the host's native text.
  virtual const char16* text() const;
  // The raw character pointer, null when the text is absent.
  virtual const void* ptr() const;
  // The character at index; 0 when the index is out of range or the text is 16-bit.
  virtual char8 getChar8(int32 index) const;
  // The character at index; 0 when the index is out of range or the text is 8-bit.
  virtual char16 getChar16(int32 index) const;

  bool isWide() const { return (word_ & kWideBit) != 0; }
  bool isEmpty() const { return length() == 0; }

  // Compares this text from position (at or past the end: an empty remainder) with other, over
  // at most length characters of each, or the whole texts when length is negative. Mixed
  // widths compare after widening the 8-bit side (code page 0). Negative, zero or positive.
  int32 compare(int32 position, const ConstString& other, int32 length = -1,
                CompareMode mode = kCaseSensitive) const;
  int32 compare(const ConstString& other, CompareMode mode = kCaseSensitive) const {
    return compare(0, other, -1, mode);
  }
  // True when every character is below 128; an empty text is ASCII.
  bool isAsciiString() const;

 protected:
  static constexpr uint32 kLengthMask = 0x3FFFFFFF;  // bits 0 to 29
  static constexpr uint32 kWideBit = 0x40000000;     // bit 30
  static constexpr uint32 kKeptBit = 0x80000000;     // bit 31: kept as it is by every operation

  const char8* buffer8() const { return static_cast<const char8*>(buffer_); }
  const char16* buffer16() const { return static_cast<const char16*>(buffer_); }
  // Sets length and width, keeping bit 31.
  void setShape(int32 length, bool wide) const {
    word_ =
        (word_ & kKeptBit) | (wide ? kWideBit : 0) | (static_cast<uint32>(length) & kLengthMask);
  }

  // String widens or narrows itself when it is read, so even a const String changes shape.
  mutable void* buffer_ = nullptr;
  mutable uint32 word_ = 0;
};

}  // namespace Brennholt
