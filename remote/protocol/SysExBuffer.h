// The heap buffers that carry one complete F0..F7 message between the keyboard, the remotes and
// the service, and SysExPtr, which owns one of them together with the message's length.
//
// A message is built or copied once by its sender into a SysExPtr, which knows how many bytes
// the message has; the SysExPtr moves with the message (through channels, queues and receivers)
// to whoever finally consumes it, and frees the buffer there. Nobody on the way works the length
// out again from the bytes. Every buffer handed across a channel comes from here, so the sender
// and the consumer agree on the allocator without knowing each other.
#pragma once

#include <cstddef>

#include "core/Types.h"

namespace Brennholt {

class SysExBuffer {
 public:
  // Allocates `size` zero-filled bytes with new[]; null when `size` is 0 or memory is short.
  // The caller owns the buffer and must give it back with release(), never with delete or free.
  static uint8* allocate(std::size_t size) noexcept;

  // Frees a buffer from allocate(); null is ignored.
  static void release(uint8* buffer) noexcept;
};

// Owns one message buffer and knows the message's length: bytes [0, size()) are the message.
// Move-only; an empty SysExPtr (no buffer, size 0) stands for "no message". [any thread; one
// owner at a time]
class SysExPtr {
 public:
  SysExPtr() noexcept = default;
  // Takes over `bytes` (from SysExBuffer::allocate, or null) whose first `size` bytes are the
  // message; a null buffer gives an empty SysExPtr.
  SysExPtr(uint8* bytes, std::size_t size) noexcept : bytes_(bytes), size_(bytes ? size : 0) {}
  SysExPtr(SysExPtr&& other) noexcept : bytes_(other.bytes_), size_(other.size_) {
    other.bytes_ = nullptr;
    other.size_ = 0;
  }
  SysExPtr& operator=(SysExPtr&& other) noexcept {
    if (this != &other) {
      reset();
      bytes_ = other.bytes_;
      size_ = other.size_;
      other.bytes_ = nullptr;
      other.size_ = 0;
    }
    return *this;
  }
  SysExPtr(const SysExPtr&) = delete;
  SysExPtr& operator=(const SysExPtr&) = delete;
  ~SysExPtr() { reset(); }

  // A new zero-filled message of `size` bytes; empty when `size` is 0 or memory is short.
  static SysExPtr allocate(std::size_t size) noexcept {
    return SysExPtr(SysExBuffer::allocate(size), size);
  }
  // A new message holding a copy of bytes[0 .. size); empty for no bytes or no memory.
  static SysExPtr copyOf(const uint8* bytes, std::size_t size) noexcept;

  uint8* get() const noexcept { return bytes_; }
  std::size_t size() const noexcept { return size_; }
  // Byte `index` of the message; only for indices below size().
  uint8& operator[](std::size_t index) const noexcept { return bytes_[index]; }
  explicit operator bool() const noexcept { return bytes_ != nullptr; }

  // Frees the buffer now; the SysExPtr is empty afterwards.
  void reset() noexcept {
    SysExBuffer::release(bytes_);
    bytes_ = nullptr;
    size_ = 0;
  }
  // Gives up the buffer without freeing it (read size() first): the caller owns it from then on
  // and frees it with SysExBuffer::release, or hands it to a new SysExPtr with its length.
  uint8* release() noexcept {
    uint8* bytes = bytes_;
    bytes_ = nullptr;
    size_ = 0;
    return bytes;
  }

 private:
  uint8* bytes_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace Brennholt
