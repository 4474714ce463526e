// Scenario commands that print, and that start a new stretch of records.
#pragma once

#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// clear
struct ClearCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// show[@K]
struct ShowCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// say "TEXT"
struct SayCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string text;
};

}  // namespace QentSim
