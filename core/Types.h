// Fixed-width types shared by every subsystem and by the interfaces that cross module boundaries.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Brennholt {

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

// One 16-bit text unit, the host's native text on every platform (UTF-16 code unit).
using char8 = char;
using char16 = char16_t;

}  // namespace Brennholt
