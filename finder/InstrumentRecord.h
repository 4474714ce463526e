// The finder's result model: the instruments found in one plug-in module and their automatable
// parameters. Text is 8-bit, as the plug-in or the file name gave it; it is cleaned only when
// written.
#pragma once

#include <string>
#include <vector>

#include "core/Types.h"

namespace Brennholt::Hox {

// Added to a plug-in's own parameter number to form the id the companion tool addresses.
inline constexpr int32 kParamIdOffset = 4201;
// The id of the fixed "Bypass" parameter.
inline constexpr int32 kBypassParamId = 10004202;

struct ParamRecord {
  int32 id = 0;
  std::string name;
  std::vector<std::string> unitNames;  // outermost unit first; empty for the root unit
};

struct InstrumentRecord {
  std::string name;
  std::vector<ParamRecord> params;  // in the order found
};

}  // namespace Brennholt::Hox
