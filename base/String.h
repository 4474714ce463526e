// A text that owns its buffer and converts itself between 8 and 16 bits. Reading one width
// converts the stored text to that width (so asking for text8 makes the string 8-bit).
#pragma once

#include "base/ConstString.h"

namespace Brennholt {

class String : public ConstString {
 public:
  String() = default;
  // Copies text. A negative length means up to the terminating zero; with a length and
  // terminated, copying also stops at a zero before length. Out of memory leaves it empty.
  explicit String(const char8* text, int32 length = -1, bool terminated = true);
  explicit String(const char16* text, int32 length = -1, bool terminated = true);
  explicit String(const ConstString& other);
  String(const String& other);
  String(String&& other) noexcept;
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  ~String() override;

  // Converts to 8-bit in place first (code page 0); empty when that fails.
  const char8* text8() const override;
  // Converts to 16-bit in place first (code page 0); empty when that fails.
  const char16* text16() const override;
  const char16* text() const override { return text16(); }
  char8 getChar8(int32 index) const override;
  char16 getChar16(int32 index) const override;

  // Copies text under the constructor's rules; the string's own buffer is left as it is.
  // False when memory runs out, leaving the old text.
  bool assign(const char8* text, int32 length = -1, bool terminated = true);
  bool assign(const char16* text, int32 length = -1, bool terminated = true);
  // Sets the length and width. Length 0 frees the buffer. Characters up to the smaller length
  // are kept (converted unit by unit when the width changes); new positions become spaces
  // with fill, zeros without. False when memory runs out, leaving the string as it was.
  bool resize(int32 newLength, bool wide, bool fill = false);
  // Converts 8-bit text to 16-bit; invalid characters fail it, keeping the 8-bit text.
  bool toWideString(uint32 codePage = 0);
  // Converts 16-bit text to 8-bit. An 8-bit text with a non-zero code page is read as code
  // page 0 and converted to codePage. Failure keeps the old text.
  bool toMultiByte(uint32 codePage = 0);

 private:
  void release();
  void adopt(void* buffer, int32 length, bool wide);
  void swap(String& other) noexcept;
};

}  // namespace Brennholt
