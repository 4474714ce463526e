// Scenario commands of the module's window: what the user does in the open window (click,
// pick a menu entry, type, close), drawing it, and the checks of its values and whether it is
// open. The window is opened through the "Devices" menu (menu, with the host commands).
#pragma once

#include <string>

#include "sim/scenario/ScenarioCheck.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// panel press NAME
struct PanelPressCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string name;
};

// panel choose NAME "ENTRY"
struct PanelChooseCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string name;
  std::string entry;
};

// panel type NAME "TEXT"
struct PanelTypeCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string name;
  std::string text;
};

// panel close
struct PanelCloseCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// panel show
struct PanelShowCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// expect panel NAME "VALUE"
struct PanelValueCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string name;
  std::string value;
};

// expect panel-entries NAME N
struct PanelEntriesCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string name;
  int count = 0;
};

// expect panel-open yes|no
struct PanelOpenCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  bool open = true;
};

}  // namespace QentSim
