// The module's message channels, shared by the keyboard service and the hardware remotes:
//
//   - the inbound channel "SysExReceiving_QENT": every remote posts keyboard messages to it,
//     the service's worker drains it into the service. One static object for as long as the
//     module is loaded.
//   - the outbound channel list: one channel per attached remote, named "SysExSending_QENT_%d"
//     with index + 1, drained by that remote's worker into the remote. A remote's slot is set
//     to null at detach and never reused, so indices and names only grow while the module is
//     loaded.
//
// The corridor: how one knob turn travels (queues in [brackets], threads on the right)
//
//   keyboard --MIDI--> host's remote link
//     QENT_HWRemote::onElementValue                         host thread
//       SysExBuilder::knobMove, ChannelRegistry::post
//       [1 inbound channel: SysExChannel "SysExReceiving_QENT"]
//   ---- hop 1: the channel's signal wakes the service's worker -------------------------------
//     ExtensionThread::run / drain (channel lock held)      inbound worker thread
//       CommonBase_HKA::deliver (takes "CommonBase_HKA")
//       [2 service queue: CommonBase_HKA::incoming_, incomingPending_]
//   ---- hop 2: back on the host thread at its next idle call -----------------------------------
//     CommonBase_HKA::onIdle -> processIncoming             host thread
//       QENT_HKA::handleMessage (ServiceDispatch::classify)
//       CommonBase_HKA::onKnobRelative (ServiceDispatch::readKnobTurn)
//       ParameterController::queueMove on the knob's leader
//       [3 controller: the ticks queued in the leader's ParameterController, knobsChanged_]
//     next CommonBase_HKA::onIdle -> applyKnobMoves
//       ParameterController::apply (beginEdit, setValue)    -> the host value is set
//       [4 the host's change notices, delivered at its own safe points, never inside our call]
//     CommonBase_HKA::update (IDependent, kChanged)         host thread
//       onKnobUpdate -> QENT_HKA::sendValue for every knob led by it (a knob whose pickup just
//       caught up is sent by applyKnobMoves itself)
//       SysExBuilder::frame, then formatValue (knobText, putText) writes the value text once
//       CommonBase_HKA::send -> ChannelRegistry::sendToAllRemotes: one copy per channel
//       [5 outbound channels: SysExChannel "SysExSending_QENT_<n>", one per remote]
//   ---- hop 3: each channel's signal wakes that remote's worker --------------------------------
//     ExtensionThread::run / drain (channel lock held)      outbound worker thread
//       QENT_HWRemote::deliver: SysExFilters::routeServiceMessage (takes "QENT_HWRemote")
//       [6 remote queue: QENT_HWRemote::outQueue_; a new text line prunes the knob texts]
//   ---- hop 4: back on the host thread ---------------------------------------------------------
//     QENT_HWRemote::onIdle -> sendQueued (kSendsPerIdle per call, "QENT_HWRemote" held)
//       HWRemoteBase link: linkSendSysEx                    host thread
//       [7 the host's MIDI output]  --MIDI--> keyboard
//
// Lock order everywhere: a channel's lock first, the receiver's own lock second (a remote's
// queue lock "QENT_HWRemote", the service's lock "CommonBase_HKA"). Workers deliver while
// holding the channel lock; so nobody may post while holding a receiver's lock. No code holds
// two channel locks at once, and the host thread takes a receiver's lock only on its own (the
// service to swap out its queue, a remote to send from its queue) and calls nothing that posts
// while holding it.
//
// The list itself is opened, closed and walked on the host thread only; workers reach their
// channel through their own pointer, never through the list.
#pragma once

#include <type_traits>

#include "remote/channels/ExtensionThread.h"
#include "remote/channels/ISender.h"
#include "remote/channels/SysExChannel.h"

namespace Brennholt {

class ChannelRegistry {
 public:
  static constexpr const char8* kInboundName = "SysExReceiving_QENT";
  static constexpr const char8* kOutboundPattern = "SysExSending_QENT_%d";

  // The inbound channel towards the service. [any thread]
  static SysExChannel& inbound();

  // Opens a channel at the end of the list and starts a worker that delivers it to `sender`.
  // Returns the new index and sets `worker`; -1 (nothing appended, `worker` null) when the
  // channel or its worker cannot be built. [host thread]
  static int32 openOutbound(ISender* sender, ExtensionThread*& worker);

  // Empties the slot at `index` and stops `worker` (stop request, signal, wait at most 30000 ms,
  // forced end); `worker` becomes null. The worker and the channel are deleted when it ended in
  // time; one ended by force may still be inside a delivery, so both are left alone (leaked)
  // rather than freed under it. Nothing happens without a worker, for an index outside the
  // list or for an empty slot. [host thread]
  static void closeOutbound(int32 index, ExtensionThread*& worker);

  // Length of the list, empty slots included. [host thread]
  static int32 outboundCount();
  // The channel at index; null for an empty slot or an index outside the list. [host thread]
  static SysExChannel* outbound(int32 index);

  // Posts a message to a channel (lock, append, unlock, signal); the channel owns it from then
  // on. An empty message is ignored; one that cannot be posted (no channel, no room) is dropped.
  // [any thread, no receiver lock held]
  static bool post(SysExChannel* channel, SysExPtr message);

  // Builds a fresh message for each open outbound channel with `build(context)` and posts it.
  // Empty slots are skipped. When a build answers an empty message no further channel gets one.
  // Returns the number of channels posted to. [host thread]
  using BuildMessage = SysExPtr (*)(void* context);
  static int32 sendToAllRemotes(BuildMessage build, void* context);

  // The same with any callable answering a new message, e.g.
  //   sendToAllRemotes([&] { return SysExBuilder::textLine(line); });
  template <class Build>
  static int32 sendToAllRemotes(Build&& build) {
    using Callable = std::remove_reference_t<Build>;
    return sendToAllRemotes([](void* context) { return (*static_cast<Callable*>(context))(); },
                            const_cast<void*>(static_cast<const void*>(&build)));
  }
};

}  // namespace Brennholt
