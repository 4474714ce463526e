// What an assignable knob of the keyboard stores for one target name: the mode it works in and
// the host parameter it is assigned to. The keyboard reports it as a 9-byte block: the mode as
// one ASCII digit ("0", "1", "2"; any other mode is written as "2"), then the parameter
// identifier as eight upper-case hexadecimal digits, most significant first.
//
// Knobs 0..11 are assignable. The EQ knobs 12..23 store nothing: each is fixed to mode 1 and one
// EQ parameter, and the keyboard reports that.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace QentSim {

struct KnobSetting {
  static constexpr std::size_t kBlockSize = 9;
  static constexpr int kAssignableKnobs = 12;
  static constexpr int kUnassigned = 2;

  int mode = kUnassigned;
  std::uint32_t parameterId = 0;

  // The fixed setting of EQ knob `knob` (12..23); unassigned for any other knob.
  static KnobSetting fixedEq(int knob);
  // Writes the block to block[0 .. 9).
  void writeBlock(std::uint8_t* block) const;
};

// The settings of knobs 0..11 for one target; a knob never assigned is unassigned.
using KnobSettings = std::array<KnobSetting, KnobSetting::kAssignableKnobs>;

}  // namespace QentSim
