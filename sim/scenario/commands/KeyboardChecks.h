// Scenario checks of what a virtual keyboard (the one "@K" addresses) received and shows.
#pragma once

#include <cstdint>
#include <string>

#include "sim/scenario/BytePattern.h"
#include "sim/scenario/ScenarioCheck.h"

namespace QentSim {

// expect[@K] sent HEX...
struct SentCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  BytePattern start;  // what the message starts with
};

// expect[@K] not-sent HEX...
struct NotSentCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  BytePattern start;
};

// expect[@K] sent-count HEX... N
struct SentCountCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  BytePattern start;
  std::int64_t count = 0;
};

// expect[@K] idle-max N
struct IdleMaxCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::int64_t most = 0;
};

// expect[@K] knob KNOB name|value "TEXT"
struct KnobCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  int knob = 0;
  bool value = false;  // the value text, else the name
  std::string text;
};

// expect[@K] line "TEXT"
struct LineCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string text;
};

// expect[@K] target "TEXT"
struct TargetCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string text;
};

// expect[@K] memory-name "TEXT"
struct MemoryNameCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  std::string text;
};

// expect[@K] fkey K "TEXT"
struct FKeyCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  int key = 0;  // 0..5
  std::string text;
};

// expect[@K] flag N|none
struct FlagCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  int flag = -1;  // -1: none has arrived
};

// expect[@K] lamp ELEMENT on|off
struct LampCheck final : ScenarioCheck {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool check(Simulation& simulation, std::string* why) const override;
  int element = 0;
  bool lit = false;
};

}  // namespace QentSim
