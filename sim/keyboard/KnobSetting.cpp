#include "sim/keyboard/KnobSetting.h"

namespace QentSim {

KnobSetting KnobSetting::fixedEq(int knob) {
  // Three groups of four knobs, each on four EQ parameters counting up from its own first one.
  constexpr std::uint32_t kGroupFirst[] = {4135, 4131, 4127};
  if (knob < kAssignableKnobs || knob >= 2 * kAssignableKnobs) return {};
  const int offset = knob - kAssignableKnobs;
  return {1, kGroupFirst[offset / 4] + static_cast<std::uint32_t>(offset % 4)};
}

void KnobSetting::writeBlock(std::uint8_t* block) const {
  constexpr char kDigits[] = "0123456789ABCDEF";
  block[0] = static_cast<std::uint8_t>('0' + (mode >= 0 && mode <= 2 ? mode : kUnassigned));
  for (std::size_t i = 1; i < kBlockSize; ++i) {
    const unsigned shift = 4 * static_cast<unsigned>(kBlockSize - 1 - i);
    block[i] = static_cast<std::uint8_t>(kDigits[(parameterId >> shift) & 0xF]);
  }
}

}  // namespace QentSim
