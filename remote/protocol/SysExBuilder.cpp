#include "remote/protocol/SysExBuilder.h"

#include "remote/protocol/FixedText.h"

namespace Brennholt {

namespace {

constexpr int32 kDataPos = static_cast<int32>(SysExFormat::kDataPos);

bool isKnob(int32 knob) { return knob >= 0 && knob < SysExFormat::kKnobCount; }
bool isButton(int32 index) { return index >= 0 && index < SysExFormat::kButtonCount; }

// A message with a single data byte; empty for a byte outside 0..127, which SysEx cannot carry.
SysExPtr withByte(SysExDirection direction, SysExAddress address, int32 value,
                  SysExForm form = SysExForm::Data) {
  if (value < 0 || value > 0x7F) return {};
  SysExPtr msg = SysExBuilder::frame(direction, address, form);
  if (msg) msg[kDataPos] = static_cast<uint8>(value);
  return msg;
}

enum class TextRule { FixedWidth, Verbatim };

// A message whose data starts with one text field of `width` bytes; the rest of the data stays
// zero. Empty when the frame cannot be built or the field does not fit it.
SysExPtr withText(SysExDirection direction, SysExAddress address, std::string_view text,
                  int32 width, TextRule rule, SysExForm form = SysExForm::Data) {
  SysExPtr msg = SysExBuilder::frame(direction, address, form);
  if (!msg) return {};
  const int32 end = rule == TextRule::FixedWidth
                        ? FixedText::write(text, msg.get(), msg.size(), kDataPos, width)
                        : FixedText::writeVerbatim(text, msg.get(), msg.size(), kDataPos, width);
  if (end < 0) return {};
  return msg;
}

}  // namespace

SysExPtr SysExBuilder::frame(SysExDirection direction, SysExAddress address, SysExForm form) {
  const std::size_t length = SysExFormat::fixedLength(address);
  if (length == 0) return {};
  SysExPtr msg = SysExPtr::allocate(length);
  if (!msg) return {};
  SysExFormat::writeHeader(msg.get(), direction, form);
  msg[SysExFormat::kAddressHighPos] = address.high;
  msg[SysExFormat::kAddressLowPos] = address.low;
  msg[length - 1] = SysExFormat::kEnd;
  return msg;
}

SysExPtr SysExBuilder::knobMove(int32 knob, int32 value) {
  if (!isKnob(knob) || value < 0 || value > 127) return {};
  return withByte(SysExDirection::KeyboardToHost,
                  {SysExFormat::knobHigh(knob), SysExFormat::kKnobMoveLow}, value);
}

SysExPtr SysExBuilder::functionKey(int32 key) {
  if (!isButton(key)) return {};
  return withByte(SysExDirection::KeyboardToHost, SysExFormat::kFunctionKey, key);
}

SysExPtr SysExBuilder::bankButton(int32 bank) {
  if (!isButton(bank)) return {};
  return withByte(SysExDirection::KeyboardToHost, SysExFormat::kMemory, bank);
}

SysExPtr SysExBuilder::helloToService() {
  return frame(SysExDirection::KeyboardToHost, SysExFormat::kHello);
}

SysExPtr SysExBuilder::helloToKeyboard() {
  return frame(SysExDirection::HostToKeyboard, SysExFormat::kHello);
}

SysExPtr SysExBuilder::memory(int32 memory) {
  if (!isButton(memory)) return {};
  return withByte(SysExDirection::HostToKeyboard, SysExFormat::kMemory, memory);
}

SysExPtr SysExBuilder::jogStop(bool on) {
  return withByte(SysExDirection::HostToKeyboard, SysExFormat::kJogStop, on ? 1 : 0);
}

SysExPtr SysExBuilder::knobName(int32 knob, std::string_view name) {
  if (!isKnob(knob)) return {};
  return withText(SysExDirection::HostToKeyboard,
                  {SysExFormat::knobHigh(knob), SysExFormat::kKnobNameLow}, name,
                  SysExFormat::kKnobNameWidth, TextRule::FixedWidth);
}

SysExPtr SysExBuilder::knobValue(int32 knob, std::string_view text) {
  if (!isKnob(knob)) return {};
  // The two bytes after the text stay 00, as the frame leaves them.
  return withText(SysExDirection::HostToKeyboard,
                  {SysExFormat::knobHigh(knob), SysExFormat::kKnobValueLow}, text,
                  SysExFormat::kKnobValueWidth, TextRule::FixedWidth);
}

SysExPtr SysExBuilder::targetName(std::string_view name) {
  if (name.empty() || name.front() == '\0') return {};
  return withText(SysExDirection::HostToKeyboard, SysExFormat::kName, name, SysExFormat::kNameWidth,
                  TextRule::Verbatim);
}

SysExPtr SysExBuilder::textLine(std::string_view text) {
  return withText(SysExDirection::HostToKeyboard, SysExFormat::kTextLine, text,
                  SysExFormat::kTextLineWidth, TextRule::FixedWidth);
}

SysExPtr SysExBuilder::buttonName(int32 key, std::string_view label) {
  const int32 low = SysExFormat::buttonNameLow(key);
  if (low < 0) return {};
  return withText(SysExDirection::HostToKeyboard,
                  {SysExFormat::kButtonNameHigh, static_cast<uint8>(low)}, label,
                  SysExFormat::kButtonNameWidth, TextRule::FixedWidth);
}

SysExPtr SysExBuilder::memoryName(std::string_view name) {
  if (name.empty() || name.front() == '\0') return {};
  return withText(SysExDirection::HostToKeyboard, SysExFormat::kMemoryName, name,
                  SysExFormat::kMemoryNameWidth, TextRule::FixedWidth);
}

SysExPtr SysExBuilder::instrumentState(bool on) {
  return withByte(SysExDirection::HostToKeyboard, SysExFormat::kInstrumentState, on ? 1 : 0);
}

SysExPtr SysExBuilder::keyboardName(std::string_view name, SysExForm form) {
  return withText(SysExDirection::KeyboardToHost, SysExFormat::kName, name, SysExFormat::kNameWidth,
                  TextRule::Verbatim, form);
}

SysExPtr SysExBuilder::assignmentEntry(int32 knob, const KnobAssignment& assignment,
                                       SysExForm form) {
  if (!isKnob(knob)) return {};
  const SysExAddress address{SysExFormat::knobHigh(knob), SysExFormat::kKnobAssignmentLow};
  SysExPtr msg = frame(SysExDirection::KeyboardToHost, address, form);
  if (!msg) return {};
  if (KnobAssignment::format(assignment, knob, msg.get(), msg.size(), kDataPos) < 0) return {};
  return msg;
}

SysExPtr SysExBuilder::assignmentDump(const KnobAssignment::Table& table, SysExForm form) {
  SysExPtr msg = frame(SysExDirection::KeyboardToHost, SysExFormat::kAssignmentDump, form);
  if (!msg) return {};
  int32 pos = kDataPos;
  for (int32 knob = 0; knob < SysExFormat::kKnobCount; ++knob) {
    pos = KnobAssignment::format(table[static_cast<std::size_t>(knob)], knob, msg.get(), msg.size(),
                                 pos);
    if (pos < 0) return {};
  }
  return msg;
}

SysExPtr SysExBuilder::remoteMode(int32 state, SysExForm form) {
  return withByte(SysExDirection::KeyboardToHost, SysExFormat::kRemoteMode, state, form);
}

}  // namespace Brennholt
