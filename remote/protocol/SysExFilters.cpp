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

bool SysExFilters::acceptInbound(const SysExView& message) {
  return message.direction == SysExDirection::KeyboardToHost && inboundAddress(message.address);
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

ServiceMessageRoute SysExFilters::routeServiceMessage(const SysExView& message,
                                                      std::size_t& sendLength) {
  sendLength = 0;
  const SysExAddress address = message.address;
  if (message.direction != SysExDirection::HostToKeyboard) return ServiceMessageRoute::Free;
  // The bank and the jog option stay with the remote and never reach the keyboard's port, so
  // their data byte is all that has to be there.
  if (address == SysExFormat::kMemory) {
    return message.hasDataByte() ? ServiceMessageRoute::SetBank : ServiceMessageRoute::Free;
  }
  if (address == SysExFormat::kJogStop) {
    return message.hasDataByte() ? ServiceMessageRoute::SetJogStop : ServiceMessageRoute::Free;
  }
  if (!outboundAddress(address)) return ServiceMessageRoute::Free;
  std::size_t length = SysExFormat::fixedLength(address);
  if (length != 0) {
    if (!message.hasValidLength()) return ServiceMessageRoute::Free;
  } else {
    const std::ptrdiff_t end = SysExFormat::findEnd(message.bytes, message.size);
    if (end <= 0) return ServiceMessageRoute::Free;
    length = static_cast<std::size_t>(end) + 1;
  }
  sendLength = length;
  return address == SysExFormat::kTextLine ? ServiceMessageRoute::QueueAfterPrune
                                           : ServiceMessageRoute::Queue;
}

bool SysExFilters::prunedByTextLine(SysExAddress address) {
  return address.low == SysExFormat::kKnobNameLow || address.low == SysExFormat::kKnobValueLow;
}

}  // namespace Brennholt
