// The 9-byte knob assignment block the keyboard sends for one knob (address 30+n 00) or for all
// 24 knobs at once (address 51 00, knob 0 first):
//   byte 0     mode as one ASCII digit "0", "1" or "2"; any other byte counts as mode 2
//   bytes 1-8  parameter identifier, eight ASCII hexadecimal digits, most significant first
// Knobs 12..23 are the EQ knobs: their blocks are skipped and they always carry mode 1 and a
// fixed parameter (12..15 → 4135..4138, 16..19 → 4131..4134, 20..23 → 4127..4130).
#pragma once

#include <array>
#include <cstddef>

#include "core/Types.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"

namespace Brennholt {

struct KnobAssignment {
  int32 kind = 2;
  uint32 parameterId = 0;

  friend bool operator==(const KnobAssignment&, const KnobAssignment&) = default;

  static constexpr std::size_t kBlockSize = SysExFormat::kAssignmentBlockSize;
  // Knobs below this one take their assignment from the block.
  static constexpr int32 kFirstFixedKnob = 12;

  using Table = std::array<KnobAssignment, SysExFormat::kKnobCount>;

  // Mode of a block's first byte: 0, 1 or 2 for the digits "0".."2", otherwise 2.
  static int32 kindFromDigit(uint8 digit);

  // Fixed EQ parameter of knobs 12..23; 0 for any other knob.
  static uint32 fixedParameter(int32 knob);

  // The assignment knob `knob` ends up with when its block holds `block`: for knobs 12..23 the
  // fixed one whatever `block` holds.
  static KnobAssignment forKnob(int32 knob, const KnobAssignment& block);

  // Reads the block at msg[pos .. pos+9) as knob `knob`'s assignment into `out`. Returns pos + 9,
  // or -1 (and `out` untouched) for a null message, `pos` below 9, a knob outside 0..23 or a
  // block that reaches past `size`. For knobs 0..11 an identifier holding a byte that is not a
  // hexadecimal digit reads as unassigned (kind 2, identifier 0), so a damaged block binds no
  // unrelated parameter and the rest of a table still counts.
  static int32 parse(const uint8* msg, std::size_t size, int32 pos, int32 knob,
                     KnobAssignment& out);

  // Writes knob `knob`'s assignment as a block at buffer[pos .. pos+9): mode digit (modes other
  // than 0..2 are written as "2") and the identifier in upper-case hexadecimal; knobs 12..23
  // write their fixed assignment. Returns pos + 9, or -1 when there is no buffer, `pos` is below
  // 9, the knob is outside 0..23 or the block would reach past `bufferSize`.
  static int32 format(const KnobAssignment& assignment, int32 knob, uint8* buffer,
                      std::size_t bufferSize, int32 pos);

  // Reads a single-knob message (address 30+n 00). True only when n is 0..23 (knob 24 is the
  // keyboard's and ignored), the block parses and the byte right after it is F7; then `knob`
  // and `out` are set. The header is the caller's concern.
  static bool parseEntry(const SysExView& message, int32& knob, KnobAssignment& out);

  // Reads a full knob table (address 51 00). True only when all 24 blocks parse and byte 225
  // (right after the last block) is F7; `out` is written only then.
  static bool parseDump(const SysExView& message, Table& out);
};

}  // namespace Brennholt
