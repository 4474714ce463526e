// Text fields of the keyboard's messages. The display takes 7-bit text in fields of fixed width,
// so every text is written as exactly `width` bytes:
//   - positions past the end of the text are spaces (20);
//   - from the first byte of 0x80 or more to the end of the text every position is "-" (2D),
//     even where plain characters follow, since the display cannot show the rest of a
//     multi-byte character either;
//   - longer texts are cut at `width`.
// The name message (50 00) is the one exception: its text goes out byte for byte (writeVerbatim),
// because the keyboard compares it with the name it reports back.
// A NUL byte ends the text in both rules.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/Types.h"

namespace Brennholt {

class FixedText {
 public:
  // Writes `text` under the fixed-width rule into buffer[pos .. pos+width). Returns pos + width,
  // or -1 without writing anything when there is no buffer, `pos` lies inside the header and
  // address (below 9), `width` is negative, or the field would reach past `bufferSize`.
  static int32 write(std::string_view text, uint8* buffer, std::size_t bufferSize, int32 pos,
                     int32 width);

  // Writes the first `width` bytes of `text` unchanged (high bytes included) and pads with
  // spaces. Same result and failures as write().
  static int32 writeVerbatim(std::string_view text, uint8* buffer, std::size_t bufferSize,
                             int32 pos, int32 width);
};

}  // namespace Brennholt
