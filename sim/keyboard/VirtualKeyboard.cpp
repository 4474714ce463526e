#include "sim/keyboard/VirtualKeyboard.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <utility>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/keyboard/KeyboardSysEx.h"

namespace QentSim {

namespace {

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kPressed = 127;
// A knob reports a turn in one 7-bit value: 1..64 up by that many steps, 65..127 down by
// value - 64 steps, 0 no movement.
constexpr int kMostUp = 64;
constexpr int kMostDown = 63;

std::uint8_t turnValue(int steps) {
  return static_cast<std::uint8_t>(steps > 0 ? steps : 64 - steps);
}

std::string field(const std::uint8_t* bytes, std::size_t width) {
  return std::string(reinterpret_cast<const char*>(bytes), width);
}

}  // namespace

VirtualKeyboard::VirtualKeyboard(int number)
    : number_(number), lamps_(KeyboardElements::kCount, false) {}

void VirtualKeyboard::connect(Sender toHost) { toHost_ = std::move(toHost); }

void VirtualKeyboard::emit(const Bytes& bytes) {
  ++activity_;
  if (toHost_ && !bytes.empty()) toHost_(bytes.data(), bytes.size());
}

void VirtualKeyboard::send(const Bytes& bytes) { emit(bytes); }

bool VirtualKeyboard::turn(int element, int ticks, std::string* error) {
  if (!KeyboardElements::isEncoder(element)) {
    if (error != nullptr) *error = "only the knobs and the dial turn";
    return false;
  }
  const std::uint8_t controller = KeyboardElements::at(element)->number;
  if (ticks == 0) {
    emit({kControlChange, controller, 0});
    return true;
  }
  // One message carries at most 64 steps up or 63 down; a faster turn sends several.
  int left = ticks;
  while (left != 0) {
    const int step = left > 0 ? std::min(left, kMostUp) : std::max(left, -kMostDown);
    emit({kControlChange, controller, turnValue(step)});
    left -= step;
  }
  return true;
}

bool VirtualKeyboard::press(int element, std::string* error) {
  if (!KeyboardElements::isButton(element)) {
    if (error != nullptr) *error = "only buttons are pressed; knobs and the dial turn";
    return false;
  }
  emit({kNoteOn, KeyboardElements::at(element)->number, kPressed});
  return true;
}

bool VirtualKeyboard::release(int element, std::string* error) {
  if (!KeyboardElements::isButton(element)) {
    if (error != nullptr) *error = "only buttons are released; knobs and the dial turn";
    return false;
  }
  emit({kNoteOn, KeyboardElements::at(element)->number, 0});
  return true;
}

void VirtualKeyboard::receiveMidi(const std::uint8_t* bytes, std::size_t length) {
  if (bytes == nullptr || length == 0) return;
  ++activity_;
  received_.push_back({Bytes(bytes, bytes + length), round_});
  if (bytes[0] == 0xF0) {
    readSysEx(bytes, length);
  } else if ((bytes[0] & 0xF0) == kNoteOn && length == 3) {
    // Lamps answer to their button's note-on on any channel the host picks.
    const int element = KeyboardElements::findByMessage(kNoteOn, bytes[1]);
    if (element >= 0) lamps_[static_cast<std::size_t>(element)] = bytes[2] != 0;
  }
}

void VirtualKeyboard::readSysEx(const std::uint8_t* bytes, std::size_t length) {
  // A damaged message, one of another device or one the display has no use for changes nothing.
  KeyboardSysEx::FromHost message;
  if (!KeyboardSysEx::readFromHost(bytes, length, message)) return;
  using Kind = KeyboardSysEx::Kind;
  switch (message.kind) {
    case Kind::kKnobName:
      knobNames_[message.index] = field(message.data, message.width);
      break;
    case Kind::kKnobValue:
      knobValues_[message.index] = field(message.data, message.width);
      break;
    case Kind::kKeyLabel:
      keyLabels_[message.index] = field(message.data, message.width);
      break;
    case Kind::kLine:
      line_ = field(message.data, message.width);
      break;
    case Kind::kMemoryName:
      memoryName_ = field(message.data, message.width);
      break;
    case Kind::kFlag:
      flag_ = message.data[0];
      break;
    case Kind::kName:
      nameField_ = field(message.data, message.width);
      if (answerName_) answerName();
      break;
    case Kind::kHello:
      if (answerHello_) answerHello();
      break;
  }
}

void VirtualKeyboard::answerHello() {
  pending_.push_back(KeyboardSysEx::remoteMode(1));
  // The name field as it stands; a blank field still travels as 12 spaces.
  pending_.push_back(KeyboardSysEx::name(nameField_));
}

void VirtualKeyboard::answerName() {
  // The field holds exactly the 12 bytes the host sent, so the echo is byte for byte.
  pending_.push_back(KeyboardSysEx::name(nameField_));
  auto stored = assignments_.find(nameKey(nameField_));
  pending_.push_back(KeyboardSysEx::assignmentDump(stored != assignments_.end() ? stored->second
                                                                                : KnobSettings{}));
}

bool VirtualKeyboard::sendPendingAnswers() {
  if (pending_.empty()) return false;
  std::vector<Bytes> due;
  due.swap(pending_);
  for (const Bytes& message : due) emit(message);
  return true;
}

std::string VirtualKeyboard::nameKey(std::string_view name) {
  return trimmed(std::string(name.substr(0, kNameWidth)));
}

void VirtualKeyboard::storeAssignment(std::string_view name, int knob, const KnobSetting& value) {
  if (knob < 0 || knob >= KnobSetting::kAssignableKnobs) return;
  auto inserted = assignments_.try_emplace(nameKey(name));
  inserted.first->second[static_cast<std::size_t>(knob)] = value;
}

std::string VirtualKeyboard::trimmed(const std::string& text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string VirtualKeyboard::knobName(int knob) const {
  return knob >= 0 && knob < kKnobCount ? trimmed(knobNames_[knob]) : std::string();
}

std::string VirtualKeyboard::knobValue(int knob) const {
  return knob >= 0 && knob < kKnobCount ? trimmed(knobValues_[knob]) : std::string();
}

std::string VirtualKeyboard::keyLabel(int key) const {
  return key >= 0 && key < kKeyCount ? trimmed(keyLabels_[key]) : std::string();
}

bool VirtualKeyboard::lamp(int element) const {
  return element >= 0 && element < KeyboardElements::kCount &&
         lamps_[static_cast<std::size_t>(element)];
}

void VirtualKeyboard::setModeText(std::string text) {
  if (text != modeText_) ++activity_;
  modeText_ = std::move(text);
}

namespace {

// A field as the display shows it: exactly `width` characters, unprintable ones as '?'.
std::string shown(const std::string& text, std::size_t width) {
  std::string out = text.substr(0, width);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  }
  out.resize(width, ' ');
  return out;
}

}  // namespace

void VirtualKeyboard::draw(std::ostream& out) const {
  constexpr std::size_t kInside = 78;
  auto row = [&out](const std::string& content) {
    out << "| " << shown(content, kInside) << " |\n";
  };
  auto lampMark = [this](int element) { return std::string(lamp(element) ? "(*)" : "( )"); };
  const std::string title = "-- keyboard " + std::to_string(number_) + " ";
  out << "+" << title << std::string(kInside + 2 - title.size(), '-') << "+\n";
  row("target [" + shown(nameField_, kNameWidth) + "]  memory [" +
      shown(memoryName_, KeyboardSysEx::kMemoryNameWidth) + "]  flag " +
      (flag_ < 0 ? std::string("-") : std::to_string(flag_)));
  row("line   [" + shown(line_, KeyboardSysEx::kLineWidth) + "]  mode " + modeText_);
  std::string keys = "keys  ";
  for (int k = 0; k < kKeyCount; ++k)
    keys += " F" + std::to_string(k + 1) + "[" +
            shown(keyLabels_[k], KeyboardSysEx::kKeyLabelWidth) + "]";
  row(keys);
  for (int n = 0; n < 12; ++n) {
    std::ostringstream knobs;
    knobs << std::setw(2) << n + 1 << " " << shown(knobNames_[n], 24) << " ["
          << shown(knobValues_[n], 8) << "]  " << std::setw(2) << n + 13 << " "
          << shown(knobNames_[n + 12], 24) << " [" << shown(knobValues_[n + 12], 8) << "]";
    row(knobs.str());
  }
  std::string lamps = "Play" + lampMark(29) + " Record" + lampMark(30) + " Jog" + lampMark(47) +
                      " Lock" + lampMark(48) + "   SF banks";
  for (int b = 0; b < 6; ++b) lamps += " " + std::to_string(b + 1) + lampMark(49 + b);
  row(lamps);
  out << "+" << std::string(kInside + 2, '-') << "+\n";
}

}  // namespace QentSim
