#include "remote/channels/SysExChannel.h"

#include <cstdio>

namespace Brennholt {

namespace {

// "<name>-Lock" in a fixed buffer: a channel is built on paths that must not throw.
struct LockName {
  explicit LockName(const char8* name) {
    std::snprintf(text, sizeof(text), "%s-Lock", name ? name : "");
  }
  char8 text[80];
};

}  // namespace

SysExChannel::SysExChannel(const char8* name) : name_(name), lock_(LockName(name).text) {}

SysExChannel::~SysExChannel() {
  for (int32 i = front_; i < messages_.count(); ++i) SysExBuffer::release(messages_[i].bytes);
  messages_.removeAll();
  front_ = 0;
}

bool SysExChannel::append(SysExPtr message) {
  if (!message) return false;
  const std::size_t size = message.size();
  if (!messages_.add(Entry{message.get(), size})) return false;
  message.release();
  return true;
}

SysExPtr SysExChannel::takeFront() {
  if (front_ >= messages_.count()) return {};
  const Entry front = messages_[front_++];
  // Below this many taken entries a move costs less than remembering them.
  constexpr int32 kDropAtLeast = 32;
  if (front_ == messages_.count() || (front_ >= kDropAtLeast && 2 * front_ >= messages_.count())) {
    messages_.removeFirst(front_);
    front_ = 0;
  }
  return SysExPtr(front.bytes, front.size);
}

bool SysExChannel::post(SysExPtr message) {
  if (!message) return false;
  lock();
  const bool added = append(std::move(message));
  unlock();
  if (!added) return false;
  signal();
  return true;
}

}  // namespace Brennholt
