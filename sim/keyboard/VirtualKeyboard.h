// A QENT6/QENT8 keyboard on the far side of the simulated host's MIDI ports.
//
// It plays what a person does on the hardware (knob turns, button presses) as the hardware's
// MIDI messages, and keeps what the hardware would show from everything the host sends it:
// the 24 knob names and values, the text line, the target name, six function-key labels, the
// memory name, the state flag and the lamps. It also keeps the mode text the host shows on the
// keyboard's behalf (fed in by whoever watches the host's showText).
//
// Answers, as the hardware gives them:
//   - hello (56 01 from the host): the keyboard reports that it is in remote mode (56 00 01)
//     and then the name on its display (50 00), which is how the host learns what it shows;
//   - a target name (50 00 from the host): the keyboard shows it and reports it back (50 00)
//     followed by the knob assignments it stores for that name (51 00, unassigned knobs for a
//     name it has none for).
// Answers are not sent from inside receiveMidi (that would re-enter the host while it is still
// sending); they wait until sendPendingAnswers(), which the simulation calls between host
// rounds, as the hardware's reply comes a moment later.
//
// Threading: everything runs on the simulation's (host) thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "sim/MidiWire.h"
#include "sim/keyboard/KnobSetting.h"

namespace QentSim {

class VirtualKeyboard : public IMidiReceiver {
 public:
  using Bytes = std::vector<std::uint8_t>;
  // Where the keyboard's messages go: the host's input port. Called on the host thread.
  using Sender = std::function<void(const std::uint8_t* bytes, std::size_t length)>;

  // One message the host sent to the keyboard, with the host round it arrived in.
  struct Received {
    Bytes bytes;
    std::uint64_t round;
  };

  static constexpr int kKnobCount = 24;
  static constexpr int kKeyCount = 6;
  static constexpr int kNameWidth = 12;

  // Keyboard `number` (1-based), unplugged, with a blank display and all lamps dark.
  explicit VirtualKeyboard(int number = 1);

  // The number it was made with.
  int number() const { return number_; }

  // Plugs the keyboard's output into the host; an empty sender unplugs it (messages are lost).
  void connect(Sender toHost);

  // --- host to keyboard (the cable) -----------------------------------------------------------

  // Records the message and shows what it says: texts and the flag from the SysEx of the
  // display, lamps from note-ons; the answers it calls for wait for sendPendingAnswers().
  void receiveMidi(const std::uint8_t* bytes, std::size_t length) override;

  // --- what a person does; each returns false with a reason when the element cannot do it -----

  // Turns a knob or the dial by `ticks` (negative: down). A turn larger than one message can
  // carry (64 up, 63 down) goes out as several messages; 0 sends the no-movement value 0.
  bool turn(int element, int ticks, std::string* error);
  // Button down (note-on velocity 127) and up (velocity 0).
  bool press(int element, std::string* error);
  bool release(int element, std::string* error);
  // Sends bytes as they are (one complete message).
  void send(const Bytes& bytes);

  // --- what the keyboard stores ---------------------------------------------------------------

  // Stores knob `knob`'s (0..11) assignment for the target `name` (compared as the display
  // shows it: its first 12 characters without trailing spaces). Other knobs store nothing.
  void storeAssignment(std::string_view name, int knob, const KnobSetting& value);
  // Switch the automatic answers to the hello and to a target name on or off (default on).
  void setAnswerHello(bool on) { answerHello_ = on; }
  void setAnswerName(bool on) { answerName_ = on; }

  // Sends the answers that are due. True when something was sent.
  bool sendPendingAnswers();

  // --- what the display shows (texts as the fields hold them, trailing spaces removed) --------

  std::string knobName(int knob) const;   // knob 0..23
  std::string knobValue(int knob) const;  // knob 0..23
  std::string line() const { return trimmed(line_); }
  std::string target() const { return trimmed(nameField_); }
  std::string keyLabel(int key) const;  // key 0..5
  std::string memoryName() const { return trimmed(memoryName_); }
  // The state flag, -1 before the host has sent one.
  int flag() const { return flag_; }
  // True when the host last lit the lamp of this element.
  bool lamp(int element) const;
  // The mode text the host last showed on the keyboard's behalf, as fed in.
  const std::string& modeText() const { return modeText_; }
  void setModeText(std::string text);

  // --- observation ---------------------------------------------------------------------------

  // Every message the host sent since the last clearLog(), oldest first.
  const std::vector<Received>& received() const { return received_; }
  // Forgets what was received; the display keeps what it shows.
  void clearLog() { received_.clear(); }
  // The round tag given to messages arriving from now on.
  void setRound(std::uint64_t round) { round_ = round; }
  // Grows with every message in either direction; a settled simulation keeps it still.
  std::uint64_t activity() const { return activity_; }

  // Draws the display and the lamps as text.
  void draw(std::ostream& out) const;

  // The text without trailing spaces.
  static std::string trimmed(const std::string& field);

 private:
  void emit(const Bytes& bytes);
  void readSysEx(const std::uint8_t* bytes, std::size_t length);
  void answerHello();
  void answerName();
  static std::string nameKey(std::string_view name);

  int number_;
  Sender toHost_;
  std::vector<Received> received_;
  std::vector<Bytes> pending_;
  std::uint64_t round_ = 0;
  std::uint64_t activity_ = 0;

  std::string knobNames_[kKnobCount];
  std::string knobValues_[kKnobCount];
  std::string line_;
  std::string nameField_;
  std::string keyLabels_[kKeyCount];
  std::string memoryName_;
  int flag_ = -1;
  std::vector<bool> lamps_;
  std::string modeText_;

  bool answerHello_ = true;
  bool answerName_ = true;
  std::map<std::string, KnobSettings> assignments_;
};

}  // namespace QentSim
