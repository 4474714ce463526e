// The keyboard service's core: binding to the host kernel, the inbound message queue and its
// worker, the idle work, and sending to every attached remote.
//
// One object per process. The host creates it through the factory, calls initialize with its
// context, then onIdle periodically, and terminate before the last release. Every operation runs
// on the host thread except IReceiver::deliver, which the inbound channel's worker calls.
//
// Locks: `lock_` ("CommonBase_HKA") guards `incoming_` and `incomingPending_` only. deliver takes
// it while the worker holds the inbound channel's lock (channel lock first, then this one); the
// host thread takes it alone and never calls out while holding it.
//
// The model-specific part (the keyboard's messages, its actions and panel) is QENT_HKA.
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FLock.h"
#include "base/TRefCounted.h"
#include "core/Types.h"
#include "hostaccess/DAWInfo.h"
#include "hostaccess/hoverknob/HostTimer.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/IReceiver.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExView.h"
#include "sdk/IPluginBase.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostServices.h"

namespace Brennholt {

// The dependency interface (update from watched host objects) joins the bases with the target
// work, between IActionHandler and IReceiver.
class CommonBase_HKA : public TRefCounted<IPluginBase, Hox::IIdleHandler, Hox::IProjectNotification,
                                          Hox::IActionHandler>,
                       public IReceiver {
 public:
  static constexpr int32 kKnobCount = 24;
  // How long stopWorker waits for the inbound worker before ending it by force.
  static constexpr uint32 kWorkerStopTimeoutMs = ExtensionThread::kStopTimeout;

  CommonBase_HKA(const CommonBase_HKA&) = delete;
  CommonBase_HKA& operator=(const CommonBase_HKA&) = delete;

  // --- FUnknown ------------------------------------------------------------------------------

  // FUnknown and IPluginBase answer the primary base; IIdleHandler, IProjectNotification and
  // IActionHandler their sub-objects. [any thread]
  tresult queryInterface(const TUID iid, void** object) noexcept override;

  // --- IPluginBase ---------------------------------------------------------------------------

  // Checks the host, binds `hostKernel`, reads the host information and registers for project
  // notifications and idle calls. 1, with nothing registered, for an unsupported host or a
  // context without a kernel. [host thread]
  tresult initialize(FUnknown* context) noexcept override;
  // 1 and nothing done while the host does not allow shutdown. Otherwise stops the inbound
  // worker, unregisters everything and releases `hostKernel`. [host thread]
  tresult terminate() noexcept override;

  // --- IIdleHandler --------------------------------------------------------------------------

  // One kind of work per call: first the start-up once a remote is ready, later the queued
  // keyboard messages. [host thread]
  void onIdle() noexcept override;

  // --- IProjectNotification ------------------------------------------------------------------

  // Marks the mixer for binding on a later idle call. [host thread]
  void projectOpened(FUnknown* project) noexcept override;
  // Target reset for the active project: with the target work. [host thread]
  void projectClosing(FUnknown* project) noexcept override;
  // Nothing. [host thread]
  void projectActivated(FUnknown* project) noexcept override;
  // Target reset for the active project: with the target work. [host thread]
  void projectRemoved(FUnknown* project) noexcept override;
  // Never holds a project open: 0. [host thread]
  tresult canCloseProject(FUnknown* project) noexcept override;

  // --- IReceiver -----------------------------------------------------------------------------

  // Queues one keyboard message for the next idle call; the queue owns it from here on. An empty
  // message is ignored, and one that cannot be queued (no memory) is dropped.
  // [inbound worker thread, inbound channel lock held]
  void deliver(SysExPtr message) noexcept override;

 protected:
  CommonBase_HKA();
  // Stops a worker that terminate did not stop and frees every queued message.
  ~CommonBase_HKA() override;

  // --- Own operations, in slot order -------------------------------------------------------
  //
  // Operations marked "knob work" belong to the knob, target and dispatch work that is not
  // built yet: until then they do nothing and answer "nothing done". Only the dispatch in
  // QENT_HKA::handleMessage calls some of them so far.

  // 1. Handles one queued keyboard message, its header decoded; the message is freed after the
  // call. Messages without a header never get here. [host thread, no lock held]
  virtual void handleMessage(const SysExView& message) = 0;
  // 2. initialize goes on only when this answers true. [host thread]
  virtual bool isHostSupported(FUnknown* context) = 0;
  // 3. Model-specific start-up, once, on the first idle call after a remote is ready.
  // [host thread]
  virtual void onFirstIdle() = 0;
  // 4. Model-specific clean-up in terminate, while `hostKernel` is still set. [host thread]
  virtual void onShutdown() = 0;
  // 5. Starts the inbound worker on the inbound channel; false when it could not be built or
  // started (the start-up then retries on the next idle call). [host thread]
  virtual bool startWorker();
  // 6. Stops the inbound worker: stop request, signal, wait kWorkerStopTimeoutMs, then end it by
  // force; deletes it when it ended in time (one ended by force is left alone, see
  // ExtensionThread::stopWorker). Nothing without a worker. [host thread]
  virtual void stopWorker();
  // 7. Absolute knob values: no knob of this keyboard is absolute, so nothing. [host thread]
  virtual void onKnobAbsolute(const SysExView& message);
  // 8. Relative move of knob 0..23. Knob work. [host thread]
  virtual void onKnobRelative(const SysExView& message);
  // 9. All 24 assignments in one message. Knob work. [host thread]
  virtual void onAssignmentDump(const SysExView& message);
  // 10. One assignment. Knob work. [host thread]
  virtual void onAssignmentEntry(const SysExView& message);
  // 11. Reads one assignment at `pos`; the next position or -1. Knob work: -1. [host thread]
  virtual int32 parseAssignment(const SysExView& message, int32 pos, int32 knob);
  // 12. Binds every knob slot to its host parameter. Knob work. [host thread]
  virtual void rebindAll();
  // 13. Whether the selection still leads to the same target. Knob work: false. [host thread]
  virtual bool isTargetUnchanged();
  // 14. Binds one slot to the target's parameter. Knob work. [host thread]
  virtual void bindKnob(int32 knob);
  // 15. Binds a slot with a fixed function. Knob work. [host thread]
  virtual void bindFixedKnob(int32 knob, int32 kind, int32 pickupState);
  // 16. Starts observing the slot's parameter. Knob work. [host thread]
  virtual void watchKnob(int32 knob);
  // 17. quickControlName(index, value) joins here with the host's value type.
  // 18. The keyboard reported the name on its display. Knob work. [host thread]
  virtual void onKeyboardName(const SysExView& message);
  // 19. Sends every knob's parameter name to every remote. [host thread]
  virtual void sendAllNames() = 0;
  // 20. Sends every knob's value text to every remote. [host thread]
  virtual void sendAllValues() = 0;
  // 21. Sends one knob's parameter name to every remote. [host thread]
  virtual void sendName(int32 knob) = 0;
  // 22. Sends one knob's value text to every remote. [host thread]
  virtual void sendValue(int32 knob) = 0;
  // 23. Sends the first 12 bytes of `name` to every remote; nothing for an empty name.
  // [host thread]
  virtual void sendTargetName(std::string_view name) = 0;
  // 24. valueText(knob) and 25. formatValue(knob, ...) join here with the parameter controllers.
  // 26. Writes exactly `width` bytes of `text` at buffer[pos..]: spaces past the end of the
  // text, "-" from the first byte of 0x80 or more to the end of the text. Returns pos + width,
  // or -1 with nothing written for a null buffer, `pos` below 9 or a field that would pass
  // `bufferSize`. [any thread]
  virtual int32 putText(std::string_view text, uint8* buffer, std::size_t bufferSize, int32 pos,
                        int32 width);
  // 27. Sends the no-target state once. Knob work. [host thread]
  virtual void clearTarget();
  // 28. sendObjectTitle(value) joins here with the host's value type.
  // 29. The instrument state flag (63 00). [host thread]
  virtual void sendInstrumentState() = 0;
  // 30. Binds to the mixer and the selection; true when done. Knob work: false. [host thread]
  virtual bool bindMixer();
  // 31. Re-derives the target from a new selection. Knob work. [host thread]
  virtual void onSelectionChanged();
  // 32. Finds the target and rebinds the knobs. Knob work. [host thread]
  virtual void rebuildTarget();
  // 33. Drops target state down to `level` (0..4). Knob work. [host thread]
  virtual void resetTarget(int32 level, bool releaseEdit);
  // 34. Ends observation and binding of one slot. Knob work. [host thread]
  virtual void unbindKnob(int32 knob, bool releaseEdit);

  // --- Helpers for the model ---------------------------------------------------------------

  // Builds one fresh message per open outbound channel with `build` (a callable answering a
  // SysExPtr) and posts it there; the channel owns it from then on. An empty result drops the
  // message for that channel and the ones after it. Returns the number of channels
  // posted to. Never called with `lock_` held. [host thread]
  template <class Build>
  static int32 send(Build&& build) {
    return ChannelRegistry::sendToAllRemotes(std::forward<Build>(build));
  }

  const DAWInfo& hostInfo() const { return hostInfo_; }
  bool newMixerModel() const { return newMixerModel_; }

  DAWInfo hostInfo_;
  // Chooses how a track's instrument is found: true from 7.5 on (6.5 on edition 6).
  bool newMixerModel_ = false;
  // 100 ms debounce of a pending full refresh after the keyboard reported its name.
  HostTimer nameTimer_;

 private:
  // Hands every queued message to handleMessage and frees it.
  void processIncoming();
  // Unregisters the handlers and releases `hostKernel` when this object bound it.
  void unbind();

  // Drains the inbound channel into deliver; host thread only.
  ExtensionThread* worker_ = nullptr;
  FLock lock_{"CommonBase_HKA"};
  std::vector<SysExPtr> incoming_;  // under lock_
  // Written under lock_; read by the host thread's idle call without it.
  std::atomic<bool> incomingPending_{false};
  bool firstIdle_ = true;
  bool bindPending_ = false;
  // This object took the reference in `hostKernel` and registered its handlers; only then does
  // it unregister and release them.
  bool bound_ = false;
};

}  // namespace Brennholt
