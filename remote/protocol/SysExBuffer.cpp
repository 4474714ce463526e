#include "remote/protocol/SysExBuffer.h"

#include <algorithm>
#include <new>

namespace Brennholt {

uint8* SysExBuffer::allocate(std::size_t size) noexcept {
  if (size == 0) return nullptr;
  return new (std::nothrow) uint8[size]();
}

void SysExBuffer::release(uint8* buffer) noexcept { delete[] buffer; }

SysExPtr SysExPtr::copyOf(const uint8* bytes, std::size_t size) noexcept {
  if (bytes == nullptr) return {};
  SysExPtr copy = allocate(size);
  if (copy) std::copy(bytes, bytes + size, copy.get());
  return copy;
}

}  // namespace Brennholt
