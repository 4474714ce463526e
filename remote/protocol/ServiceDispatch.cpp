#include "remote/protocol/ServiceDispatch.h"

#include "remote/protocol/RelativeEncoding.h"

namespace Brennholt {

ServiceMessageKind ServiceDispatch::classify(const uint8* msg, std::size_t size) {
  SysExAddress address{};
  if (!SysExFormat::hasHeader(msg, size, SysExDirection::KeyboardToHost, SysExForm::Data) ||
      !SysExFormat::readAddress(msg, size, address)) {
    return ServiceMessageKind::Ignored;
  }
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

bool ServiceDispatch::readDataByte(const uint8* msg, std::size_t size, uint8& out) {
  SysExAddress address{};
  if (!SysExFormat::readAddress(msg, size, address)) return false;
  if (SysExFormat::fixedLength(address) != SysExFormat::kDataPos + 2) return false;
  if (!SysExFormat::hasValidLength(msg, size)) return false;
  out = msg[SysExFormat::kDataPos];
  return true;
}

bool ServiceDispatch::readKnobTurn(const uint8* msg, std::size_t size, int32& knob, int32& steps) {
  SysExAddress address{};
  if (!SysExFormat::readAddress(msg, size, address)) return false;
  const int32 n = SysExFormat::knobFromHigh(address.high);
  if (address.low != SysExFormat::kKnobMoveLow || n < 0 || n >= SysExFormat::kKnobCount) {
    return false;
  }
  if (!SysExFormat::hasValidLength(msg, size)) return false;
  const int32 value = msg[SysExFormat::kDataPos];
  if (!RelativeEncoding::isMove(value)) return false;
  knob = n;
  steps = RelativeEncoding::decode(value);
  return true;
}

bool ServiceDispatch::readName(const uint8* msg, std::size_t size, std::string_view& out) {
  SysExAddress address{};
  if (!SysExFormat::readAddress(msg, size, address) || address != SysExFormat::kName ||
      !SysExFormat::hasValidLength(msg, size)) {
    return false;
  }
  std::size_t length = SysExFormat::kNameWidth;
  const char* name = reinterpret_cast<const char*>(msg + SysExFormat::kDataPos);
  while (length > 0 && name[length - 1] == ' ') --length;
  out = std::string_view(name, length);
  return true;
}

}  // namespace Brennholt
