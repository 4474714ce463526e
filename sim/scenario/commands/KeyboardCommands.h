// Scenario commands played on a virtual keyboard (the one "@K" addresses): what a person does on
// the hardware, raw messages, and what the keyboard stores and answers.
#pragma once

#include <string>

#include "sim/keyboard/KnobSetting.h"
#include "sim/scenario/BytePattern.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// turn[@K] ELEMENT TICKS
struct TurnCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int element = 0;  // a knob or the dial
  int ticks = 0;
};

// press[@K] ELEMENT
struct PressCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int element = 0;  // a button
};

// release[@K] ELEMENT
struct ReleaseCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int element = 0;  // a button
};

// tap[@K] ELEMENT
struct TapCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int element = 0;  // a button
};

// midi[@K] HEX...
struct MidiCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  BytePattern message;  // a channel message: status 80..EF and up to two data bytes
};

// sysex[@K] HEX...
struct SysExCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  BytePattern message;  // F0 .. F7, without wildcards
};

// kb-assign[@K] "NAME" KNOB KIND ID
struct KbAssignCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string target;
  int knob = 0;  // 0..11
  KnobSetting setting;
};

// kb-answer[@K] [hello|name] on|off
struct KbAnswerCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  bool hello = true;  // the answer to the hello
  bool name = true;   // the answer to a target name
  bool on = true;
};

}  // namespace QentSim
