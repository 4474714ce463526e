// Heap buffers that carry one complete F0..F7 message between the keyboard, the remotes and the
// service. Every buffer handed across a channel is allocated here and freed here, so the sender
// and whoever finally consumes the message agree on the allocator without knowing each other.
#pragma once

#include <cstddef>
#include <memory>

#include "core/Types.h"

namespace Brennholt {

class SysExBuffer {
 public:
  // Allocates `size` zero-filled bytes with new[]; null when `size` is 0 or memory is short.
  // The caller owns the buffer and must give it back with release(), never with delete or free.
  static uint8* allocate(std::size_t size) noexcept;

  // Frees a buffer from allocate() or from any SysExBuilder operation; null is ignored.
  static void release(uint8* buffer) noexcept;
};

// Deleter for holding a message buffer in a unique_ptr until it is handed on.
struct SysExBufferDeleter {
  void operator()(uint8* buffer) const noexcept { SysExBuffer::release(buffer); }
};

using SysExPtr = std::unique_ptr<uint8[], SysExBufferDeleter>;

}  // namespace Brennholt
