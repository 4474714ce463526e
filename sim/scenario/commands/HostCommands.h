// Scenario commands for what a user does in the host: switch pages, run commands, select
// tracks, change values, route and remove tracks, pick menu entries; and the host asking the
// module's commands as it does to fill a menu.
#pragma once

#include <string>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// select "TRACK" | select none
struct SelectCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  bool none = false;  // no track selected
  std::string track;
};

// set OBJECT KEY NUMBER | set OBJECT KEY "TEXT"
struct SetCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  bool fromText = false;  // the value was quoted: the host reads it as the user typed it
  double number = 0.0;
  std::string text;
};

// route "TRACK" "INSTRUMENT"
struct RouteCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string track;
  std::string instrument;
};

// remove "TRACK"
struct RemoveCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string track;
};

// query "CATEGORY" "NAME"
struct QueryCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string category;
  std::string name;
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
