// Scenario commands that move time: idle rounds, the host's clock, settling, real time, and the
// transport position.
#pragma once

#include <cstdint>
#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// idle [N]
struct IdleCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int rounds = 1;
};

// advance MS
struct AdvanceCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::uint32_t milliseconds = 0;
};

// clock T
struct ClockCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::uint32_t time = 0;
};

// settle
struct SettleCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// wait MS
struct WaitCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int milliseconds = 0;
};

// position NUMBER
struct PositionCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  double position = 0.0;
};

}  // namespace QentSim
