#include "sim/scenario/commands/CommandSupport.h"

namespace QentSim {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string notYet(const char* what) {
  return std::string("not available yet: the simulated host has no ") + what + " in this version";
}

std::string listed(const std::vector<std::string>& items) {
  if (items.empty()) return "none";
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += ", ";
    out += quoted(item);
  }
  return out;
}

}  // namespace QentSim
