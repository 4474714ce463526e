// One line of a scenario file after parsing: the verb, the keyboard it addresses and its
// arguments already checked and converted, so running it cannot meet malformed input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scenario/BytePattern.h"

namespace QentSim {

enum class Verb {
  // set-up
  Host,
  Language,
  Project,
  Settings,
  Keyboards,
  Port,
  Service,
  // life cycle
  Start,
  Stop,
  Restart,
  Detect,
  Unplug,
  Activate,
  Deactivate,
  // time
  Idle,
  Advance,
  Clock,
  Settle,
  Wait,
  Position,
  // keyboard
  Turn,
  Press,
  Release,
  Tap,
  Midi,
  SysEx,
  KbAssign,
  KbAnswer,
  // host
  Select,
  Set,
  Page,
  Command,
  Menu,
  // checks and the rest
  Expect,
  Clear,
  Show,
  Say,
};

enum class Check {
  None,
  Sent,
  NotSent,
  SentCount,
  IdleMax,
  KnobName,
  KnobValue,
  Line,
  Target,
  MemoryName,
  FKey,
  Flag,
  Lamp,
  Mode,
  Executed,
  NotExecuted,
  Function,
  Playing,
  Recording,
  Mixer,
  Devices,
  Device,
  Bindings,
  DetectResult,
  Step,
  NotStep,
  Value,
  Text,
  Setting,
};

struct ScenarioCommand {
  int line = 0;
  Verb verb = Verb::Show;
  Check check = Check::None;
  // Keyboard addressed with "@K" (1-based); 1 when none was given.
  int keyboard = 1;
  bool keyboardGiven = false;

  // Arguments by kind, in the order the verb takes them.
  std::vector<std::string> texts;
  std::vector<std::int64_t> numbers;
  BytePattern bytes;
  double real = 0.0;
  double tolerance = 0.0;
  bool flag = false;
  // kb-answer: which answer ("hello", "name" or "" for both); service: its name.
  std::string which;
};

}  // namespace QentSim
