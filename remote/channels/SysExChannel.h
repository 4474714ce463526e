// One named message channel: a list of complete F0..F7 buffers, the lock that guards it, an
// auto-reset event that wakes the channel's worker, and the worker's stop request.
//
// Producers post (lock, append, unlock, signal); the channel's one ExtensionThread drains it
// and hands each buffer on. Whoever removes a buffer from the channel owns it.
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

namespace Brennholt {

class SysExChannel {
 public:
  // The lock is named "<name>-Lock". The event is private to this channel and this process:
  // a system-wide name would let two processes that load the module (two hosts, a host and the
  // reference host) wake, or swallow the wake-up of, each other's workers.
  explicit SysExChannel(const char8* name);
  // Frees the buffers still held. The worker must have ended. [owner thread]
  ~SysExChannel();
  SysExChannel(const SysExChannel&) = delete;
  SysExChannel& operator=(const SysExChannel&) = delete;

  // The name the channel was built with (e.g. "SysExSending_QENT_3").
  const String& name() const { return name_; }

  // [any thread]
  void lock() { lock_.lock(); }
  void unlock() { lock_.unlock(); }

  // Appends at the end; false when the list cannot grow, and the caller keeps the buffer.
  // [any thread, lock held]
  bool append(uint8* buffer) { return messages_.add(buffer); }
  // [any thread, lock held]
  int32 count() const { return messages_.count(); }
  // The oldest buffer, or null when there is none; it stays in the channel. [lock held]
  uint8* front() { return count() > 0 ? messages_[0] : nullptr; }
  // Drops the oldest entry without freeing it (its new owner has it). [lock held]
  void removeFront() { messages_.removeAt(0); }

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

  // Posts one message: lock, append, unlock, signal. The channel owns the buffer from then on;
  // when it cannot be appended it is freed here and false comes back. A null buffer is ignored.
  // Must not be called while holding a receiver's lock. [any thread]
  bool post(uint8* buffer);

 private:
  std::atomic<int32> stopRequested_{0};
  String name_;
  ThreadEvent event_;
  FLock lock_;
  TArray<uint8*> messages_{10};
};

}  // namespace Brennholt
