#include "hostaccess/CommonBase_HKA.h"

#include "remote/channels/ExtensionThread.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/FixedText.h"

namespace Brennholt {

namespace {

// The host's newer mixer exposes instruments as racks connected to tracks: from 7.5 on, and
// from 6.5 on for the Morvane line, which counts its versions differently.
bool hasNewMixerModel(const DAWInfo& info) {
  if (!info.isValid() || info.edition() == DAWInfo::kLE) return false;
  if (info.edition() == DAWInfo::kMorvane) return info.compare(6, 5, -1) >= 0;
  return info.compare(7, 5, -1) >= 0;
}

}  // namespace

CommonBase_HKA::CommonBase_HKA() = default;

CommonBase_HKA::~CommonBase_HKA() {
  // A host that releases without terminate must not find a worker on this object, nor call
  // handlers that are gone.
  CommonBase_HKA::stopWorker();
  unbind();
}

// --- FUnknown --------------------------------------------------------------------------------

tresult CommonBase_HKA::queryInterface(const TUID iid, void** object) noexcept {
  if (!object) return kInvalidArgument;
  void* answer = nullptr;
  if (FUnknown::iid.matches(iid) || IPluginBase::iid.matches(iid)) {
    answer = static_cast<IPluginBase*>(this);
  } else if (Hox::IIdleHandler::iid.matches(iid)) {
    answer = static_cast<Hox::IIdleHandler*>(this);
  } else if (Hox::IProjectNotification::iid.matches(iid)) {
    answer = static_cast<Hox::IProjectNotification*>(this);
  } else if (Hox::IActionHandler::iid.matches(iid)) {
    answer = static_cast<Hox::IActionHandler*>(this);
  }
  *object = answer;
  if (!answer) return kNoInterface;
  addRef();
  return kResultOk;
}

// --- IPluginBase -----------------------------------------------------------------------------

tresult CommonBase_HKA::initialize(FUnknown* context) noexcept {
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

  // The selection tracker takes the kernel here once the target work exists.

  if (!wasBound) {
    if (auto projects = Hox::getService<Hox::IProjectService>(hostKernel)) {
      projects->addProjectNotification(this);
    }
    if (auto idle = Hox::getService<Hox::IIdleService>(hostKernel)) idle->addIdleHandler(this);
  }
  return kResultOk;
}

tresult CommonBase_HKA::terminate() noexcept {
  if (auto state = Hox::getService<Hox::IHostStateService>(hostKernel)) {
    if (!state->isShutdownAllowed()) return kResultFalse;
  }
  stopWorker();
  // Only the object that bound the kernel unregisters and releases it: the reference in
  // `hostKernel` is that object's, and a double release would free the host's kernel.
  if (!bound_) return kResultOk;
  if (auto projects = Hox::getService<Hox::IProjectService>(hostKernel)) {
    projects->removeProjectNotification(this);
  }
  if (hostKernel) {
    onShutdown();
    if (auto idle = Hox::getService<Hox::IIdleService>(hostKernel)) idle->removeIdleHandler(this);
    hostKernel->release();
    hostKernel = nullptr;
  }
  bound_ = false;
  return kResultOk;
}

void CommonBase_HKA::unbind() {
  if (!bound_) return;
  bound_ = false;
  if (!hostKernel) return;
  if (auto projects = Hox::getService<Hox::IProjectService>(hostKernel)) {
    projects->removeProjectNotification(this);
  }
  if (auto idle = Hox::getService<Hox::IIdleService>(hostKernel)) idle->removeIdleHandler(this);
  hostKernel->release();
  hostKernel = nullptr;
}

// --- IIdleHandler ----------------------------------------------------------------------------

void CommonBase_HKA::onIdle() noexcept {
  // Start-up: nothing arrives before a remote has attached, so the worker waits for it.
  if (firstIdle_) {
    if (!isRemoteReady()) return;
    if (!startWorker()) return;
    onFirstIdle();
    firstIdle_ = false;
    return;
  }

  // The mixer binding (bindPending_) and the knob moves come here with the knob work, ahead
  // of the keyboard's messages.

  if (incomingPending_.load()) {
    processIncoming();
    return;
  }

  // Polling the selection tracker and acting on a changed selection come here last.
}

void CommonBase_HKA::processIncoming() {
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
    if (auto view = SysExView::read(message.get(), message.size())) handleMessage(*view);
    message.reset();
  }
}

// --- IProjectNotification --------------------------------------------------------------------

void CommonBase_HKA::projectOpened(FUnknown* /*project*/) noexcept { bindPending_ = true; }

void CommonBase_HKA::projectClosing(FUnknown* /*project*/) noexcept {
  // Dropping the selection and the target of a closing active project comes with the target
  // work; until then there is nothing bound to drop.
}

void CommonBase_HKA::projectActivated(FUnknown* /*project*/) noexcept {}

void CommonBase_HKA::projectRemoved(FUnknown* /*project*/) noexcept {
  // As projectClosing, without the deselection reports; with the target work.
}

tresult CommonBase_HKA::canCloseProject(FUnknown* /*project*/) noexcept { return kResultOk; }

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

// --- Text ------------------------------------------------------------------------------------

int32 CommonBase_HKA::putText(std::string_view text, uint8* buffer, std::size_t bufferSize,
                              int32 pos, int32 width) {
  return FixedText::write(text, buffer, bufferSize, pos, width);
}

// --- Knob, target and dispatch work ----------------------------------------------------------
//
// Not built yet. Each answers "nothing done"; nothing in this object calls them so far, and the
// dispatch in QENT_HKA already routes the keyboard's knob messages here.

void CommonBase_HKA::onKnobAbsolute(const SysExView& /*message*/) {
  // No knob of this keyboard sends absolute values.
}

void CommonBase_HKA::onKnobRelative(const SysExView& /*message*/) {}
void CommonBase_HKA::onAssignmentDump(const SysExView& /*message*/) {}
void CommonBase_HKA::onAssignmentEntry(const SysExView& /*message*/) {}
int32 CommonBase_HKA::parseAssignment(const SysExView& /*message*/, int32 /*pos*/, int32 /*knob*/) {
  return -1;
}
void CommonBase_HKA::rebindAll() {}
bool CommonBase_HKA::isTargetUnchanged() { return false; }
void CommonBase_HKA::bindKnob(int32 /*knob*/) {}
void CommonBase_HKA::bindFixedKnob(int32 /*knob*/, int32 /*kind*/, int32 /*pickupState*/) {}
void CommonBase_HKA::watchKnob(int32 /*knob*/) {}
void CommonBase_HKA::onKeyboardName(const SysExView& /*message*/) {}
void CommonBase_HKA::clearTarget() {}
bool CommonBase_HKA::bindMixer() { return false; }
void CommonBase_HKA::onSelectionChanged() {}
void CommonBase_HKA::rebuildTarget() {}
void CommonBase_HKA::resetTarget(int32 /*level*/, bool /*releaseEdit*/) {}
void CommonBase_HKA::unbindKnob(int32 /*knob*/, bool /*releaseEdit*/) {}

}  // namespace Brennholt
