#include "sim/scenario/ScenarioCommand.h"

#include "sim/scenario/ScenarioCheck.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

bool ScenarioCommand::read(ArgumentReader&) { return true; }

bool ScenarioCheck::run(Simulation& simulation, std::string* why) const {
  return simulation.settle(why) && check(simulation, why);
}

}  // namespace QentSim
