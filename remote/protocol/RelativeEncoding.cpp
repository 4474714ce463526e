#include "remote/protocol/RelativeEncoding.h"

namespace Brennholt {

int32 RelativeEncoding::decode(int32 value) {
  if (!isMove(value)) return 0;
  return value <= kMaxUp ? value : kMaxUp - value;
}

std::optional<uint8> RelativeEncoding::encode(int32 steps) {
  if (steps < -kMaxDown || steps > kMaxUp) return std::nullopt;
  return static_cast<uint8>(steps >= 0 ? steps : kMaxUp - steps);
}

}  // namespace Brennholt
