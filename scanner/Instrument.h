// What plugprobe lists of one instrument: its name and its automatable parameters.
#pragma once

#include <string>
#include <vector>

#include "core/Types.h"

namespace Brennholt::Scan {

struct Parameter {
  int32 id = 0;  // the id a host addresses the parameter by
  std::string name;
  std::vector<std::string> units;  // the enclosing units' names, outermost first
  bool operator==(const Parameter&) const = default;
};

struct Instrument {
  std::string name;
  std::vector<Parameter> parameters;
  bool operator==(const Instrument&) const = default;
};

}  // namespace Brennholt::Scan
