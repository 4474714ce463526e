// The SysEx messages as the keyboard sees them: what it reads from the host, and the three it
// sends itself. Every message is
//   F0 43 FF 7F 1C DD 01 HH LL data... F7
// with FF the form (10, or 30 for the second form), DD the direction (00 from the host, 01 from
// the keyboard), HH LL the address and data of a length fixed by the address.
//
// The keyboard shows the host's messages in either form and ignores any whose length is not the
// one its address takes; it sends in the first form only. The knob assignments it reports come
// from the knobs' own settings (KnobSetting).
//
// Pure functions of their arguments; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sim/keyboard/KnobSetting.h"

namespace QentSim {

class KeyboardSysEx {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // Text widths of the display fields, in characters.
  static constexpr std::size_t kKnobNameWidth = 24;
  static constexpr std::size_t kKnobValueWidth = 8;
  static constexpr std::size_t kNameWidth = 12;
  static constexpr std::size_t kLineWidth = 24;
  static constexpr std::size_t kKeyLabelWidth = 6;
  static constexpr std::size_t kMemoryNameWidth = 16;
  static constexpr int kKnobCount = 24;
  static constexpr int kKeyCount = 6;

  // What a host message asks the keyboard to do.
  enum class Kind {
    kKnobName,    // 30+n 09: knob n's parameter name
    kKnobValue,   // 30+n 21: knob n's value text (two 00 bytes follow the text)
    kName,        // 50 00: the name field
    kLine,        // 60 00: the text line
    kKeyLabel,    // 61 6k: function key k's label (low byte 6·k)
    kMemoryName,  // 62 00: the setup memory's name
    kFlag,        // 63 00: the state flag, one byte
    kHello,       // 56 01: the host greets the keyboard; no data
  };

  struct FromHost {
    Kind kind = Kind::kHello;
    int index = 0;                       // the knob (0..23) or the key (0..5); 0 for the others
    const std::uint8_t* data = nullptr;  // the data bytes, inside the message read
    std::size_t width = 0;               // the text width, or the data length of kFlag/kHello
  };

  // Reads one message from the host. False for anything the keyboard does not show: not a SysEx
  // of this keyboard from the host, an address it does not know, or the wrong length for the
  // address (a damaged message). `out.data` points into `bytes`.
  static bool readFromHost(const std::uint8_t* bytes, std::size_t length, FromHost& out);

  // 56 00: the keyboard's remote-mode state (1: remote mode entered).
  static Bytes remoteMode(std::uint8_t state);
  // 50 00: the name field, its first 12 bytes as they stand, padded with spaces.
  static Bytes name(std::string_view field);
  // 51 00: the assignments of all 24 knobs, knob 0 first: the twelve assignable knobs from
  // `settings`, the twelve EQ knobs with the parameters they are fixed to.
  static Bytes assignmentDump(const KnobSettings& settings);
};

}  // namespace QentSim
