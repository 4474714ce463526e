#include "hostaccess/QENT_HKA.h"

#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuilder.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

QENT_HKA::QENT_HKA() = default;

QENT_HKA::~QENT_HKA() = default;

bool QENT_HKA::isSupportedHost(const DAWInfo& info) {
  if (!info.isValid() || info.edition() == DAWInfo::kLE) return false;
  const int minimumMajor = info.edition() == DAWInfo::kMorvane ? 6 : 7;
  return info.major() >= minimumMajor;
}

bool QENT_HKA::isHostSupported(FUnknown* context) {
  auto info = Brennholt::queryInterface<Hox::IHostInformation>(context);
  if (!info) return false;
  hostInfo_ = DAWInfo(info->productName(), info->versionString(), info->buildString());
  return isSupportedHost(hostInfo_);
}

tresult QENT_HKA::onAction(const char16* /*category*/, const char16* /*name*/,
                           int32 /*queryOnly*/) noexcept {
  return kResultFalse;
}

void QENT_HKA::handleMessage(const SysExView& message) {
  switch (ServiceDispatch::classify(message)) {
    case ServiceMessageKind::KeyboardName:
      onKeyboardName(message);
      break;
    case ServiceMessageKind::AssignmentDump:
      onAssignmentDump(message);
      break;
    case ServiceMessageKind::AssignmentEntry:
      onAssignmentEntry(message);
      break;
    case ServiceMessageKind::KnobTurn:
      onKnobRelative(message);
      break;
    case ServiceMessageKind::Hello:
      if (message.hasValidLength()) helloPending_ = true;
      break;
    case ServiceMessageKind::RemoteMode:
    case ServiceMessageKind::FunctionKey:
    case ServiceMessageKind::MemorySelect:
      // Remote mode answers with the display; function keys and memories run through the
      // setup controller. Both come with the setup work.
    case ServiceMessageKind::Ignored:
      break;
  }
}

void QENT_HKA::onFirstIdle() {}

void QENT_HKA::onShutdown() {}

void QENT_HKA::sendAllNames() {}
void QENT_HKA::sendAllValues() {}
void QENT_HKA::sendName(int32 /*knob*/) {}
void QENT_HKA::sendValue(int32 /*knob*/) {}

void QENT_HKA::sendTargetName(std::string_view name) {
  send([name] { return SysExBuilder::targetName(name); });
}

void QENT_HKA::sendInstrumentState() {}

}  // namespace Brennholt
