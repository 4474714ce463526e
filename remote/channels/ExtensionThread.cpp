#include "remote/channels/ExtensionThread.h"

#include <new>
#include <utility>

namespace Brennholt {

void ExtensionThread::bind(IReceiver* receiver, SysExChannel* channel) {
  receiver_ = receiver;
  sender_ = nullptr;
  channel_ = channel;
}

void ExtensionThread::bind(ISender* sender, SysExChannel* channel) {
  receiver_ = nullptr;
  sender_ = sender;
  channel_ = channel;
}

void ExtensionThread::handOver(SysExPtr message) {
  // Without a receiver the message is dropped here.
  if (receiver_) {
    receiver_->deliver(std::move(message));
  } else if (sender_) {
    sender_->deliver(std::move(message));
  }
}

void ExtensionThread::drain() {
  channel_->lock();
  while (channel_->count() > 0) {
    // A stop ends the pass at once; what is left stays in the channel for a later worker or
    // for the channel's destruction.
    if (channel_->isStopRequested()) {
      channel_->unlock();
      return;
    }
    SysExPtr message = channel_->takeFront();
    if (message) handOver(std::move(message));
  }
  // Producers append under the lock and signal after it, so resetting here cannot swallow
  // the wake-up for a message that is still waiting.
  channel_->resetEvent();
  channel_->unlock();
}

uint32 ExtensionThread::run() {
  if (!channel_) return 0;
  for (;;) {
    // Checked before every wait as well as after it: the stop signal may arrive during a pass
    // and be taken back by that pass's resetEvent.
    if (channel_->isStopRequested()) return 0;
    drain();
    if (channel_->isStopRequested()) return 0;
    channel_->waitForSignal();
  }
}

namespace {

template <class Target>
ExtensionThread* startBound(Target* target, SysExChannel* channel) {
  if (!channel) return nullptr;
  channel->clearStop();
  auto* worker = new (std::nothrow) ExtensionThread;
  if (!worker) return nullptr;
  worker->bind(target, channel);
  if (!worker->start()) {
    delete worker;
    return nullptr;
  }
  return worker;
}

}  // namespace

ExtensionThread* ExtensionThread::startWorker(IReceiver* receiver, SysExChannel* channel) {
  return startBound(receiver, channel);
}

ExtensionThread* ExtensionThread::startWorker(ISender* sender, SysExChannel* channel) {
  return startBound(sender, channel);
}

bool ExtensionThread::stopWorker(ExtensionThread*& worker, SysExChannel* channel) {
  if (!worker) return true;
  if (channel) {
    channel->requestStop();
    channel->signal();
  }
  ExtensionThread* stopping = worker;
  worker = nullptr;
  if (stopping->waitDone(kStopTimeout)) {
    delete stopping;
    return true;
  }
  // A worker stuck in a delivery: the forced end may take effect only later (on POSIX at its
  // next wait), so the object it runs on is left alone rather than freed under it.
  stopping->terminate();
  return false;
}

}  // namespace Brennholt
