// A scenario command that checks: it settles the simulation first, then looks.
#pragma once

#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

class ScenarioCheck : public ScenarioCommand {
 public:
  // Settles, then checks.
  bool run(Simulation& simulation, std::string* why) const final;

 protected:
  // Looks at the settled simulation. False with *why saying what was expected and what was seen.
  virtual bool check(Simulation& simulation, std::string* why) const = 0;
};

}  // namespace QentSim
