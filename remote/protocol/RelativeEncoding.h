// The keyboard's endless knobs report relative moves in one 7-bit value:
//   0        no movement
//   1..64    up by 1..64 steps
//   65..127  down by 1..63 steps (value v stands for v - 64 steps down)
// The same encoding travels in the remote's knob-move message (30+n 41).
#pragma once

#include <optional>

#include "core/Types.h"

namespace Brennholt {

class RelativeEncoding {
 public:
  static constexpr int32 kMaxUp = 64;
  static constexpr int32 kMaxDown = 63;

  // Signed steps of a value: +1..+64, -1..-63, or 0 for no movement and for values outside
  // 0..127 (not a 7-bit MIDI value).
  static int32 decode(int32 value);

  // True for the values that move a knob (1..127).
  static bool isMove(int32 value) { return value >= 1 && value <= 127; }

  // The value that reports `steps`; nothing for steps outside -63..+64, which take more than one
  // message.
  static std::optional<uint8> encode(int32 steps);
};

}  // namespace Brennholt
