// qentsim demo: a keyboard plugged into the simulated host, played through a built-in scenario
// while its display and lamps are drawn as they change.
#pragma once

#include <ostream>
#include <string>

namespace QentSim {

// The built-in scenario, in the scenario language.
std::string demoScenario();

// Plays it against the module at `modulePath`. Returns the exit code (0 when it ran through).
int runDemo(const std::string& modulePath, std::ostream& out, std::ostream& err);

}  // namespace QentSim
