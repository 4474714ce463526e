// Scenario commands that start, stop and restart the host, run detection, and plug keyboards
// out or switch their devices off and on.
#pragma once

#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// start
struct StartCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// stop
struct StopCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// restart
struct RestartCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// detect
struct DetectCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// unplug K
struct UnplugCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int unplugged = 1;
};

// activate K
struct ActivateCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int device = 1;  // the keyboard whose device is switched on
};

// deactivate K
struct DeactivateCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int device = 1;  // the keyboard whose device is switched off
};

}  // namespace QentSim
