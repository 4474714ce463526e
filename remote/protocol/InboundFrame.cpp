#include "remote/protocol/InboundFrame.h"

#include <algorithm>

#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

SysExPtr InboundFrame::copy(const uint8* bytes, std::size_t size) {
  if (bytes == nullptr) return {};
  const uint8* end = bytes + std::min(size, kScanLimit);
  const uint8* start = std::find(bytes, end, SysExFormat::kStart);
  if (start == end) return {};
  const uint8* last = std::find(start, end, SysExFormat::kEnd);
  if (last == end) return {};
  return SysExPtr::copyOf(start, static_cast<std::size_t>(last + 1 - start));
}

}  // namespace Brennholt
