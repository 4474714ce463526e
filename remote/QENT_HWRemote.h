// The hardware remote of one QENT6/QENT8 keyboard: the host's endpoint for the keyboard's remote
// port. It registers the 55 elements and the default bindings, turns knob, function-key and
// SF-bank events into messages for the keyboard service, forwards the keyboard's own SysEx to
// the service after filtering, and sends the service's messages to the keyboard.
//
// Threads: every IHWRemote operation arrives on the host thread; ISender::deliver arrives on
// this remote's worker thread with the outbound channel's lock held. The worker never calls the
// host: a lamp it is asked to light is lit by the next onIdle.
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
  tresult activate() noexcept override;
  // Sends everything still queued, oldest first, then drops whatever the service sends later.
  // [host thread]
  tresult deactivate() noexcept override;
  tresult onElementValue(int32 element, int32 value) noexcept override;
  tresult onSysEx(Hox::SysExHandle message) noexcept override;
  tresult onElementFeedback(const Hox::ElementRecord* record, int32 element,
                            int32 value) noexcept override;
  tresult onPageChanged(const char* pageName) noexcept override;
  tresult onIdle() noexcept override;

  // ISender: takes a message the service posted to this remote. [worker thread, channel lock]
  void deliver(SysExPtr message) noexcept override;
  void notify() noexcept override {}

  // Index of this remote's outbound channel in the module's list; -1 before attach.
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
  void setLamp(int32 element, int32 value);
  // Sends and frees up to `limit` queued messages, oldest first. [host thread, queueLock_ held]
  void sendQueued(int32 limit);
  void sayHello();
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
