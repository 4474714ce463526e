// Scenario checks of what the simulated host did and keeps: commands run, host functions,
// transport, mixer, devices, bindings, detection, life-cycle steps, the project's values and
// their edits, what the module registered and what it answered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scenario/ScenarioCheck.h"

namespace QentSim {

// expect mode "TEXT"
struct ModeCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string text;
};

// expect executed "CATEGORY" "NAME"
struct ExecutedCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string category;
  std::string name;
};

// expect not-executed "CATEGORY" "NAME"
struct NotExecutedCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string category;
  std::string name;
};

// expect function "FUNCTION" "PARAMETER" [VALUE...]
struct FunctionCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string function;
  std::string parameter;
  std::vector<std::int32_t> values;  // in the order they reached the parameter
};

// expect playing on|off
struct PlayingCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  bool on = false;
};

// expect recording on|off
struct RecordingCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  bool on = false;
};

// expect mixer KEY N
struct MixerCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string key;
  std::int32_t value = 0;
};

// expect devices N
struct DevicesCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::int64_t count = 0;
};

// expect device N "INPUT" "OUTPUT"
struct DeviceCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::size_t device = 1;  // in creation order, from 1
  std::string input;
  std::string output;
};

// expect[@K] bindings N
struct BindingsCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::int64_t count = 0;
};

// expect detect N|refused
struct DetectCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  bool refused = false;     // the detector refused to initialize
  std::int32_t answer = 0;  // else what detect() answered
};

// expect step "TEXT"
struct StepCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string step;
};

// expect not-step "TEXT"
struct NotStepCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string step;
};

// expect value OBJECT KEY NUMBER [TOLERANCE]
struct ValueCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  double value = 0.0;
  double tolerance = 0.0;
};

// expect text OBJECT KEY "TEXT"
struct TextCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  std::string text;
};

// expect edits OBJECT KEY N
struct EditsCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  int count = 0;
};

// expect edit OBJECT KEY open|closed
struct EditCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string object;
  std::string key;
  bool open = false;
};

// expect dependents N
struct DependentsCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  int count = 0;
};

// expect answer N
struct AnswerCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::int32_t answer = 0;
};

// expect setting "SECTION" "KEY" VALUE
struct SettingCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string section;
  std::string key;
  bool isNumber = false;
  int number = 0;
  std::string text;
};

}  // namespace QentSim
