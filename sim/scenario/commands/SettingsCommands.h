// Scenario commands of the host's settings, its file dialogs and alert boxes, a crash of the
// host, and the checks of what the settings and files hold and what alerts showed.
#pragma once

#include <string>

#include "sim/host/SimHost.h"
#include "sim/scenario/ScenarioCheck.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// A settings value as a scenario writes it: NUMBER, or "TEXT" in quotes.
struct SettingValue {
  bool isNumber = false;
  int number = 0;
  std::string text;
  bool read(ArgumentReader& args);
  std::string describe() const;
};

// setting "SECTION" "KEY" NUMBER|"TEXT"
struct SettingCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string section;
  std::string key;
  SettingValue value;
};

// kill
struct KillCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool run(Simulation& simulation, std::string* why) const override;
};

// dialog save "FILE" / dialog open "FILE" / dialog cancel
struct DialogCommand : ScenarioCommand {
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  DialogKind kind = DialogKind::kCancel;
  std::string file;
};
struct DialogSaveCommand final : DialogCommand {
  static const CommandSpec spec;
  DialogSaveCommand() { kind = DialogKind::kSave; }
};
struct DialogOpenCommand final : DialogCommand {
  static const CommandSpec spec;
  DialogOpenCommand() { kind = DialogKind::kOpen; }
};
struct DialogCancelCommand final : DialogCommand {
  static const CommandSpec spec;
};

// alert N
struct AlertCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int button = 1;
};

// expect no-setting "SECTION" "KEY"
struct NoSettingCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string section;
  std::string key;
};

// expect alert "TEXT"
struct AlertCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string message;
};

// expect no-alert
struct NoAlertCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool check(Simulation& simulation, std::string* why) const override;
};

// expect file "FILE" "TEXT"
struct FileCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string file;
  std::string text;
};

// expect no-file "FILE"
struct NoFileCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string file;
};

}  // namespace QentSim
