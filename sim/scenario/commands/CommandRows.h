// The rows of the scenario commands, one group per section of `qentsim run --help` (each group
// in its own file, in the order help lists it), and the few helpers the rows share.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

class HostWindow;

// ---- the groups ----

std::span<const CommandRow> setUpRows();          // SetUpCommands.cpp
std::span<const CommandRow> lifeCycleRows();      // LifeCycleCommands.cpp
std::span<const CommandRow> timeRows();           // TimeCommands.cpp
std::span<const CommandRow> keyboardRows();       // KeyboardCommands.cpp
std::span<const CommandRow> hostRows();           // HostCommands.cpp
std::span<const CommandRow> keyboardCheckRows();  // KeyboardChecks.cpp
std::span<const CommandRow> hostCheckRows();      // HostChecks.cpp
std::span<const CommandRow> outputRows();         // OutputCommands.cpp

// ---- what the rows share (CommandSupport.cpp) ----

// How every check fails: *why becomes "expected WANTED, saw SEEN", and the answer is false.
// `saw` replaces "saw" only where a test or a user reads the older wording.
bool expected(std::string* why, const std::string& wanted, const std::string& seen,
              std::string_view saw = "saw");

// The text in double quotes.
std::string quoted(const std::string& text);
// The texts quoted and separated by ", "; "none" when there are none.
std::string listed(const std::vector<std::string>& items);
// A number as short as it reads exactly enough: "25", "0.1", "-60".
std::string number(double value);
// An OBJECT token: "track:NAME", "eq:NAME", "qc:NAME", "inst:NAME", "Mixer" or "Transport";
// with `hostFunctions`, a host function too ("Jog", "HoverKnob"). False (reason in `args`) for
// any other.
bool readObject(ArgumentReader& args, std::string& out, bool hostFunctions);

// A settings value as a scenario writes it: NUMBER, or "TEXT" in quotes.
struct SettingValue {
  bool isNumber = false;
  int number = 0;
  std::string text;
  // Reads NUMBER or "TEXT"; false (reason in `args`) when it is neither.
  bool read(ArgumentReader& args);
  // As a failure shows it: the number, or the text quoted.
  std::string describe() const;
};

// Where a setting lives: "SECTION" "KEY".
struct SettingKey {
  std::string section;
  std::string key;
  // Reads "SECTION" "KEY"; false (reason in `args`) when either is missing.
  bool read(ArgumentReader& args);
  // As a failure shows it: both quoted.
  std::string describe() const;
  // What the host's settings hold there; false when nothing.
  bool find(Simulation& simulation, SettingValue* stored) const;
};

// False with the reason when the skin engine found faults (the module's, and usually why a
// window or its control is missing).
bool windowsWork(Simulation& simulation, std::string* why);
// The open window; null with the reason when there is none or the skin engine found faults.
HostWindow* openWindow(Simulation& simulation, std::string* why);

}  // namespace QentSim
