// Text as it crosses to the module: 16-bit host texts from and to the host's 8-bit UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "core/ResultCodes.h"
#include "core/Types.h"

namespace QentSim {

// UTF-8 to UTF-16; an invalid byte becomes U+FFFD.
std::u16string toUtf16(const std::string& text);
// A terminated UTF-16 text to UTF-8; null gives an empty text. Stops after `maxUnits` units.
std::string toUtf8(const Brennholt::char16* text, std::size_t maxUnits = 4096);

// Writes UTF-8 `text` as UTF-16 into a caller buffer of `capacity` units, terminating zero
// included, at most `maxUnits` units of text; a text that does not fit is cut (never inside a
// surrogate pair). kInvalidArgument for a null buffer or a capacity below 1. Allocates nothing.
Brennholt::tresult writeUtf16(std::string_view text, Brennholt::char16* out,
                              Brennholt::int32 capacity, Brennholt::int32 maxUnits) noexcept;

}  // namespace QentSim
