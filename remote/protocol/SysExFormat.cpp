#include "remote/protocol/SysExFormat.h"

#include <algorithm>

namespace Brennholt {

const SysExFormat::Header& SysExFormat::header(SysExDirection direction, SysExForm form) {
  if (direction == SysExDirection::KeyboardToHost) {
    return form == SysExForm::Data ? kKeyboardToHostData : kKeyboardToHostSecond;
  }
  return form == SysExForm::Data ? kHostToKeyboardData : kHostToKeyboardSecond;
}

void SysExFormat::writeHeader(uint8* out, SysExDirection direction, SysExForm form) {
  const Header& h = header(direction, form);
  std::copy(h.begin(), h.end(), out);
}

bool SysExFormat::hasHeader(const uint8* msg, std::size_t size, SysExDirection direction,
                            SysExForm form) {
  if (msg == nullptr || size < kHeaderSize) return false;
  const Header& h = header(direction, form);
  return std::equal(h.begin(), h.end(), msg);
}

bool SysExFormat::hasHeaderOfDirection(const uint8* msg, std::size_t size,
                                       SysExDirection direction) {
  return hasHeader(msg, size, direction, SysExForm::Data) ||
         hasHeader(msg, size, direction, SysExForm::Second);
}

bool SysExFormat::readAddress(const uint8* msg, std::size_t size, SysExAddress& out) {
  if (msg == nullptr || size <= kAddressLowPos) return false;
  out = {msg[kAddressHighPos], msg[kAddressLowPos]};
  return true;
}

std::size_t SysExFormat::fixedLength(SysExAddress address) {
  if (isKnobHigh(address.high)) {
    switch (address.low) {
      case kKnobAssignmentLow:
        return kDataPos + kAssignmentBlockSize + 1;
      case kKnobNameLow:
        return kDataPos + kKnobNameWidth + 1;
      case kKnobValueLow:
        return kDataPos + kKnobValueWidth + 2 + 1;
      case kKnobMoveLow:
        return kDataPos + 1 + 1;
      default:
        return 0;
    }
  }
  if (address.high == kButtonNameHigh) {
    return buttonFromLow(address.low) >= 0 ? kDataPos + kButtonNameWidth + 1 : 0;
  }
  if (address == kFunctionKey || address == kMemory || address == kJogStop ||
      address == kRemoteMode || address == kInstrumentState) {
    return kDataPos + 1 + 1;
  }
  if (address == kName) return kDataPos + kNameWidth + 1;
  if (address == kAssignmentDump) return kDataPos + kKnobCount * kAssignmentBlockSize + 1;
  if (address == kHello) return kMinimumSize;
  if (address == kTextLine) return kDataPos + kTextLineWidth + 1;
  if (address == kMemoryName) return kDataPos + kMemoryNameWidth + 1;
  return 0;
}

std::ptrdiff_t SysExFormat::findEnd(const uint8* msg, std::size_t size) {
  if (msg == nullptr) return -1;
  const uint8* end = std::find(msg, msg + size, kEnd);
  return end == msg + size ? -1 : end - msg;
}

}  // namespace Brennholt
