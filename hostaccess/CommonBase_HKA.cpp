#include "hostaccess/CommonBase_HKA.h"

#include <algorithm>

#include "base/StringConversion.h"
#include "hostaccess/DisplayText.h"
#include "hostaccess/HostPaths.h"
#include "hostaccess/HostText.h"
#include "remote/channels/ExtensionThread.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/FixedText.h"
#include "remote/protocol/ServiceDispatch.h"

namespace Brennholt {

namespace {

// Function codes of fixed-function knobs besides the channel identifiers they stand for.
constexpr uint32 kVolumeCode = 1025;
constexpr uint32 kPanCode = 4201;
constexpr uint32 kFirstQuickControlCode = 1;
constexpr uint32 kLastQuickControlCode = 8;
// The EQ gains, frequencies and Qs that knobs 12..23 carry (channel identifiers as they stand).
constexpr uint32 kFirstEqKnobCode = ChannelId::kEqGainFirst;
constexpr uint32 kLastEqKnobCode = ChannelId::kEqLast;

constexpr const char* kNoAssign = "*No Assign";
constexpr const char* kNotFound = "*Not Found";
constexpr const char* kOtherTrack = "Other Track";

// The host's newer mixer exposes instruments as racks connected to tracks: from 7.5 on, and
// from 6.5 on for the Morvane line, which counts its versions differently.
bool hasNewMixerModel(const DAWInfo& info) {
  if (!info.isValid() || info.edition() == DAWInfo::kLE) return false;
  if (info.edition() == DAWInfo::kMorvane) return info.compare(6, 5, -1) >= 0;
  return info.compare(7, 5, -1) >= 0;
}

// Acceleration curve of each knob group: the assignable knobs, then the EQ Qs, frequencies
// and gains.
int32 curveOf(int32 knob) {
  if (knob < 12) return 1;
  if (knob < 16) return 6;
  if (knob < 20) return 5;
  return 4;
}

bool isEqKnobCode(uint32 code) { return code >= kFirstEqKnobCode && code <= kLastEqKnobCode; }

// The keyboard shows the first 12 characters of a name: the two agree when both are there and
// the keyboard's holds the target's first characters, as many as the target has, at most 12.
bool namesMatch(std::string_view target, std::string_view keyboard) {
  if (target.empty() || keyboard.empty()) return false;
  const std::size_t n = std::min(target.size(), CommonBase_HKA::kTargetNameWidth);
  return keyboard.size() >= n && keyboard.substr(0, n) == target.substr(0, n);
}

IPtr<Hox::IHostValue> member(Hox::IHostObject* object, const char* key) {
  IPtr<Hox::IHostValue> value;
  if (object && object->getMember(key, value.put()) != kResultOk) value.reset();
  return value;
}

}  // namespace

CommonBase_HKA::CommonBase_HKA() {
  for (int32 k = 0; k < kKnobCount; ++k) {
    KnobSlot& slot = knobs_[static_cast<std::size_t>(k)];
    slot.leader = static_cast<uint8>(k);
    if (k >= kAssignableKnobs) {
      slot.kind = KnobSlot::kFixedFunction;
      slot.id = KnobAssignment::fixedParameter(k);
    }
  }
}

CommonBase_HKA::~CommonBase_HKA() {
  // A host that releases without terminate must not find a worker on this object, nor call
  // handlers that are gone, nor keep dependents that point here.
  try {
    CommonBase_HKA::stopWorker();
    unbind();
  } catch (...) {
    // A door (the host's last release): nothing gets past it.
  }
}

// --- IPluginBase -----------------------------------------------------------------------------

tresult CommonBase_HKA::initialize(FUnknown* context) noexcept {
  try {
    return bindHost(context);
  } catch (...) {
    return kResultFalse;
  }
}

tresult CommonBase_HKA::bindHost(FUnknown* context) {
  if (!context || !isHostSupported(context)) return kResultFalse;

  Hox::IHostKernel* kernel = nullptr;
  if (context->queryInterface(Hox::IHostKernel::iid.bytes(), reinterpret_cast<void**>(&kernel)) !=
          kResultOk ||
      kernel == nullptr) {
    return kResultFalse;
  }
  // A second initialize replaces the reference instead of leaking it.
  if (bound_ && hostKernel) hostKernel->release();
  hostKernel = kernel;
  const bool wasBound = bound_;
  bound_ = true;

  if (auto info = Brennholt::queryInterface<Hox::IHostInformation>(context)) {
    hostInfo_ = DAWInfo(info->productName(), info->versionString(), info->buildString());
  }
  newMixerModel_ = hasNewMixerModel(hostInfo_);

  if (!wasBound) {
    if (auto projects = Hox::getService<Hox::IProjectService>(kernel)) {
      projects->addProjectNotification(this);
    }
    if (auto idle = Hox::getService<Hox::IIdleService>(kernel)) idle->addIdleHandler(this);
  }
  return kResultOk;
}

tresult CommonBase_HKA::terminate() noexcept {
  try {
    return unbindHost();
  } catch (...) {
    // What is still bound is given back by the destructor.
    return kResultFalse;
  }
}

tresult CommonBase_HKA::unbindHost() {
  Hox::IHostKernel* const kernel = hostKernel;
  if (auto state = Hox::getService<Hox::IHostStateService>(kernel)) {
    if (!state->isShutdownAllowed()) return kResultFalse;
  }
  stopWorker();
  // Only the object that bound the kernel unregisters and releases it: the reference in
  // `hostKernel` is that object's, and a double release would free the host's kernel.
  if (!bound_) return kResultOk;
  if (auto projects = Hox::getService<Hox::IProjectService>(kernel)) {
    projects->removeProjectNotification(this);
  }
  if (kernel) {
    onShutdown(kernel);
    // Everything the target work holds goes back while the kernel can still end its watches.
    resetTarget(kernel, ResetLevel::kProject, OpenEdit::kEnd);
    if (auto idle = Hox::getService<Hox::IIdleService>(kernel)) idle->removeIdleHandler(this);
    kernel->release();
    hostKernel = nullptr;
  }
  bound_ = false;
  return kResultOk;
}

void CommonBase_HKA::unbind() {
  if (!bound_) return;
  bound_ = false;
  Hox::IHostKernel* const kernel = hostKernel;
  if (!kernel) return;
  // Only this class's part is left: its own reset, not an override.
  CommonBase_HKA::resetTarget(kernel, ResetLevel::kProject, OpenEdit::kEnd);
  if (auto projects = Hox::getService<Hox::IProjectService>(kernel)) {
    projects->removeProjectNotification(this);
  }
  if (auto idle = Hox::getService<Hox::IIdleService>(kernel)) idle->removeIdleHandler(this);
  kernel->release();
  hostKernel = nullptr;
}

// --- IIdleHandler ----------------------------------------------------------------------------

void CommonBase_HKA::onIdle() noexcept {
  try {
    // Start-up: nothing arrives before a remote has attached, so the worker waits for it.
    if (firstIdle_) {
      if (!isRemoteReady()) return;
      if (!startWorker()) return;
      // Once, even when the model's start-up fails half way (it then works without that part).
      firstIdle_ = false;
      onFirstIdle(hostKernel);
      return;
    }
    idleWork(hostKernel);
  } catch (...) {
    // Out of memory in the middle of the work: the rest waits for the next call.
  }
}

void CommonBase_HKA::idleWork(Hox::IHostKernel* kernel) {
  // A host without a mixer leaves the binding pending; the keyboard's messages still count.
  if (bindPending_ && bindMixer(kernel)) {
    bindPending_ = false;
    return;
  }
  if (applyKnobMoves(kernel)) return;
  if (incomingPending_.load()) {
    processIncoming(kernel);
    return;
  }

  poll(kernel);
  if (selectionChanged_) {
    if (!trackingEnabled_) return;  // the keyboard's name answer comes first
    currentChannel_ = IPtr<Hox::IHostObject>::share(selectedChannel());
    currentTrack_ = IPtr<Hox::IHostObject>::share(selectedTrack());
    selectionChanged_ = false;
    onSelectionChanged(kernel);
    return;
  }
  if (targetChanged_) {
    targetChanged_ = false;
    rebuildTarget(kernel);
    return;
  }
  if (nameTimer_.running() && nameTimer_.expired(kernel, kNameRefreshMs)) {
    rebindAll(kernel);  // stops the timer
    // The target was cleared before the keyboard's matching answer, which blanked the line:
    // the refresh shows it again, before the knob texts (a text line drops those still queued
    // at the remote).
    sendObjectTitle(nameValue_.get());
    sendInstrumentState();
    sendAllNames();
    dirtyKnobs_ = kAllKnobs;
    updateNoTarget();
    return;
  }
  if (dirtyKnobs_ != 0) {
    const uint32 dirty = dirtyKnobs_;
    dirtyKnobs_ = 0;
    if ((dirty & kAllKnobs) == kAllKnobs) {
      sendAllValues(kernel);
    } else {
      for (int32 k = 0; k < kKnobCount; ++k) {
        if (dirty & (1u << k)) sendValue(kernel, k);
      }
    }
  }
}

bool CommonBase_HKA::applyKnobMoves(Hox::IHostKernel* kernel) {
  for (int32 k = 0; k < kKnobCount; ++k) {
    ParameterController2& controller = knobs_[static_cast<std::size_t>(k)].controller;
    if (controller.hasMoves()) {
      const uint8 before = controller.pickup();
      controller.apply(kernel, true, curveOf(k));
      if (before < ParameterController::kPickupCaught &&
          controller.pickup() >= ParameterController::kPickupCaught) {
        sendValue(kernel, k);
      }
    } else if (controller.isEditOpen()) {
      controller.checkEditTimeout(kernel, kEditTimeoutMs);
    }
  }
  if (!knobsChanged_) return false;
  knobsChanged_ = false;
  return true;
}

void CommonBase_HKA::processIncoming(Hox::IHostKernel* kernel) {
  // Taken out of the queue under the lock and handled without it: handling calls the host and
  // posts to the outbound channels, and the worker must not wait on that.
  std::vector<SysExPtr> batch;
  {
    FGuard guard(&lock_);
    batch.swap(incoming_);
    incomingPending_.store(false);
  }
  for (SysExPtr& message : batch) {
    // The header is read here once; handleMessage and the readers work from the view.
    if (auto view = SysExView::read(message.get(), message.size())) handleMessage(kernel, *view);
    message.reset();
  }
}

// --- IProjectNotification --------------------------------------------------------------------

void CommonBase_HKA::projectOpened(FUnknown* /*project*/) noexcept { bindPending_ = true; }

void CommonBase_HKA::projectClosing(FUnknown* project) noexcept {
  try {
    dropProject(hostKernel, project, true);
  } catch (...) {
  }
}

void CommonBase_HKA::projectActivated(FUnknown* /*project*/) noexcept {}

void CommonBase_HKA::projectRemoved(FUnknown* project) noexcept {
  try {
    dropProject(hostKernel, project, false);
  } catch (...) {
  }
}

tresult CommonBase_HKA::canCloseProject(FUnknown* /*project*/) noexcept { return kResultOk; }

void CommonBase_HKA::dropProject(Hox::IHostKernel* kernel, FUnknown* project,
                                 bool reportDeselection) {
  auto projects = Hox::getService<Hox::IProjectService>(kernel);
  if (!projects || !project || projects->activeProject() != project) return;
  if (reportDeselection) deselectAll(kernel);
  resetTarget(kernel, ResetLevel::kProject, OpenEdit::kLeave);
  clearTarget(kernel);
}

// --- IDependent ------------------------------------------------------------------------------

void CommonBase_HKA::update(FUnknown* changed, int32 message) noexcept {
  if (!changed) return;
  Hox::IHostKernel* const kernel = hostKernel;
  try {
    onMixerUpdate(kernel, changed, message);
    if (slotObject_.is(changed) || output_.is(changed)) {
      if (message == kChanged) targetChanged_ = true;
      if (message == kGoingAway) resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kLeave);
    } else if (bayProg_.is(changed)) {
      if (message == kChanged) refreshVexelOneNames();
    } else if (writeEnable_.is(changed)) {
      if (message == kGoingAway) writeEnable_.release(kernel);
    } else if (nameValue_.is(changed)) {
      if (message == kChanged) sendObjectTitle(nameValue_.get());
    } else if (message == kChanged) {
      onKnobUpdate(kernel, changed);
    }
  } catch (...) {
    // Out of memory: this report is lost; the next one brings the display up to date.
  }
}

void CommonBase_HKA::onMixerUpdate(Hox::IHostKernel* kernel, FUnknown* changed, int32 message) {
  Hox::IHostObject* const mixer = mixerMonitor_.mixer();
  if (message != kChanged || !mixer) return;
  bool ours = changed == static_cast<FUnknown*>(mixer);
  if (!ours) {
    // Looked up afresh: the host may have replaced the value since the monitor bound it.
    auto selected = member(mixer, "selected");
    ours = selected && changed == static_cast<FUnknown*>(selected.get());
  }
  if (ours) evaluate(kernel);
}

void CommonBase_HKA::onKnobUpdate(Hox::IHostKernel* kernel, FUnknown* changed) {
  for (int32 i = 0; i < kKnobCount; ++i) {
    KnobSlot& slot = knobs_[static_cast<std::size_t>(i)];
    Hox::IHostValue* const bound = slot.controller.parameter();
    if (bound && changed == static_cast<FUnknown*>(bound)) {
      for (int32 j = 0; j < kKnobCount; ++j) {
        if (knobs_[static_cast<std::size_t>(j)].leader == i) sendValue(kernel, j);
      }
      slot.controller.continueStepSearch(1);
    }
    if (slot.secondary.is(changed)) {
      slot.name = quickControlRename(kernel, slot.name, slot.secondary.get());
      for (int32 j = 0; j < kKnobCount; ++j) {
        if (knobs_[static_cast<std::size_t>(j)].leader == i) sendName(j);
      }
    }
  }
}

void CommonBase_HKA::refreshVexelOneNames() {
  bool renamed = false;
  for (int32 i = 0; i < kAssignableKnobs; ++i) {
    KnobSlot& slot = knobs_[static_cast<std::size_t>(i)];
    if (slot.kind != KnobSlot::kHostParameter || !slot.controller.isBound()) continue;
    if (vexelOneName(targetInstrument_.get(), slot.controller.parameter(), slot.name)) {
      renamed = true;
    }
  }
  if (renamed) sendAllNames();
}

// --- IReceiver -------------------------------------------------------------------------------

void CommonBase_HKA::deliver(SysExPtr message) noexcept {
  if (!message) return;
  FGuard guard(&lock_);
  try {
    incoming_.push_back(std::move(message));
  } catch (...) {
    // No room to queue it: the message (not moved from) is dropped, as any message that cannot
    // be taken.
    return;
  }
  incomingPending_.store(true);
}

// --- Worker ----------------------------------------------------------------------------------

bool CommonBase_HKA::startWorker() {
  if (worker_) return true;
  worker_ =
      ExtensionThread::startWorker(static_cast<IReceiver*>(this), &ChannelRegistry::inbound());
  return worker_ != nullptr;
}

void CommonBase_HKA::stopWorker() {
  if (!worker_) return;
  ExtensionThread::stopWorker(worker_, &ChannelRegistry::inbound());
}

// --- Knob messages ---------------------------------------------------------------------------

void CommonBase_HKA::onKnobAbsolute(const SysExView& /*message*/) {
  // No knob of this keyboard sends absolute values.
}

void CommonBase_HKA::onKnobRelative(const SysExView& message) {
  if (!mixerMonitor_.mixer()) return;
  int32 knob = 0;
  int32 steps = 0;
  if (!ServiceDispatch::readKnobTurn(message, knob, steps)) return;
  KnobSlot& leader = knobs_[knobs_[static_cast<std::size_t>(knob)].leader];
  if (!leader.controller.isBound()) return;
  leader.controller.queueMove(steps);
  knobsChanged_ = true;
}

int32 CommonBase_HKA::parseAssignment(const SysExView& message, int32 pos, int32 knob,
                                      KnobAssignment& out) {
  return KnobAssignment::parse(message.bytes, message.size, pos, knob, out);
}

void CommonBase_HKA::onAssignmentEntry(Hox::IHostKernel* kernel, const SysExView& message) {
  int32 knob = 0;
  KnobAssignment assignment;
  if (!KnobAssignment::parseEntry(message, knob, assignment)) return;
  KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  slot.kind = static_cast<uint8>(assignment.kind);
  slot.id = assignment.parameterId;
  rebindAll(kernel);
  restoreTargetLine();
  sendName(knob);
  dirtyKnobs_ |= 1u << knob;
  updateNoTarget();
}

void CommonBase_HKA::onAssignmentDump(Hox::IHostKernel* kernel, const SysExView& message) {
  KnobAssignment::Table table;
  if (!KnobAssignment::parseDump(message, table)) return;
  for (int32 k = 0; k < kKnobCount; ++k) {
    KnobSlot& slot = knobs_[static_cast<std::size_t>(k)];
    slot.kind = static_cast<uint8>(table[static_cast<std::size_t>(k)].kind);
    slot.id = table[static_cast<std::size_t>(k)].parameterId;
  }
  rebindAll(kernel);
  restoreTargetLine();
  sendAllNames();
  dirtyKnobs_ = kAllKnobs;
  updateNoTarget();
}

void CommonBase_HKA::onKeyboardName(Hox::IHostKernel* kernel, const SysExView& message) {
  std::string_view name;
  if (!ServiceDispatch::readName(message, name)) return;
  keyboardName_.assign(name);
  trackingEnabled_ = true;
  const std::string target = currentTargetName();
  const bool match = namesMatch(target, keyboardName_);
  if (nameRequested_) {
    nameRequested_ = false;
    if (!match) {
      clearTarget(kernel);
      sendTargetName(target);
    }
  } else if (match) {
    if (noTarget_) nameTimer_.start(kernel);
  } else if (keyboardName_.empty()) {
    clearTarget(kernel);
  }
}

// --- Knob binding ----------------------------------------------------------------------------

void CommonBase_HKA::rebindAll(Hox::IHostKernel* kernel) {
  resetTarget(kernel, ResetLevel::kKnobs, OpenEdit::kEnd);
  nameTimer_.stop();
  if (!isTargetUnchanged(kernel)) {
    for (int32 k = kAssignableKnobs; k < kKnobCount; ++k) {
      bindKnob(kernel, k);
      watchKnob(kernel, k);
    }
    return;
  }
  for (int32 i = 0; i < kKnobCount; ++i) {
    KnobSlot& slot = knobs_[static_cast<std::size_t>(i)];
    if (slot.leader != i) continue;
    if (i < kAssignableKnobs) {
      for (int32 j = i + 1; j < kAssignableKnobs; ++j) {
        KnobSlot& other = knobs_[static_cast<std::size_t>(j)];
        if (other.kind == slot.kind && other.id == slot.id) other.leader = static_cast<uint8>(i);
      }
    }
    bindKnob(kernel, i);
    watchKnob(kernel, i);
  }
}

bool CommonBase_HKA::isTargetUnchanged(Hox::IHostKernel* kernel) {
  if (selectedChannel() != currentChannel_.get() && !previousChannel_) return false;
  auto instrument =
      findTargetInstrument(kernel, currentChannel_.get(), output_.get(), newMixerModel_);
  if (instrument.get() != targetInstrument_.get()) return false;
  if (keyboardName_.empty()) return true;
  return namesMatch(currentTargetName(), keyboardName_);
}

void CommonBase_HKA::bindKnob(Hox::IHostKernel* kernel, int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return;
  KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  slot.name.clear();
  switch (slot.kind) {
    case KnobSlot::kHostParameter: {
      std::string title;
      auto value =
          findInstrumentParameter(targetInstrument_.get(), static_cast<int32>(slot.id), title);
      if (value && slot.controller.bind(value.get(), ParameterController::kRelative,
                                        ParameterController::kPickupCaughtOnBind)) {
        slot.name = std::move(title);
      }
      break;
    }
    case KnobSlot::kFixedFunction:
      bindFixedKnob(kernel, knob, ParameterController::kRelative,
                    ParameterController::kPickupCaughtOnBind);
      break;
    default:
      slot.name = kNoAssign;
      break;
  }
  if (slot.name != kNoAssign && !slot.controller.isBound()) {
    const bool midiEq = slot.kind == KnobSlot::kFixedFunction && isEqKnobCode(slot.id) &&
                        channelKind(currentChannel_.get()) == ChannelKind::kMidiChannel;
    if (midiEq) {
      slot.name.clear();
    } else {
      slot.name = kNotFound;
    }
  }
}

void CommonBase_HKA::bindFixedKnob(Hox::IHostKernel* kernel, int32 knob, int32 kind,
                                   int32 pickupState) {
  if (knob < 0 || knob >= kKnobCount) return;
  KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  Hox::IHostObject* const channel = currentChannel_.get();
  const auto controllerKind = static_cast<uint8>(kind);
  const auto pickup = static_cast<uint8>(pickupState);
  const uint32 code = slot.id;
  std::string title;
  if (code == kVolumeCode || code == kPanCode) {
    const bool volume = code == kVolumeCode;
    auto value = findChannelValue(channel, volume ? ChannelId::kVolume : ChannelId::kPan, title);
    slot.controller.bind(value.get(), controllerKind, pickup);
    slot.name = volume ? "Volume" : "Pan Left-Right";
  } else if (code >= kFirstQuickControlCode && code <= kLastQuickControlCode) {
    const auto index = static_cast<int32>(code - kFirstQuickControlCode);
    auto control = findChannelValue(channel, ChannelId::kQuickControlFirst + index, title);
    auto destination = findChannelValue(channel, ChannelId::kQDestinationFirst + index, title);
    if (!control || !destination) return;
    slot.controller.bind(control.get(), controllerKind, pickup);
    slot.name = quickControlName(kernel, index, destination.get());
    slot.secondary.hold(kernel, std::move(destination));
  } else if (isEqKnobCode(code)) {
    auto value = findChannelValue(channel, static_cast<int32>(code), title);
    if (value && slot.controller.bind(value.get(), controllerKind, pickup)) {
      slot.name = englishName(kernel, title);
    }
  }
}

void CommonBase_HKA::watchKnob(Hox::IHostKernel* kernel, int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return;
  KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  slot.controller.watch(kernel, dependent());
  slot.secondary.watch(kernel, dependent());
}

std::string CommonBase_HKA::quickControlName(Hox::IHostKernel* kernel, int32 index,
                                             Hox::IHostValue* destination) {
  return Brennholt::quickControlName(kernel, index, destination);
}

void CommonBase_HKA::unbindKnob(Hox::IHostKernel* kernel, int32 knob, OpenEdit edits) {
  if (knob < 0 || knob >= kKnobCount) return;
  KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  if (slot.controller.isBound()) {
    if (edits == OpenEdit::kEnd && slot.controller.isEditOpen()) slot.controller.endEdit();
    slot.controller.unwatch(kernel, dependent());
    slot.controller.unbind();
  }
  slot.secondary.release(kernel);
  slot.name.clear();
  slot.leader = static_cast<uint8>(knob);
}

// --- Texts -----------------------------------------------------------------------------------

std::string CommonBase_HKA::valueText(int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return {};
  const KnobSlot& slot = knobs_[static_cast<std::size_t>(knob)];
  return Brennholt::valueText(slot.controller, slot.secondary.get(), slot.name);
}

std::string CommonBase_HKA::knobText(Hox::IHostKernel* kernel, int32 knob) {
  if (knob < 0 || knob >= kKnobCount) return {};
  const KnobSlot& leader = leaderOf(knob);
  return knobValueText(kernel, leader.controller, leader.secondary.get(), leader.name);
}

int32 CommonBase_HKA::formatValue(Hox::IHostKernel* kernel, int32 knob, uint8* buffer,
                                  std::size_t bufferSize, int32 pos, int32 width) {
  return putText(knobText(kernel, knob), buffer, bufferSize, pos, width);
}

int32 CommonBase_HKA::putText(std::string_view text, uint8* buffer, std::size_t bufferSize,
                              int32 pos, int32 width) {
  return FixedText::write(text, buffer, bufferSize, pos, width);
}

// --- Target ----------------------------------------------------------------------------------

void CommonBase_HKA::clearTarget(Hox::IHostKernel* kernel) {
  if (noTarget_) return;
  resetTarget(kernel, ResetLevel::kKnobs, OpenEdit::kEnd);
  sendObjectTitle(nullptr);
  sendAllNames();
  sendAllValues(kernel);
  noTarget_ = true;
}

bool CommonBase_HKA::allKnobsBlank() const {
  for (const KnobSlot& slot : knobs_) {
    if (slot.controller.isBound() || !slot.name.empty()) return false;
  }
  return true;
}

void CommonBase_HKA::updateNoTarget() {
  if (!allKnobsBlank()) noTarget_ = false;
}

void CommonBase_HKA::restoreTargetLine() {
  if (!noTarget_ || allKnobsBlank()) return;
  sendObjectTitle(nameValue_.get());
  sendInstrumentState();
}

std::string CommonBase_HKA::currentTargetName() {
  if (!currentChannel_ && !currentTrack_) return {};
  return targetName(currentChannel_.get(), targetInstrument_.get(), slotObject_.get(),
                    newMixerModel_);
}

bool CommonBase_HKA::bindMixer(Hox::IHostKernel* kernel) {
  mixerMonitor_.releaseAll(kernel);
  if (!mixerMonitor_.bind(kernel, dependent())) {
    mixerMonitor_.releaseAll(kernel);
    return false;
  }
  mixerMonitor_.watchMixer(kernel);
  mixerMonitor_.watchSelected(kernel);
  resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kEnd);
  onMixerUpdate(kernel, mixerMonitor_.mixer(), kChanged);
  return true;
}

void CommonBase_HKA::onSelectionChanged(Hox::IHostKernel* kernel) {
  if (!currentChannel_ && !currentTrack_) {
    clearTarget(kernel);
    return;
  }
  // An instrument channel without a plug-in slot cannot be a target: the previous channel stays
  // the target while it is still in the mixer.
  const bool slotless = channelKind(currentChannel_.get()) == ChannelKind::kSynth &&
                        !findPath(kernel, currentChannel_.get(), "Slot");
  if (slotless && previousChannel_ && mixerMonitor_.contains(previousChannel_.get())) {
    currentChannel_ = previousChannel_;
  } else {
    previousChannel_.reset();
  }
  std::string ignored;
  nameValue_.hold(kernel, findChannelValue(currentChannel_.get(), ChannelId::kName, ignored));
  nameValue_.watch(kernel, dependent());
  if (channelKind(currentChannel_.get()) == ChannelKind::kMidiChannel) {
    output_.hold(kernel, member(currentChannel_.get(), "output"));
    output_.watch(kernel, dependent());
  }
  rebuildTarget(kernel);
  if ((currentChannel_ || currentTrack_) && !writeEnable_) {
    writeEnable_.hold(kernel, member(targetInstrument_.get(), "writeEnable"));
    writeEnable_.watch(kernel, dependent());
  }
}

void CommonBase_HKA::rebuildTarget(Hox::IHostKernel* kernel) {
  resetTarget(kernel, ResetLevel::kInstrument, OpenEdit::kEnd);
  writeEnable_.release(kernel);
  if (currentChannel_ || currentTrack_) {
    Hox::IHostObject* const channel = currentChannel_.get();
    targetInstrument_ = findTargetInstrument(kernel, channel, output_.get(), newMixerModel_);
    slotObject_.hold(kernel,
                     findSlotObject(kernel, channel, targetInstrument_.get(), newMixerModel_));
    slotObject_.watch(kernel, dependent());
    if (!newMixerModel_ && targetInstrument_ && hostTitle(targetInstrument_.get()) == u"VexelOne") {
      bayProg_.hold(kernel, member(targetInstrument_.get(), "bayProg"));
      bayProg_.watch(kernel, dependent());
    }
    writeEnable_.hold(kernel, member(targetInstrument_.get(), "writeEnable"));
    writeEnable_.watch(kernel, dependent());
  }
  std::string name = currentTargetName();
  if (name.empty()) {
    clearTarget(kernel);
    return;
  }
  if (name.size() > kTargetNameWidth) name.resize(kTargetNameWidth);
  if (name == keyboardName_ || (name == kOtherTrack && keyboardName_.empty())) {
    rebindAll(kernel);
    sendObjectTitle(nameValue_.get());
    sendInstrumentState();
    sendAllNames();
    dirtyKnobs_ = kAllKnobs;
    updateNoTarget();
  } else {
    // The keyboard answers the name with its own and its assignments for that target, which
    // rebind the knobs.
    sendObjectTitle(nameValue_.get());
    sendInstrumentState();
    trackingEnabled_ = false;
    sendTargetName(name);
  }
}

void CommonBase_HKA::resetTarget(Hox::IHostKernel* kernel, ResetLevel level, OpenEdit edits) {
  if (level < ResetLevel::kProject || level > ResetLevel::kKnobs) return;
  for (int32 k = 0; k < kKnobCount; ++k) unbindKnob(kernel, k, edits);
  if (level < ResetLevel::kKnobs) {
    slotObject_.release(kernel);
    bayProg_.release(kernel);
    targetInstrument_.reset();
  }
  if (level < ResetLevel::kInstrument) {
    // A selection change resets more than once (deselected, then selected): only a reset that
    // finds a channel makes it the previous one.
    if (currentChannel_) previousChannel_ = std::move(currentChannel_);
    currentChannel_.reset();
    currentTrack_.reset();
    nameValue_.release(kernel);
    writeEnable_.release(kernel);
    output_.release(kernel);
  }
  // kSelection has nothing more to drop: the monitor keeps no channel of its own.
  if (level == ResetLevel::kProject) {
    forget();
    mixerMonitor_.releaseAll(kernel);
    // The project and its channels go away: the previous channel with them.
    previousChannel_.reset();
  }
}

// --- SelectedNotification --------------------------------------------------------------------

// A deselection counts as a change too: when nothing is selected afterwards, the keyboard must
// not go on showing the names of knobs that are no longer bound.
void CommonBase_HKA::channelDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* /*old*/) {
  resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kEnd);
  selectionChanged_ = true;
}

void CommonBase_HKA::trackDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* /*old*/) {
  resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kEnd);
  selectionChanged_ = true;
}

void CommonBase_HKA::trackSelected(Hox::IHostKernel* kernel, Hox::IHostObject* track) {
  IPtr<Hox::IHostObject> channel;
  auto selected = Brennholt::queryInterface<Hox::IHostTrack>(track);
  if (selected && selected->getChannel(channel.put()) != kResultOk) channel.reset();
  if (channel) return;
  resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kEnd);
  selectionChanged_ = true;
}

void CommonBase_HKA::channelSelected(Hox::IHostKernel* kernel, Hox::IHostObject* /*channel*/) {
  resetTarget(kernel, ResetLevel::kSelection, OpenEdit::kEnd);
  selectionChanged_ = true;
}

}  // namespace Brennholt
