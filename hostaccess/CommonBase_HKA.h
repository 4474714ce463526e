// The keyboard service's core: binding to the host kernel, the inbound message queue and its
// worker, following the host's selection to a target, the 24 knob slots bound to the target's
// parameters, the idle work, and sending to every attached remote.
//
// One object per process. The host creates it through the factory, calls initialize with its
// context, then onIdle periodically, and terminate before the last release. Every operation runs
// on the host thread (initialize, terminate, the idle call, the project, dependency and action
// callbacks) except IReceiver::deliver, which the inbound channel's worker calls.
//
// Locks: `lock_` ("CommonBase_HKA") guards `incoming_` and `incomingPending_` only. deliver takes
// it while the worker holds the inbound channel's lock (channel lock first, then this one); the
// host thread takes it alone and never calls out while holding it.
//
// Error boundary: only an allocation can fail (std::bad_alloc). The operations the host calls
// are the doors: initialize, terminate, onIdle, the project notifications, update, deliver, the
// destructors, and QENT_HKA's onAction and setup notices. Each door catches, drops the rest of
// that call's work and answers as for a failure; nothing below a door catches.
//
// The host kernel: only the doors read the process-wide `hostKernel` (initialize and terminate
// also set and clear it); each passes what it read down as `kernel` to every operation below it
// that asks the host, and nothing below a door reads `hostKernel`. A door that runs while no
// kernel is bound passes null, which the helpers take as a host without that service.
//
// Host references: every object and value of the host the service keeps is held with a
// reference and, where it is watched, with its watch; the five reset levels (resetTarget) give
// them back, and terminate (or a release without it) resets to kProject before it lets go of the
// kernel, so nothing is left registered with the host.
//
// Target tracking: which event sets which flag, and which idle step takes it. onIdle runs the
// first step that has work and returns (one kind of work per call):
//
//   step  flag / state          set by                                    taken by
//   1     firstIdle_            construction (cleared once)               remote ready: startWorker,
//                                                                         onFirstIdle
//   2     bindPending_          projectOpened                             bindMixer (kept on failure)
//   3     knobsChanged_,        onKnobRelative (a queued knob turn)       applyKnobMoves: apply,
//         controller moves                                                edit timeouts
//   4     incomingPending_,     deliver (inbound worker)                  processIncoming ->
//         incoming_                                                       handleMessage
//   5     the tracker's track   poll here, and evaluate when update       reported through the four
//         and channel           reports the mixer or its "selected"       SelectedNotification
//                               (onMixerUpdate)                           overrides below
//   6     selectionChanged_     channelSelected, channelDeselected,       onSelectionChanged; waits
//                               trackSelected (no channel),               while trackingEnabled_ is
//                               trackDeselected, each after a             false
//                               kSelection reset
//   7     targetChanged_        update: the slot object or "output"       rebuildTarget
//                               changed
//   8     nameTimer_            onKeyboardName: names match in the        rebindAll and a full
//                               no-target state                           refresh
//   9     dirtyKnobs_           assignment entry and dump, rebuildTarget  sendValue / sendAllValues
//                               with a matching name, the name refresh
//
//   trackingEnabled_  cleared by rebuildTarget when it asks the keyboard for its name (the answer
//                     comes first); set again by onKeyboardName.
//   nameRequested_    set by QENT_HKA on "remote mode entered"; onKeyboardName answers it.
//   noTarget_         set by clearTarget (the blank state was sent); cleared by updateNoTarget
//                     once a knob is bound or named again.
//
// Reset levels (resetTarget): each drops what the levels above it drop.
//
//   kKnobs       (4) every knob: open edit (when asked), watch, binding, name, leader.
//                    rebindAll, clearTarget.
//   kInstrument  (3) the target instrument, its plug-in slot and the "bayProg" watch.
//                    rebuildTarget.
//   kChannel     (2) the current channel (kept as the previous one) and track, and the
//                    "name", "writeEnable" and "output" watches. Nobody asks for this level alone.
//   kSelection   (1) the same as kChannel (the mixer monitor holds no channel of its own).
//                    Selection notices, bindMixer, the slot object or "output" going away.
//   kProject     (0) the selection tracker's selection, the mixer monitor and the previous
//                    channel. Project closing or removed, terminate, a release without it.
//
// The model-specific part (the keyboard's messages, its actions and the setup) is QENT_HKA.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FLock.h"
#include "base/TRefCounted.h"
#include "core/Types.h"
#include "hostaccess/DAWInfo.h"
#include "hostaccess/KnobSlot.h"
#include "hostaccess/MixerMonitor.h"
#include "hostaccess/SelectedNotification.h"
#include "hostaccess/THostWatch.h"
#include "hostaccess/hoverknob/HostTimer.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/IReceiver.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExView.h"
#include "sdk/IPluginBase.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"
#include "sdk/host/HostServices.h"

namespace Brennholt {

class CommonBase_HKA : public TRefCounted<IPluginBase, Hox::IIdleHandler, Hox::IProjectNotification,
                                          Hox::IActionHandler, Hox::IDependent>,
                       public IReceiver,
                       public SelectedNotification {
 public:
  static constexpr int32 kKnobCount = 24;
  // Knobs below this one take the keyboard's assignments; the others are the EQ knobs.
  static constexpr int32 kAssignableKnobs = 12;
  // dirtyKnobs_ with every knob's bit set.
  static constexpr uint32 kAllKnobs = 0xFFFFFF;
  // An edit gesture on a knob's parameter ends this long after the knob's last move.
  static constexpr uint32 kEditTimeoutMs = 2000;
  // The full refresh after the keyboard reported the asked-for name waits this long for the
  // keyboard's other answers.
  static constexpr uint32 kNameRefreshMs = 100;
  // The keyboard shows this many characters of the target name.
  static constexpr std::size_t kTargetNameWidth = 12;
  // How much of the target state resetTarget drops (see the table at the top).
  enum class ResetLevel : int32 {
    kProject = 0,
    kSelection = 1,
    kChannel = 2,
    kInstrument = 3,
    kKnobs = 4,
  };
  // Whether unbinding a knob ends its open edit gesture first.
  enum class OpenEdit : bool { kLeave = false, kEnd = true };

  CommonBase_HKA(const CommonBase_HKA&) = delete;
  CommonBase_HKA& operator=(const CommonBase_HKA&) = delete;

  // --- IPluginBase ---------------------------------------------------------------------------

  // Checks the host, binds `hostKernel`, reads the host information and registers for project
  // notifications and idle calls. 1, with nothing registered, for an unsupported host or a
  // context without a kernel. [host thread]
  tresult initialize(FUnknown* context) noexcept override;
  // 1 and nothing done while the host does not allow shutdown. Otherwise stops the inbound
  // worker, unregisters everything, gives back every host object it holds and releases
  // `hostKernel`. [host thread]
  tresult terminate() noexcept override;

  // --- IIdleHandler --------------------------------------------------------------------------

  // One kind of work per call, in this order: the start-up once a remote is ready, binding the
  // mixer, applying knob moves, the queued keyboard messages; then the selection poll and what
  // follows from it (a new selection, a changed target, the refresh after the keyboard's name,
  // the knob values to resend). [host thread]
  void onIdle() noexcept override;

  // --- IProjectNotification ------------------------------------------------------------------

  // Marks the mixer for binding on a later idle call. [host thread]
  void projectOpened(FUnknown* project) noexcept override;
  // For the active project: reports the selection as deselected, drops everything down to
  // kProject and shows the no-target state. [host thread]
  void projectClosing(FUnknown* project) noexcept override;
  // Nothing. [host thread]
  void projectActivated(FUnknown* project) noexcept override;
  // As projectClosing, without the deselection reports. [host thread]
  void projectRemoved(FUnknown* project) noexcept override;
  // Never holds a project open: 0. [host thread]
  tresult canCloseProject(FUnknown* project) noexcept override;

  // --- IDependent ----------------------------------------------------------------------------

  // A watched object or value changed (kChanged) or is about to go away (kGoingAway): the
  // mixer's selection is evaluated, then the first of target, program, write enable, channel
  // name and knob parameters that `changed` is reacts. [host thread, never inside own calls]
  void update(FUnknown* changed, int32 message) noexcept override;

  // --- IReceiver -----------------------------------------------------------------------------

  // Queues one keyboard message for the next idle call; the queue owns it from here on. An empty
  // message is ignored, and one that cannot be queued (no memory) is dropped.
  // [inbound worker thread, inbound channel lock held]
  void deliver(SysExPtr message) noexcept override;

 protected:
  CommonBase_HKA();
  // Stops a worker that terminate did not stop, gives back what terminate did not and frees
  // every queued message.
  ~CommonBase_HKA() override;

  // --- Own operations, in slot order -------------------------------------------------------

  // 1. Handles one queued keyboard message, its header decoded; the message is freed after the
  // call. Messages without a header never get here; their length is the handler's to check.
  // [host thread, no lock held]
  virtual void handleMessage(Hox::IHostKernel* kernel, const SysExView& message) = 0;
  // 2. initialize goes on only when this answers true. [host thread]
  virtual bool isHostSupported(FUnknown* context) = 0;
  // 3. Model-specific start-up, once, on the first idle call after a remote is ready.
  // [host thread]
  virtual void onFirstIdle(Hox::IHostKernel* kernel) = 0;
  // 4. Model-specific clean-up in terminate, while the kernel is still bound. [host thread]
  virtual void onShutdown(Hox::IHostKernel* kernel) = 0;
  // 5. Starts the inbound worker on the inbound channel; false when it could not be built or
  // started (the start-up then retries on the next idle call). [host thread]
  virtual bool startWorker();
  // 6. Stops the inbound worker: stop request, signal, wait ExtensionThread::kStopTimeout,
  // then end it by force; deletes it when it ended in time (one ended by force is left alone,
  // see ExtensionThread::stopWorker). Nothing without a worker. [host thread]
  virtual void stopWorker();
  // 7. Absolute knob values: no knob of this keyboard is absolute, so nothing. Nothing calls it:
  // no message of this keyboard is an absolute knob value. [host thread]
  virtual void onKnobAbsolute(const SysExView& message);
  // 8. Relative move of knob 0..23 (30+n 41): queued on the controller of the knob's leader
  // while the mixer is bound. Short, unterminated and no-move messages are dropped.
  // [host thread]
  virtual void onKnobRelative(const SysExView& message);
  // 9. All 24 assignments in one message (51 00), read by KnobAssignment::parseDump: taken,
  // rebound and shown only when every block reads and F7 follows the last one. After the
  // no-target state the text line and the state flag are shown again first. [host thread]
  virtual void onAssignmentDump(Hox::IHostKernel* kernel, const SysExView& message);
  // 10. One assignment (30+n 00, n 0..23), read by KnobAssignment::parseEntry: taken, rebound
  // and shown only when the block reads and F7 follows it. [host thread]
  virtual void onAssignmentEntry(Hox::IHostKernel* kernel, const SysExView& message);
  // 11. Reads knob `knob`'s block at `pos` into `out`; the next position, or -1 (and `out`
  // untouched) for `pos` below 9, a knob outside 0..23 or a block past the message's end.
  // Nothing calls it: the entry and the dump are read by KnobAssignment's readers, which read
  // each block with the same KnobAssignment::parse. [host thread]
  virtual int32 parseAssignment(const SysExView& message, int32 pos, int32 knob,
                                KnobAssignment& out);
  // 12. Unbinds every knob and binds them again: all 24 for an unchanged target, only the EQ
  // knobs otherwise (the keyboard's assignments belong to another target). [host thread]
  virtual void rebindAll(Hox::IHostKernel* kernel);
  // 13. The selection still leads to the bound channel and instrument, and the keyboard's name
  // is empty or agrees with the target name. [host thread]
  virtual bool isTargetUnchanged(Hox::IHostKernel* kernel);
  // 14. Binds knob `knob` to the parameter its assignment names and sets its display name
  // ("*No Assign", "*Not Found" when nothing was found). [host thread]
  virtual void bindKnob(Hox::IHostKernel* kernel, int32 knob);
  // 15. Binds a knob with a fixed function (volume, pan, quick control, EQ band) on the current
  // channel with that controller kind and pickup state. [host thread]
  virtual void bindFixedKnob(Hox::IHostKernel* kernel, int32 knob, int32 kind, int32 pickupState);
  // 16. Starts watching the knob's parameter and its quick control's destination.
  // [host thread]
  virtual void watchKnob(Hox::IHostKernel* kernel, int32 knob);
  // 17. "Q%d:%s" of `index` + 1 and the destination's text; empty without one. [host thread]
  virtual std::string quickControlName(Hox::IHostKernel* kernel, int32 index,
                                       Hox::IHostValue* destination);
  // 18. The keyboard reported the name on its display (50 00). Short or unterminated messages
  // are dropped. [host thread]
  virtual void onKeyboardName(Hox::IHostKernel* kernel, const SysExView& message);
  // 19. Sends every knob's parameter name to every remote. [host thread]
  virtual void sendAllNames() = 0;
  // 20. Sends every knob's value text to every remote. [host thread]
  virtual void sendAllValues(Hox::IHostKernel* kernel) = 0;
  // 21. Sends one knob's parameter name to every remote. [host thread]
  virtual void sendName(int32 knob) = 0;
  // 22. Sends one knob's value text to every remote. [host thread]
  virtual void sendValue(Hox::IHostKernel* kernel, int32 knob) = 0;
  // 23. Sends the first 12 bytes of `name` to every remote; nothing for an empty name.
  // [host thread]
  virtual void sendTargetName(std::string_view name) = 0;
  // 24. The fallback value text "(%.3f)" of knob `knob`; empty when unbound and for a quick
  // control without destination. Nothing calls it: knobText falls back to the same text of the
  // knob's leader through DisplayText's knobValueText. [host thread]
  virtual std::string valueText(int32 knob);
  // 25. Writes the value text of knob `knob`'s leader (knobText) as a field of `width` at
  // buffer[pos..] (putText's rules); QENT_HKA::sendValue writes its message through it. pos +
  // width, or -1 as putText. [host thread]
  virtual int32 formatValue(Hox::IHostKernel* kernel, int32 knob, uint8* buffer,
                            std::size_t bufferSize, int32 pos, int32 width);
  // 26. Writes exactly `width` bytes of `text` at buffer[pos..]: spaces past the end of the
  // text, "-" from the first byte of 0x80 or more to the end of the text. Returns pos + width,
  // or -1 with nothing written for a null buffer, `pos` below 9 or a field that would pass
  // `bufferSize`. [any thread]
  virtual int32 putText(std::string_view text, uint8* buffer, std::size_t bufferSize, int32 pos,
                        int32 width);
  // 27. Sends the no-target state once: knobs unbound, an empty text line, blank names and
  // values. [host thread]
  virtual void clearTarget(Hox::IHostKernel* kernel);
  // 28. Sends the text of `value` as the text line (60 00); an empty line for null.
  // [host thread]
  virtual void sendObjectTitle(Hox::IHostValue* value) = 0;
  // 29. The instrument state flag (63 00). [host thread]
  virtual void sendInstrumentState() = 0;
  // 30. Binds to the mixer and its selection and evaluates the selection; false (retried on a
  // later idle call) when the host has no mixer. [host thread]
  virtual bool bindMixer(Hox::IHostKernel* kernel);
  // 31. Re-derives the target from the selection just taken from the tracker. [host thread]
  virtual void onSelectionChanged(Hox::IHostKernel* kernel);
  // 32. Finds the target instrument, its slot and name and their watches, then either rebinds
  // the knobs (the keyboard already shows that name) or asks the keyboard for its name and
  // assignments by sending the target name. [host thread]
  virtual void rebuildTarget(Hox::IHostKernel* kernel);
  // 33. Drops target state down to `level` (the table at the top); a value outside the enum does
  // nothing. OpenEdit::kEnd closes open edits first. [host thread]
  virtual void resetTarget(Hox::IHostKernel* kernel, ResetLevel level, OpenEdit edits);
  // 34. Ends observation and binding of one knob; OpenEdit::kEnd closes an open edit first.
  // [host thread]
  virtual void unbindKnob(Hox::IHostKernel* kernel, int32 knob, OpenEdit edits);

  // --- SelectedNotification ------------------------------------------------------------------

  // Drop the knobs and the channel; the selection (a new one, or none) is taken on the next
  // idle call. [host thread]
  void channelDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* old) override;
  void trackDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* old) override;
  void trackSelected(Hox::IHostKernel* kernel, Hox::IHostObject* track) override;
  void channelSelected(Hox::IHostKernel* kernel, Hox::IHostObject* channel) override;

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
  // This object bound `hostKernel` and registered its handlers.
  bool isBoundToHost() const { return bound_; }
  // Knob `knob`'s slot (0..23) and the slot of its leader.
  const KnobSlot& knob(int32 knob) const { return knobs_[static_cast<std::size_t>(knob)]; }
  const KnobSlot& leaderOf(int32 knob) const { return knobs_[knobs_[knob].leader]; }
  // The text the keyboard shows for knob `knob`'s value: its leader's value text made
  // displayable, or valueText. [host thread]
  std::string knobText(Hox::IHostKernel* kernel, int32 knob);
  // The selected mixer channel and its channel's "name" value; null when none.
  Hox::IHostObject* currentChannel() const { return currentChannel_.get(); }
  Hox::IHostValue* channelNameValue() const { return nameValue_.get(); }
  // The instrument or slot under control; null when none.
  Hox::IHostObject* targetInstrument() const { return targetInstrument_.get(); }

  DAWInfo hostInfo_;
  // Chooses how a track's instrument is found: true from 7.5 on (6.5 on edition 6).
  bool newMixerModel_ = false;
  // 100 ms debounce of a pending full refresh after the keyboard reported its name.
  HostTimer nameTimer_;
  // The keyboard was asked for its name (remote mode entered); its next name answers it.
  bool nameRequested_ = false;

 private:
  // initialize and terminate inside their error boundary.
  tresult bindHost(FUnknown* context);
  tresult unbindHost();
  // Hands every queued message to handleMessage and frees it.
  void processIncoming(Hox::IHostKernel* kernel);
  // Gives back every host object, unregisters the handlers and releases `hostKernel` when this
  // object bound it.
  void unbind();
  // The idle work after the start-up, one kind per call.
  void idleWork(Hox::IHostKernel* kernel);
  // Applies the queued knob moves; true when the keyboard moved a knob since the last call.
  bool applyKnobMoves(Hox::IHostKernel* kernel);
  // Evaluates the selection when `changed` is the mixer or its "selected" value.
  void onMixerUpdate(Hox::IHostKernel* kernel, FUnknown* changed, int32 message);
  // Reacts to a change of a knob's bound parameter or quick-control destination.
  void onKnobUpdate(Hox::IHostKernel* kernel, FUnknown* changed);
  // New VexelOne names after its program changed; all names resent when any changed.
  void refreshVexelOneNames();
  // What projectClosing and projectRemoved share.
  void dropProject(Hox::IHostKernel* kernel, FUnknown* project, bool reportDeselection);
  // The name of the current target; empty without a channel or track.
  std::string currentTargetName();
  // Every knob is unbound and has an empty name.
  bool allKnobsBlank() const;
  // Clears noTarget_ unless every knob is unbound with an empty name.
  void updateNoTarget();
  // The keyboard's answer to the target name leaves the no-target state, whose line is blank:
  // the text line and the state flag go out again, ahead of the knob texts (a text line makes
  // the remote drop knob texts still queued). Nothing while the no-target state stays.
  void restoreTargetLine();
  Hox::IDependent* dependent() { return this; }

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

  // --- Target state (host thread) --------------------------------------------------------------
  MixerMonitor mixerMonitor_;
  std::array<KnobSlot, kKnobCount> knobs_;
  bool selectionChanged_ = false;
  bool targetChanged_ = false;
  bool trackingEnabled_ = true;
  bool noTarget_ = false;
  IPtr<Hox::IHostObject> currentChannel_;
  IPtr<Hox::IHostObject> currentTrack_;
  IPtr<Hox::IHostObject> previousChannel_;
  IPtr<Hox::IHostObject> targetInstrument_;
  THostWatch<Hox::IHostObject> slotObject_;  // the target's plug-in slot
  THostWatch<Hox::IHostValue> output_;       // a MIDI channel's "output"
  THostWatch<Hox::IHostValue> writeEnable_;  // the target's "writeEnable"
  THostWatch<Hox::IHostValue> bayProg_;      // a VexelOne's program
  THostWatch<Hox::IHostValue> nameValue_;    // the channel's "name"
  // The name the keyboard last reported, trailing spaces removed.
  std::string keyboardName_;
  uint32 dirtyKnobs_ = 0;
  bool knobsChanged_ = false;
};

}  // namespace Brennholt
