// One named message channel: a list of complete F0..F7 messages, each with its length, the lock
// that guards it, an auto-reset event that wakes the channel's worker, and the worker's stop
// request.
//
// Producers post (lock, append, unlock, signal); the channel's one ExtensionThread drains it
// and hands each message on. Whoever takes a message out of the channel owns it.
//
// Lock order: this channel's lock is always taken before the receiver's own lock (a remote's
// queue lock "QENT_HWRemote", the service's "CommonBase_HKA"); the worker delivers while it
// holds the channel lock. Nobody may post to a channel while holding a receiver's lock.
#pragma once

#include <atomic>

#include "base/FLock.h"
#include "base/String.h"
#include "base/TArray.h"
#include "base/ThreadEvent.h"
#include "core/Types.h"
#include "remote/protocol/SysExBuffer.h"

namespace Brennholt {

class SysExChannel {
 public:
  // The lock is named "<name>-Lock". The event is private to this channel and this process:
  // a system-wide name would let two processes that load the module (two hosts, a host and the
  // reference host) wake, or swallow the wake-up of, each other's workers.
  explicit SysExChannel(const char8* name);
  // Frees the messages still held. The worker must have ended. [owner thread]
  ~SysExChannel();
  SysExChannel(const SysExChannel&) = delete;
  SysExChannel& operator=(const SysExChannel&) = delete;

  // The name the channel was built with (e.g. "SysExSending_QENT_3").
  const String& name() const { return name_; }

  // Takes the channel's lock (re-entrant), before any receiver's lock. [any thread]
  void lock() { lock_.lock(); }
  // Gives it back. [any thread, lock held]
  void unlock() { lock_.unlock(); }

  // Appends a message at the end; the channel owns it from then on. False when the list cannot
  // grow: the message is then dropped. An empty message is ignored (false). [any thread, lock held]
  bool append(SysExPtr message);
  // Number of messages waiting. [any thread, lock held]
  int32 count() const { return messages_.count() - front_; }
  // Takes the oldest message out of the channel and hands it over; empty when there is none.
  // [any thread, lock held]
  SysExPtr takeFront();

  // Wakes the worker. [any thread]
  void signal() { event_.set(); }
  // Takes back a signal the worker has not used. [worker thread, lock held]
  void resetEvent() { event_.reset(); }
  // Waits for a signal without a time limit. [worker thread]
  void waitForSignal() { event_.wait(); }

  // The stop request is written before the stopping thread signals. [any thread]
  void requestStop() { stopRequested_.store(1); }
  void clearStop() { stopRequested_.store(0); }
  bool isStopRequested() const { return stopRequested_.load() != 0; }

  // Posts one message: lock, append, unlock, signal. The channel owns the message from then on;
  // when it cannot be appended it is dropped here and false comes back. An empty message is
  // ignored (false). Must not be called while holding a receiver's lock. [any thread]
  bool post(SysExPtr message);

 private:
  std::atomic<int32> stopRequested_{0};
  String name_;
  ThreadEvent event_;
  FLock lock_;
  // A message as the list holds it: its buffer (owned by the channel) and its length.
  struct Entry {
    uint8* bytes;
    std::size_t size;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  // Entries before front_ have been taken already. Taking the front thus costs the same however
  // many wait behind it; the taken entries are dropped in one move once they are at least half
  // the list (or all of it), so a backlog drains in time linear in its length.
  TArray<Entry> messages_{10};
  int32 front_ = 0;
};

}  // namespace Brennholt
