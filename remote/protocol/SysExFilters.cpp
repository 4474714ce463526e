#include "remote/protocol/SysExFilters.h"

namespace Brennholt {

namespace {

bool isLowOfButtonName(uint8 low) { return SysExFormat::buttonFromLow(low) >= 0; }

}  // namespace

bool SysExFilters::inboundAddress(SysExAddress address) {
  if (SysExFormat::isKnobHigh(address.high)) {
    return address.low == SysExFormat::kKnobAssignmentLow;
  }
  return address == SysExFormat::kName || address == SysExFormat::kAssignmentDump ||
         address == SysExFormat::kRemoteMode;
}

bool SysExFilters::acceptInbound(const uint8* msg, std::size_t size) {
  SysExAddress address{};
  return SysExFormat::hasHeaderOfDirection(msg, size, SysExDirection::KeyboardToHost) &&
         SysExFormat::readAddress(msg, size, address) && inboundAddress(address);
}

bool SysExFilters::outboundAddress(SysExAddress address) {
  if (SysExFormat::isKnobHigh(address.high)) {
    return address.low == SysExFormat::kKnobNameLow || address.low == SysExFormat::kKnobValueLow;
  }
  if (address.high == SysExFormat::kButtonNameHigh) return isLowOfButtonName(address.low);
  return address == SysExFormat::kName || address == SysExFormat::kOutbound52 ||
         address == SysExFormat::kOutbound53 || address == SysExFormat::kHello ||
         address == SysExFormat::kTextLine || address == SysExFormat::kMemoryName ||
         address == SysExFormat::kInstrumentState;
}

ServiceMessageRoute SysExFilters::routeServiceMessage(const uint8* msg, std::size_t size) {
  SysExAddress address{};
  if (!SysExFormat::hasHeaderOfDirection(msg, size, SysExDirection::HostToKeyboard) ||
      !SysExFormat::readAddress(msg, size, address)) {
    return ServiceMessageRoute::Free;
  }
  // The bank and the jog option stay with the remote and never reach the keyboard's port, so
  // their data byte is all that has to be there.
  const bool hasDataByte = size > SysExFormat::kDataPos;
  if (address == SysExFormat::kMemory) {
    return hasDataByte ? ServiceMessageRoute::SetBank : ServiceMessageRoute::Free;
  }
  if (address == SysExFormat::kJogStop) {
    return hasDataByte ? ServiceMessageRoute::SetJogStop : ServiceMessageRoute::Free;
  }
  if (!outboundAddress(address)) return ServiceMessageRoute::Free;
  const bool framed = SysExFormat::fixedLength(address) != 0
                          ? SysExFormat::hasValidLength(msg, size)
                          : SysExFormat::findEnd(msg, size) > 0;
  if (!framed) return ServiceMessageRoute::Free;
  return address == SysExFormat::kTextLine ? ServiceMessageRoute::QueueAfterPrune
                                           : ServiceMessageRoute::Queue;
}

bool SysExFilters::prunedByTextLine(const uint8* msg, std::size_t size) {
  SysExAddress address{};
  return SysExFormat::readAddress(msg, size, address) &&
         (address.low == SysExFormat::kKnobNameLow || address.low == SysExFormat::kKnobValueLow);
}

}  // namespace Brennholt
