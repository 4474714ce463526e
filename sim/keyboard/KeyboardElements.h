// The keyboard's controls as the keyboard itself knows them: which MIDI message each one sends
// (and, for the lit buttons, which note-on lights it). The module keeps its own table; the
// simulator keeps this one so the two can disagree and a test can notice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace QentSim {

struct KeyboardElement {
  const char* name;
  std::uint8_t status;  // 0xB0 control change or 0x90 note-on, MIDI channel 1
  std::uint8_t number;  // controller or note number
  bool hasLamp;
};

class KeyboardElements {
 public:
  static constexpr int kCount = 55;
  static constexpr int kKnobCount = 24;  // "AsgnKnob1".."AsgnKnob12", "EQKnob1".."EQKnob12"
  static constexpr int kDataDial = 24;

  // Element by index 0..54; null outside.
  static const KeyboardElement* at(int index);
  // Index of the element with this name, compared without regard to ASCII case; -1 if none.
  static int find(std::string_view name);
  // Index of the element that sends or shows (status, number); -1 if none.
  static int findByMessage(std::uint8_t status, std::uint8_t number);
  // Knobs and the dial turn; everything else is a button.
  static bool isEncoder(int index) { return index >= 0 && index <= kDataDial; }
  static bool isButton(int index) { return index > kDataDial && index < kCount; }
  // The knob of a knob reference: "AsgnKnob3"/"EQKnob1" by name, or "1".."24"; -1 otherwise.
  static int knobFromText(std::string_view text);
};

}  // namespace QentSim
