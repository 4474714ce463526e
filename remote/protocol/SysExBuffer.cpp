#include "remote/protocol/SysExBuffer.h"

#include <new>

namespace Brennholt {

uint8* SysExBuffer::allocate(std::size_t size) noexcept {
  if (size == 0) return nullptr;
  return new (std::nothrow) uint8[size]();
}

void SysExBuffer::release(uint8* buffer) noexcept { delete[] buffer; }

}  // namespace Brennholt
