// Scenario commands for what a user does in the host: switch pages, run commands, select
// tracks, change values, pick menu entries.
#pragma once

#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// select "TRACK"
struct SelectCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string track;
};

// set OBJECT KEY VALUE
struct SetCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  std::string value;
};

// page "PAGE"
struct PageCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string page;
};

// command "CATEGORY" "NAME"
struct HostCommandCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string category;
  std::string name;
};

// menu "TITLE"
struct MenuCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string title;
};

}  // namespace QentSim
