// Framing of every SysEx message exchanged with the keyboard and between the remotes and the
// service:
//
//   byte 0     F0      start of exclusive
//   byte 1     43      manufacturer
//   byte 2     10|30   header form: 10 = data form, 30 = second form (the service reads only 10)
//   bytes 3-4  7F 1C   fixed
//   byte 5     00|01   direction: 00 = host to keyboard, 01 = keyboard to host
//   byte 6     01      fixed
//   byte 7     address high (30+n for knob n, n = 0..24)
//   byte 8     address low
//   byte 9..   data, a fixed number of bytes per address
//   last       F7      end of exclusive
//
// There is no checksum and no length field: every address the module reads or builds has one
// fixed total length, and a receiver checks a message by looking for F7 at that position. The
// two addresses the remote only passes on to the keyboard (52 00, 53 00) have none and end at
// their first F7.
#pragma once

#include <array>
#include <cstddef>

#include "core/Types.h"

namespace Brennholt {

// Byte 5 of the header.
enum class SysExDirection : uint8 { HostToKeyboard = 0x00, KeyboardToHost = 0x01 };

// Byte 2 of the header.
enum class SysExForm : uint8 { Data = 0x10, Second = 0x30 };

// Bytes 7 and 8.
struct SysExAddress {
  uint8 high;
  uint8 low;
  friend constexpr bool operator==(SysExAddress, SysExAddress) = default;
};

class SysExFormat {
 public:
  using Header = std::array<uint8, 7>;

  static constexpr uint8 kStart = 0xF0;
  static constexpr uint8 kEnd = 0xF7;

  static constexpr Header kKeyboardToHostData{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01};
  static constexpr Header kKeyboardToHostSecond{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x01, 0x01};
  static constexpr Header kHostToKeyboardData{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01};
  static constexpr Header kHostToKeyboardSecond{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x00, 0x01};

  static constexpr std::size_t kHeaderSize = 7;
  static constexpr std::size_t kFormPos = 2;
  static constexpr std::size_t kAddressHighPos = 7;
  static constexpr std::size_t kAddressLowPos = 8;
  static constexpr std::size_t kDataPos = 9;
  // Header, address and F7: the hello, the shortest message there is.
  static constexpr std::size_t kMinimumSize = 10;

  // Knobs 0..11 are "AsgnKnob1".."AsgnKnob12", 12..23 "EQKnob1".."EQKnob12".
  static constexpr int32 kKnobCount = 24;
  // Address high 30..48 is the knob range; 48 (knob 24) exists only on the keyboard's side.
  static constexpr uint8 kKnobHighFirst = 0x30;
  static constexpr uint8 kKnobHighLast = 0x48;

  // Address low bytes within the knob range.
  static constexpr uint8 kKnobAssignmentLow = 0x00;  // keyboard: one assignment block
  static constexpr uint8 kKnobNameLow = 0x09;        // service: 24-character parameter name
  static constexpr uint8 kKnobValueLow = 0x21;       // service: 8-character value text, 00 00
  static constexpr uint8 kKnobMoveLow = 0x41;        // remote: relative knob value

  static constexpr SysExAddress kFunctionKey{0x21, 0x00};      // remote: key 0..5 pressed
  static constexpr SysExAddress kMemory{0x22, 0x00};           // both ways: SF bank / memory 0..5
  static constexpr SysExAddress kJogStop{0x23, 0x00};          // service: "JogStop" option 0/1
  static constexpr SysExAddress kName{0x50, 0x00};             // both ways: 12-character name
  static constexpr SysExAddress kAssignmentDump{0x51, 0x00};   // keyboard: 24 assignment blocks
  static constexpr SysExAddress kOutbound52{0x52, 0x00};       // passed to the keyboard, unused
  static constexpr SysExAddress kOutbound53{0x53, 0x00};       // passed to the keyboard, unused
  static constexpr SysExAddress kRemoteMode{0x56, 0x00};       // keyboard: 1 = remote mode
  static constexpr SysExAddress kHello{0x56, 0x01};            // both ways, no data
  static constexpr SysExAddress kTextLine{0x60, 0x00};         // service: 24-character line
  static constexpr uint8 kButtonNameHigh = 0x61;               // service: 61 6k, 6 characters
  static constexpr SysExAddress kMemoryName{0x62, 0x00};       // service: 16-character name
  static constexpr SysExAddress kInstrumentState{0x63, 0x00};  // service: state flag 0/1

  // Data widths of the text messages.
  static constexpr int32 kKnobNameWidth = 24;
  static constexpr int32 kKnobValueWidth = 8;
  static constexpr int32 kNameWidth = 12;
  static constexpr int32 kTextLineWidth = 24;
  static constexpr int32 kButtonNameWidth = 6;
  static constexpr int32 kMemoryNameWidth = 16;
  // One knob assignment block: mode digit and eight hex digits.
  static constexpr std::size_t kAssignmentBlockSize = 9;
  // Six function keys, six SF banks / setup memories.
  static constexpr int32 kButtonCount = 6;

  // The header of the given direction and form.
  static const Header& header(SysExDirection direction, SysExForm form);

  // Writes one of the four headers into out[0..6]; out must hold at least kHeaderSize bytes.
  static void writeHeader(uint8* out, SysExDirection direction, SysExForm form);

  // True when msg[0..6] is exactly the header of that direction and form. Reads nothing when
  // `size` is below kHeaderSize.
  static bool hasHeader(const uint8* msg, std::size_t size, SysExDirection direction,
                        SysExForm form);
  // True for either form of the given direction.
  static bool hasHeaderOfDirection(const uint8* msg, std::size_t size, SysExDirection direction);

  // Bytes 7 and 8; false (and nothing read) when the message is shorter than the address.
  static bool readAddress(const uint8* msg, std::size_t size, SysExAddress& out);

  static constexpr bool isKnobHigh(uint8 high) {
    return high >= kKnobHighFirst && high <= kKnobHighLast;
  }
  // Knob number of a knob-range address high (0..24), -1 outside the range.
  static constexpr int32 knobFromHigh(uint8 high) {
    return isKnobHigh(high) ? static_cast<int32>(high - kKnobHighFirst) : -1;
  }
  // Address high of knob n; only meaningful for n = 0..24.
  static constexpr uint8 knobHigh(int32 knob) { return static_cast<uint8>(kKnobHighFirst + knob); }

  // Address low of function key k's label: 6·k for k = 0..5, -1 for other k.
  static constexpr int32 buttonNameLow(int32 key) {
    return key >= 0 && key < kButtonCount ? key * kButtonNameWidth : -1;
  }
  // Function key of a 61-message's address low, -1 for a low that is not 6·k.
  static constexpr int32 buttonFromLow(uint8 low) {
    return low % kButtonNameWidth == 0 && low / kButtonNameWidth < kButtonCount
               ? low / kButtonNameWidth
               : -1;
  }

  // Total length, F0 to F7, of a message with this address; 0 for an address with no known
  // length (52 00, 53 00 and anything foreign).
  static std::size_t fixedLength(SysExAddress address);

  // Position of the first F7 within msg[0..size), or -1 when there is none.
  static std::ptrdiff_t findEnd(const uint8* msg, std::size_t size);
};

}  // namespace Brennholt
