// Scenario files are written by hand: whatever a file holds, the parser must answer with
// commands or with one error line, and the virtual keyboard must take any bytes a host sends.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sim/keyboard/VirtualKeyboard.h"
#include "sim/scenario/ScenarioParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QentSim::Scenario commands;
  QentSim::ScenarioError error;
  QentSim::ScenarioParser::parse(std::string_view(reinterpret_cast<const char*>(data), size),
                                 commands, error);

  QentSim::VirtualKeyboard keyboard;
  keyboard.receiveMidi(data, size);
  return 0;
}
