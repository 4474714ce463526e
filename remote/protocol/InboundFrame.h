// The remote's copy of a SysEx message from the keyboard's port. The host hands over raw port
// bytes; the remote keeps exactly one F0..F7 frame of them for the service.
#pragma once

#include <cstddef>

#include "core/Types.h"
#include "remote/protocol/SysExBuffer.h"

namespace Brennholt {

class InboundFrame {
 public:
  // How many port bytes copy() examines at most.
  static constexpr std::size_t kScanLimit = 512;

  // Skips the bytes before the first F0 and copies from there up to and including the next F7
  // into a new message of exactly that length. Only bytes[0 .. min(size, 512)) are examined;
  // empty when they hold no F0 followed by an F7, or when memory is short.
  static SysExPtr copy(const uint8* bytes, std::size_t size);
};

}  // namespace Brennholt
