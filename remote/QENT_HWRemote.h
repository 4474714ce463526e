// The hardware remote of one QENT6/QENT8 keyboard: the host's endpoint for the keyboard's remote
// port. It registers the 55 elements and the default bindings, turns knob, function-key and
// SF-bank events into messages for the keyboard service, forwards the keyboard's own SysEx to
// the service after filtering, and sends the service's messages to the keyboard.
//
// Threads: every IHWRemote operation arrives on the host thread; ISender::deliver arrives on
// this remote's worker thread with the outbound channel's lock held. The worker never calls the
// host: a lamp it is asked to light is lit by the next onIdle.
//
// The host kernel: read from the process-wide `hostKernel` only by the operations the host calls
// (attach, onElementValue, onIdle) and passed down to the hover-knob manager.
//
// Locks: the channel lock (held by the worker around deliver) before queueLock_, never the
// reverse; the host thread holds queueLock_ only while sending queued messages, and never posts
// to a channel while holding it.
#pragma once

#include <atomic>

#include "base/FLock.h"
#include "base/TArray.h"
#include "hostaccess/hoverknob/CHoverKnobManager.h"
#include "remote/HWRemoteBase.h"
#include "remote/channels/ExtensionThread.h"
#include "remote/channels/ISender.h"
#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

class QENT_HWRemote : public HWRemoteBase, public ISender {
 public:
  // The class identifier the factory offers the remote under and the detector has the host's
  // device registry create (16 bytes in memory order).
  static constexpr FUID kClassId = FUID::fromMemoryHex("75F1DCF830A7E54BA1DE1553899D2504");
  // Most messages sent from the queue per idle call, so a burst of display updates is spread
  // over several idle calls instead of blocking the host's thread.
  static constexpr int32 kSendsPerIdle = 4;
  // From this many waiting messages on (more than a whole display's refresh, 16 idle calls
  // behind), a message for a display field that already waits takes the waiting one's place
  // instead of queueing behind it. Below it every message waits its turn.
  static constexpr int32 kReplaceFrom = 64;
  // Most messages the queue holds. Past kReplaceFrom a display field (an address of fixed
  // length) never waits twice, so the display's fields alone stay well below this; only messages
  // of the two addresses without a fixed length could reach it, and one that finds the queue
  // full is dropped.
  static constexpr int32 kMaxQueued = 256;

  // Reference count 1, owned by the caller; inactive and without a link until the host attaches
  // and activates it. [host thread]
  QENT_HWRemote();
  // Stops the worker first when the host released the remote without detaching it, so no
  // delivery can reach a freed object; then frees what is still queued.
  ~QENT_HWRemote() override;

  // Without the host kernel (the service has not initialized yet): false, and nothing is
  // registered or opened. Otherwise configures the link, registers the elements, declares the
  // bindings when the link has a "Mixer" target, opens this remote's outbound channel with its
  // worker and sets the module's remote-ready flag. A second attach before detach answers false.
  // [host thread]
  bool attach(Hox::IRemoteHostLink* hostLink) noexcept override;
  // Stops the worker, removes the outbound channel (its slot stays, empty) and lets go of the
  // link. [host thread]
  bool detach() noexcept override;
  // Lets the remote talk to the keyboard, then the link's own activation. The hello is tried on
  // the first idle call only, so it goes out when the remote is active by then. [host thread]
  tresult activate() noexcept override;
  // Sends everything still queued, oldest first, then drops whatever the service sends later.
  // [host thread]
  tresult deactivate() noexcept override;
  // A control moved: a knob's relative value (0..127), an F-key press and an SF-bank button go to
  // the service as messages; the dial, "Jog", "Play", "Record" and "Stop" pass the hover-knob
  // manager, which may keep them; everything else goes to the link's default handling.
  // [host thread]
  tresult onElementValue(int32 element, int32 value) noexcept override;
  // A SysEx from the keyboard: the first F0..F7 frame of its first 512 bytes goes to the service
  // when the inbound filter lets it through, and "remote mode entered" (56 00 01) also sets every
  // lamp again. Only a message without bytes goes to the link's default handling; kResultFalse
  // before attach. [host thread]
  tresult onSysEx(Hox::SysExHandle message) noexcept override;
  // The host sets a lamp: remembered for "Play" and "Record", passed to the link. Nothing for a
  // null record. [host thread]
  tresult onElementFeedback(const Hox::ElementRecord* record, int32 element,
                            int32 value) noexcept override;
  // A page of the hover-knob manager's modes became active: the manager switches to that mode
  // and the dial's lamps follow; other pages change nothing. [host thread]
  tresult onPageChanged(const char* pageName) noexcept override;
  // Lights a bank lamp the service asked for, says hello once (only when active), sends at most
  // kSendsPerIdle queued messages, then gives the hover-knob manager its time and performs one
  // of its outputs. [host thread]
  tresult onIdle() noexcept override;

  // ISender: takes a message the service posted to this remote: keeps the bank and the jog
  // option, queues what is for the keyboard, drops the rest and everything while inactive.
  // Once kReplaceFrom messages wait, a message for a display field that already waits takes the
  // waiting one's place (the keyboard would show only the newer text), so a service that sends
  // faster than the queue drains cannot make it grow without limit.
  // [worker thread, channel lock held]
  void deliver(SysExPtr message) noexcept override;
  // Nothing: no channel sends it. [any thread]
  void notify() noexcept override {}

  // Index of this remote's outbound channel in the module's list; -1 before attach or when the
  // channel could not be opened. [host thread]
  int32 channelIndex() const { return channelIndex_; }

 private:
  // A message waiting for the keyboard: its buffer (owned by the queue), the bytes that go out
  // and its address, decoded once when it arrived.
  struct Queued {
    uint8* bytes;
    int32 length;
    SysExAddress address;
    friend bool operator==(const Queued&, const Queued&) = default;
  };

  // Sets the lamps from what the remote knows: unless knobOnly, "Play", "Record" and the SF
  // bank; always the dial's "Jog" and "Lock" lamps. [host thread]
  void refreshLamps(bool knobOnly);
  // Sends a lamp value for an element of the table; nothing for an index outside it.
  // [host thread]
  void setLamp(int32 element, int32 value);
  // Sends and frees up to `limit` queued messages, oldest first. [host thread, queueLock_ held]
  void sendQueued(int32 limit);
  // The hello to the keyboard (56 01) and to the service. [host thread]
  void sayHello();
  // Performs the hover-knob manager's oldest output: shows a mode name or hands a value to the
  // link's default handling. [host thread]
  void performKnobOutput();

  ExtensionThread* worker_ = nullptr;
  int32 channelIndex_ = -1;
  bool helloPending_ = true;
  CHoverKnobManager knobManager_;
  bool playLamp_ = false;
  bool recordLamp_ = false;
  std::atomic<int32> sfBank_{0};
  std::atomic<bool> bankLampPending_{false};  // set by the worker, lit on the host thread
  TArray<Queued> outQueue_{10};               // guarded by queueLock_
  FLock queueLock_{"QENT_HWRemote"};
  std::atomic<bool> inactive_{true};
};

}  // namespace Brennholt
