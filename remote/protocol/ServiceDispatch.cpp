#include "remote/protocol/ServiceDispatch.h"

#include "remote/protocol/RelativeEncoding.h"

namespace Brennholt {

ServiceMessageKind ServiceDispatch::classify(const SysExView& message) {
  if (message.direction != SysExDirection::KeyboardToHost || message.form != SysExForm::Data) {
    return ServiceMessageKind::Ignored;
  }
  const SysExAddress address = message.address;
  if (address == SysExFormat::kName) return ServiceMessageKind::KeyboardName;
  if (address == SysExFormat::kAssignmentDump) return ServiceMessageKind::AssignmentDump;
  if (address == SysExFormat::kRemoteMode) return ServiceMessageKind::RemoteMode;
  if (SysExFormat::isKnobHigh(address.high)) {
    if (address.low == SysExFormat::kKnobAssignmentLow) return ServiceMessageKind::AssignmentEntry;
    if (address.low == SysExFormat::kKnobMoveLow) return ServiceMessageKind::KnobTurn;
    return ServiceMessageKind::Ignored;
  }
  if (address == SysExFormat::kFunctionKey) return ServiceMessageKind::FunctionKey;
  if (address == SysExFormat::kHello) return ServiceMessageKind::Hello;
  if (address == SysExFormat::kMemory) return ServiceMessageKind::MemorySelect;
  return ServiceMessageKind::Ignored;
}

bool ServiceDispatch::readDataByte(const SysExView& message, uint8& out) {
  if (SysExFormat::fixedLength(message.address) != SysExFormat::kDataPos + 2) return false;
  if (!message.hasValidLength()) return false;
  out = message.bytes[SysExFormat::kDataPos];
  return true;
}

bool ServiceDispatch::readKnobTurn(const SysExView& message, int32& knob, int32& steps) {
  const int32 n = SysExFormat::knobFromHigh(message.address.high);
  if (message.address.low != SysExFormat::kKnobMoveLow || n < 0 || n >= SysExFormat::kKnobCount) {
    return false;
  }
  if (!message.hasValidLength()) return false;
  const int32 value = message.bytes[SysExFormat::kDataPos];
  if (!RelativeEncoding::isMove(value)) return false;
  knob = n;
  steps = RelativeEncoding::decode(value);
  return true;
}

bool ServiceDispatch::readName(const SysExView& message, std::string_view& out) {
  if (message.address != SysExFormat::kName || !message.hasValidLength()) return false;
  std::size_t length = SysExFormat::kNameWidth;
  const char* name = reinterpret_cast<const char*>(message.bytes + SysExFormat::kDataPos);
  while (length > 0 && name[length - 1] == ' ') --length;
  out = std::string_view(name, length);
  return true;
}

}  // namespace Brennholt
