#include "hostaccess/QENT_HKA.h"

#include <array>
#include <cstdio>
#include <string>

#include "base/StringConversion.h"
#include "extsetup/QENT_SetupDefaults.h"
#include "hostaccess/HostPaths.h"
#include "hostaccess/HostText.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuilder.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

namespace {

// The keyboard's actions in the order they are registered.
constexpr std::array<const char*, 10> kActions = {
    "Open Browser", "All EQs On", "EQ 1 On",   "EQ 1 Type", "EQ 2 On",
    "EQ 2 Type",    "EQ 3 On",    "EQ 3 Type", "EQ 4 On",   "EQ 4 Type",
};
constexpr int32 kEqBands = 4;

// The setup window's skin and template, and the lengths of its name fields.
constexpr const char8* kSkinFile = "QENTExtSetupPanel.srf";
constexpr const char8* kPanelTemplate = "QENTExtSetupPanel";
constexpr uint8 kDisplayNameLength = 6;
constexpr uint8 kMemoryNameLength = 16;

void execute(Hox::IHostKernel* kernel, const char8* category, const char8* command) {
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(kernel);
  if (!catalogue) return;
  const std::u16string category16 = toText16(category);
  const std::u16string command16 = toText16(command);
  catalogue->executeCommand(category16.c_str(), command16.c_str());
}

}  // namespace

QENT_HKA::QENT_HKA(void* module) : setupController_(QENT_SetupDefaults::kSetupKey, module) {}

QENT_HKA::~QENT_HKA() {
  // Released without terminate: the host must not keep calling a handler that is gone.
  if (isBoundToHost() && hostKernel) {
    try {
      unregisterActions(hostKernel);
    } catch (...) {
    }
  }
}

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

// --- Start-up and shutdown -------------------------------------------------------------------

void QENT_HKA::onFirstIdle(Hox::IHostKernel* kernel) {
  const std::vector<String> buttonNames = QENT_SetupDefaults::buttonNames();
  const std::vector<String> memoryNames = QENT_SetupDefaults::factoryMemoryNames();
  const AssignmentTable factory = QENT_SetupDefaults::factoryAssignments(hostInfo_.edition());
  const bool windowReady = setupController_.initialise(
      kernel, kSkinFile, nullptr, QENT_SetupDefaults::kMemoryCount,
      QENT_SetupDefaults::kButtonCount, &buttonNames, &memoryNames, &factory);
  if (windowReady) {
    setupController_.registerCommand(QENT_SetupDefaults::kSetupCategory,
                                     QENT_SetupDefaults::kSetupCommand,
                                     QENT_SetupDefaults::kSetupCommand);
  }
  // Without the window's skin the keyboard still works with the assignments: its memories,
  // labels and option.
  if (setupController_.isModelReady()) {
    setupController_.setMonitor(this);
    setupController_.setFileIdentity(QENT_SetupDefaults::kFileModelName,
                                     QENT_SetupDefaults::kExtensionVersion, &hostInfo_);
    setupController_.addAcceptedModelName(QENT_SetupDefaults::kPredecessorModelName);
    bool jogStop = true;
    setupController_.option(CExtOption::kJogStop, jogStop);
    sendJogStop(jogStop);
  }
  registerActions(kernel);
}

void QENT_HKA::onShutdown(Hox::IHostKernel* kernel) {
  setupController_.unregisterCommand();
  unregisterActions(kernel);
}

void QENT_HKA::registerActions(Hox::IHostKernel* kernel) {
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(kernel);
  if (!catalogue) return;
  catalogue->addActionHandler(this);
  const std::u16string category = toText16(kActionCategory);
  for (const char* action : kActions) {
    catalogue->registerCommand(category.c_str(), toText16(action).c_str());
  }
  actionsRegistered_ = true;
}

void QENT_HKA::unregisterActions(Hox::IHostKernel* kernel) {
  if (!actionsRegistered_) return;
  actionsRegistered_ = false;
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(kernel);
  if (!catalogue) return;
  const std::u16string category = toText16(kActionCategory);
  for (const char* action : kActions) {
    catalogue->unregisterCommand(category.c_str(), toText16(action).c_str());
  }
  catalogue->removeActionHandler(this);
}

// --- Display ---------------------------------------------------------------------------------

void QENT_HKA::sendDisplay(bool withMemory) {
  sendObjectTitle(channelNameValue());
  for (int32 k = 0; k < SysExFormat::kButtonCount; ++k) sendButtonName(k);
  if (withMemory) sendMemory(setupController_.currentMemory());
  sendInstrumentState();
}

// --- Keyboard messages -----------------------------------------------------------------------

void QENT_HKA::handleMessage(Hox::IHostKernel* kernel, const SysExView& message) {
  uint8 data = 0;
  switch (ServiceDispatch::classify(message)) {
    case ServiceMessageKind::KeyboardName:
      onKeyboardName(kernel, message);
      break;
    case ServiceMessageKind::AssignmentDump:
      onAssignmentDump(kernel, message);
      break;
    case ServiceMessageKind::RemoteMode:
      if (ServiceDispatch::readDataByte(message, data) && data == 1) {
        sendDisplay(false);
        nameRequested_ = true;
      }
      break;
    case ServiceMessageKind::AssignmentEntry:
      onAssignmentEntry(kernel, message);
      break;
    case ServiceMessageKind::KnobTurn:
      onKnobRelative(message);
      break;
    case ServiceMessageKind::FunctionKey:
      if (ServiceDispatch::readDataByte(message, data)) setupController_.runButton(data);
      break;
    case ServiceMessageKind::Hello:
      if (message.hasValidLength()) sendDisplay(true);
      break;
    case ServiceMessageKind::MemorySelect:
      if (ServiceDispatch::readDataByte(message, data)) {
        setupController_.selectMemoryFromKeyboard(data);
      }
      break;
    case ServiceMessageKind::Ignored:
      break;
  }
}

// --- Senders ---------------------------------------------------------------------------------

void QENT_HKA::sendAllNames() {
  for (int32 k = 0; k < kKnobCount; ++k) sendName(k);
}

void QENT_HKA::sendAllValues(Hox::IHostKernel* kernel) {
  for (int32 k = 0; k < kKnobCount; ++k) sendValue(kernel, k);
}

void QENT_HKA::sendName(int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return;
  const std::string& name = leaderOf(knob).name;
  send([&] { return SysExBuilder::knobName(knob, name); });
}

void QENT_HKA::sendValue(Hox::IHostKernel* kernel, int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return;
  // Written once through formatValue (the host is asked once) and copied for every remote.
  const SysExPtr value = SysExBuilder::frame(
      SysExDirection::HostToKeyboard, {SysExFormat::knobHigh(knob), SysExFormat::kKnobValueLow});
  if (!value ||
      formatValue(kernel, knob, value.get(), value.size(),
                  static_cast<int32>(SysExFormat::kDataPos), SysExFormat::kKnobValueWidth) < 0) {
    return;
  }
  send([&] { return SysExPtr::copyOf(value.get(), value.size()); });
}

void QENT_HKA::sendTargetName(std::string_view name) {
  send([name] { return SysExBuilder::targetName(name); });
}

void QENT_HKA::sendObjectTitle(Hox::IHostValue* value) {
  const std::string text = value ? toText8(hostValueText(value).c_str()) : std::string();
  send([&] { return SysExBuilder::textLine(text); });
}

void QENT_HKA::sendInstrumentState() {
  const bool midiWithout =
      channelKind(currentChannel()) == ChannelKind::kMidiChannel && !targetInstrument();
  send([midiWithout] { return SysExBuilder::instrumentState(midiWithout); });
}

void QENT_HKA::sendMemoryName() {
  const std::string name = setupController_.memoryName();
  send([&] { return SysExBuilder::memoryName(name); });
}

void QENT_HKA::sendButtonName(int32 key) {
  String label;
  if (!setupController_.displayName(key, label)) return;
  const std::string text = label.text8();
  send([&] { return SysExBuilder::buttonName(key, text); });
}

void QENT_HKA::sendMemory(int32 memory) {
  send([memory] { return SysExBuilder::memory(memory); });
}

void QENT_HKA::sendJogStop(bool flag) {
  send([flag] { return SysExBuilder::jogStop(flag); });
}

// --- IExtSetupInfoMonitor --------------------------------------------------------------------

void QENT_HKA::displayNameChanged(int32 button) noexcept {
  try {
    sendButtonName(button);
  } catch (...) {
  }
}

void QENT_HKA::memoryChanged(int32 /*memory*/) noexcept {
  try {
    sendMemory(setupController_.currentMemory());
    sendMemoryName();
    for (int32 k = 0; k < SysExFormat::kButtonCount; ++k) sendButtonName(k);
  } catch (...) {
  }
}

void QENT_HKA::jogStopChanged(bool flag) noexcept { sendJogStop(flag); }

// --- Actions ---------------------------------------------------------------------------------

tresult QENT_HKA::onAction(const char16* category, const char16* name, int32 queryOnly) noexcept {
  if (!category || !name) return kResultFalse;
  try {
    return runAction(hostKernel, toText8(category), toText8(name), queryOnly != 0);
  } catch (...) {
    return kResultFalse;
  }
}

tresult QENT_HKA::runAction(Hox::IHostKernel* kernel, std::string_view category,
                            std::string_view name, bool queryOnly) {
  if (category != kActionCategory) return kResultFalse;
  if (name == "Open Browser") {
    if (!queryOnly) {
      const ChannelKind kind = channelKind(currentChannel());
      if (targetInstrument() &&
          (kind == ChannelKind::kSynth || kind == ChannelKind::kMidiChannel)) {
        execute(kernel, "Preset", "Open Browser");
      } else {
        execute(kernel, "Project", "Track Preset: Open Browser");
      }
    }
    return kResultOk;
  }
  if (name == QENT_SetupDefaults::kSetupCommand) {
    if (!queryOnly) {
      setupController_.openPanel(kPanelTemplate, kDisplayNameLength, kMemoryNameLength, this);
    }
    return kResultOk;
  }
  if (name == "All EQs On") {
    if (!queryOnly) switchAllEqs();
    return kResultOk;
  }
  for (int32 band = 1; band <= kEqBands; ++band) {
    char on[16];
    char type[16];
    std::snprintf(on, sizeof on, "EQ %d On", band);
    std::snprintf(type, sizeof type, "EQ %d Type", band);
    // The per-band actions answer 1 (kResultFalse) to the host, as any other name does.
    if (name == on) {
      if (!queryOnly) toggleEq(band);
      return kResultFalse;
    }
    if (name == type) {
      if (!queryOnly) stepEqType(band);
      return kResultFalse;
    }
  }
  return kResultFalse;
}

namespace {

// The current channel's EQ value `identifier`; null without a channel and on a MIDI channel,
// which has no equaliser of its own.
IPtr<Hox::IHostValue> eqValue(Hox::IHostObject* channel, int32 identifier) {
  if (!channel || channelKind(channel) == ChannelKind::kMidiChannel) return {};
  std::string ignored;
  return findChannelValue(channel, identifier, ignored);
}

}  // namespace

void QENT_HKA::switchAllEqs() {
  std::array<IPtr<Hox::IHostValue>, kEqBands> bands;
  bool anyOff = false;
  for (int32 b = 0; b < kEqBands; ++b) {
    bands[static_cast<std::size_t>(b)] = eqValue(currentChannel(), ChannelId::kEqOnFirst + b);
    if (!bands[static_cast<std::size_t>(b)]) return;
    if (bands[static_cast<std::size_t>(b)]->intValue() == 0) anyOff = true;
  }
  for (auto& band : bands) band->setIntValue(anyOff ? 1 : 0, 1);
}

void QENT_HKA::toggleEq(int32 band) {
  auto on = eqValue(currentChannel(), ChannelId::kEqOnFirst + band - 1);
  if (on) on->setIntValue(on->intValue() == 0 ? 1 : 0, 1);
}

void QENT_HKA::stepEqType(int32 band) {
  auto type = eqValue(currentChannel(), ChannelId::kEqTypeFirst + band - 1);
  if (!type) return;
  const int32 minimum = type->intMinimum();
  int32 next = type->intValue() + 1;
  if (next > type->intMaximum()) next = minimum;
  type->setIntValue(next, 1);
  // A value that did not take the step (a gap in its range) starts over.
  if (type->intValue() != next) type->setIntValue(minimum, 1);
}

}  // namespace Brennholt
