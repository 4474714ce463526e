// Result codes of every operation that crosses a module boundary.
#pragma once

#include "core/Types.h"

namespace Brennholt {

using tresult = int32;

enum : tresult {
  kResultOk = 0,
  kResultTrue = 0,
  kResultFalse = 1,
  kNotImplemented = static_cast<tresult>(0x80004001),
  kNoInterface = static_cast<tresult>(0x80004002),
  kInvalidArgument = static_cast<tresult>(0x80070057),
  kOutOfMemory = static_cast<tresult>(0x8007000E),
};

}  // namespace Brennholt
