// The worker that drains one SysExChannel and hands each message to its receiver: the service's
// IReceiver for the inbound channel, a remote's ISender for that remote's outbound channel.
#pragma once

#include "base/FThread.h"
#include "remote/channels/IReceiver.h"
#include "remote/channels/ISender.h"
#include "remote/channels/SysExChannel.h"

namespace Brennholt {

class ExtensionThread : public FThread {
 public:
  // How long a stop waits for the worker before ending it by force.
  static constexpr uint32 kStopTimeout = 30000;

  ExtensionThread() : FThread("FThread") {}

  // Sets where messages go and which channel is drained; before start, exactly one of the two
  // binds. The receiver and the channel must outlive the thread. [owner thread]
  void bind(IReceiver* receiver, SysExChannel* channel);
  void bind(ISender* sender, SysExChannel* channel);

  // The thread body: drains what is waiting, then on every signal delivers every message in
  // the channel, oldest first, while holding the channel lock. Ends when a stop is requested;
  // what it has not delivered by then stays in the channel. [the worker itself]
  uint32 run() override;

  // Clears the channel's stop request, creates a worker bound to `receiver` (or `sender`) and
  // the channel, and starts it. Null when it cannot be created or started. [owner thread]
  static ExtensionThread* startWorker(IReceiver* receiver, SysExChannel* channel);
  static ExtensionThread* startWorker(ISender* sender, SysExChannel* channel);

  // Requests stop on the channel, signals it and waits for the worker at most kStopTimeout ms;
  // `worker` becomes null. True when the worker ended in time (it is deleted) or there was
  // none. False when it had to be ended by force: the thread may still be inside a delivery
  // for a moment, so the worker object is not freed, and the caller must not free the channel
  // either. The channel is otherwise left as it is (messages included).
  // [owner thread; never from inside a delivery]
  static bool stopWorker(ExtensionThread*& worker, SysExChannel* channel);

 private:
  void drain();
  void handOver(SysExPtr message);

  IReceiver* receiver_ = nullptr;
  ISender* sender_ = nullptr;
  SysExChannel* channel_ = nullptr;
};

}  // namespace Brennholt
