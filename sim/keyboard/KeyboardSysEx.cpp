#include "sim/keyboard/KeyboardSysEx.h"

#include <algorithm>

namespace QentSim {

namespace {

constexpr std::uint8_t kStart = 0xF0;
constexpr std::uint8_t kEnd = 0xF7;
constexpr std::uint8_t kMaker = 0x43;
constexpr std::uint8_t kForm = 0x10;
constexpr std::uint8_t kSecondForm = 0x30;
constexpr std::uint8_t kFromHost = 0x00;
constexpr std::uint8_t kFromKeyboard = 0x01;
// Header: start, maker, form, 7F 1C, direction, 01; then the address.
constexpr std::size_t kHeaderSize = 7;
constexpr std::size_t kFormAt = 2;
constexpr std::size_t kDirectionAt = 5;
constexpr std::size_t kDataAt = kHeaderSize + 2;
// Header, address and F7: a message with no data.
constexpr std::size_t kFrameSize = kDataAt + 1;

constexpr std::uint8_t kFirstKnobHigh = 0x30;
constexpr std::uint8_t kKnobNameLow = 0x09;
constexpr std::uint8_t kKnobValueLow = 0x21;
constexpr std::size_t kKnobValueTail = 2;  // the two 00 bytes after a value text
constexpr std::uint8_t kKeyLabelHigh = 0x61;

bool hasHostHeader(const std::uint8_t* bytes, std::size_t length) {
  return length >= kFrameSize && bytes[0] == kStart && bytes[1] == kMaker &&
         (bytes[kFormAt] == kForm || bytes[kFormAt] == kSecondForm) && bytes[3] == 0x7F &&
         bytes[4] == 0x1C && bytes[kDirectionAt] == kFromHost && bytes[6] == 0x01;
}

// A message of this keyboard to the host with `dataLength` zero data bytes.
KeyboardSysEx::Bytes toHost(std::uint8_t high, std::uint8_t low, std::size_t dataLength) {
  KeyboardSysEx::Bytes message(kFrameSize + dataLength, 0);
  const std::uint8_t header[kHeaderSize] = {kStart, kMaker, kForm, 0x7F, 0x1C, kFromKeyboard, 0x01};
  std::copy(std::begin(header), std::end(header), message.begin());
  message[kHeaderSize] = high;
  message[kHeaderSize + 1] = low;
  message.back() = kEnd;
  return message;
}

}  // namespace

bool KeyboardSysEx::readFromHost(const std::uint8_t* bytes, std::size_t length, FromHost& out) {
  if (bytes == nullptr || !hasHostHeader(bytes, length) || bytes[length - 1] != kEnd) return false;
  const std::uint8_t high = bytes[kHeaderSize];
  const std::uint8_t low = bytes[kHeaderSize + 1];
  FromHost read;
  std::size_t dataLength = 0;
  if (high >= kFirstKnobHigh && high < kFirstKnobHigh + kKnobCount &&
      (low == kKnobNameLow || low == kKnobValueLow)) {
    read.index = high - kFirstKnobHigh;
    read.kind = low == kKnobNameLow ? Kind::kKnobName : Kind::kKnobValue;
    read.width = low == kKnobNameLow ? kKnobNameWidth : kKnobValueWidth;
    dataLength = low == kKnobNameLow ? read.width : read.width + kKnobValueTail;
  } else if (high == kKeyLabelHigh && low % kKeyLabelWidth == 0 &&
             low < kKeyCount * kKeyLabelWidth) {
    read = {Kind::kKeyLabel, low / static_cast<int>(kKeyLabelWidth), nullptr, kKeyLabelWidth};
    dataLength = kKeyLabelWidth;
  } else {
    switch (high << 8 | low) {
      case 0x5000:
        read = {Kind::kName, 0, nullptr, kNameWidth};
        break;
      case 0x6000:
        read = {Kind::kLine, 0, nullptr, kLineWidth};
        break;
      case 0x6200:
        read = {Kind::kMemoryName, 0, nullptr, kMemoryNameWidth};
        break;
      case 0x6300:
        read = {Kind::kFlag, 0, nullptr, 1};
        break;
      case 0x5601:
        read = {Kind::kHello, 0, nullptr, 0};
        break;
      default:
        return false;
    }
    dataLength = read.width;
  }
  if (length != kFrameSize + dataLength) return false;
  read.data = bytes + kDataAt;
  out = read;
  return true;
}

KeyboardSysEx::Bytes KeyboardSysEx::remoteMode(std::uint8_t state) {
  Bytes message = toHost(0x56, 0x00, 1);
  message[kDataAt] = state;
  return message;
}

KeyboardSysEx::Bytes KeyboardSysEx::name(std::string_view field) {
  Bytes message = toHost(0x50, 0x00, kNameWidth);
  for (std::size_t i = 0; i < kNameWidth; ++i)
    message[kDataAt + i] = i < field.size() ? static_cast<std::uint8_t>(field[i]) : ' ';
  return message;
}

KeyboardSysEx::Bytes KeyboardSysEx::assignmentDump(const KnobSettings& settings) {
  Bytes message = toHost(0x51, 0x00, kKnobCount * KnobSetting::kBlockSize);
  for (int knob = 0; knob < kKnobCount; ++knob) {
    const KnobSetting setting = knob < KnobSetting::kAssignableKnobs
                                    ? settings[static_cast<std::size_t>(knob)]
                                    : KnobSetting::fixedEq(knob);
    setting.writeBlock(message.data() + kDataAt +
                       static_cast<std::size_t>(knob) * KnobSetting::kBlockSize);
  }
  return message;
}

}  // namespace QentSim
