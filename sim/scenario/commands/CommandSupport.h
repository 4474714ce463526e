// Small helpers the scenario commands share for their reasons.
#pragma once

#include <string>
#include <vector>

namespace QentSim {

// The text in double quotes.
std::string quoted(const std::string& text);
// The reason of a command whose host feature the simulation does not have yet.
std::string notYet(const char* what);
// The texts quoted and separated by ", "; "none" when there are none.
std::string listed(const std::vector<std::string>& items);

}  // namespace QentSim
