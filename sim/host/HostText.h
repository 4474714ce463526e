// Text as it crosses to the module: 16-bit host texts from and to the host's 8-bit UTF-8.
#pragma once

#include <string>

#include "core/Types.h"

namespace QentSim {

// UTF-8 to UTF-16; an invalid byte becomes U+FFFD.
std::u16string toUtf16(const std::string& text);
// A terminated UTF-16 text to UTF-8; null gives an empty text. Stops after `maxUnits` units.
std::string toUtf8(const Brennholt::char16* text, std::size_t maxUnits = 4096);

}  // namespace QentSim
