// Conversions between the module's 8-bit texts and the host's 16-bit texts (code page 0).
#pragma once

#include <string>

#include "base/String.h"
#include "core/Types.h"

namespace Brennholt {

// 16-bit text to 8-bit, through a String read back with text8. Empty when it cannot convert.
std::string toText8(const char16* text, int32 length = -1);
// 8-bit text to 16-bit, through a String read back with text16. Empty when it cannot convert.
std::u16string toText16(const char8* text, int32 length = -1);

// Size in units of the zeroed buffer a host string value is fetched into.
constexpr int32 kHostTextUnits = 256;

// Reads a host string value: fetch(buffer, kHostTextUnits) fills a zeroed buffer, of which at
// most kHostTextUnits - 1 units count even when the host fills it to the end.
template <class Fetch>
std::string readHostText(Fetch&& fetch) {
  char16 buffer[kHostTextUnits] = {};
  fetch(buffer, kHostTextUnits);
  buffer[kHostTextUnits - 1] = 0;
  return toText8(buffer);
}

// A 16-bit copy of source for the host to keep: the same source text always gets the same
// copy, and every copy stays valid until the module unloads. A buffer reused for another text
// gets a copy of the new text, never a stale one. Null gives an empty text. [any thread]
const char16* stableText16(const char8* source);

}  // namespace Brennholt
