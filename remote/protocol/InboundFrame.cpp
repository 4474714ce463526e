#include "remote/protocol/InboundFrame.h"

#include <algorithm>

#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

uint8* InboundFrame::copy(const uint8* bytes, std::size_t size) {
  if (bytes == nullptr) return nullptr;
  const uint8* end = bytes + std::min(size, kBufferSize);
  const uint8* start = std::find(bytes, end, SysExFormat::kStart);
  if (start == end) return nullptr;
  const uint8* last = std::find(start, end, SysExFormat::kEnd);
  if (last == end) return nullptr;
  uint8* buffer = SysExBuffer::allocate(kBufferSize);
  if (buffer == nullptr) return nullptr;
  std::copy(start, last + 1, buffer);
  return buffer;
}

}  // namespace Brennholt
