#include "remote/channels/SysExChannel.h"

#include <string>

namespace Brennholt {

SysExChannel::SysExChannel(const char8* name)
    : name_(name), lock_((std::string(name ? name : "") + "-Lock").c_str()) {}

SysExChannel::~SysExChannel() {
  for (int32 i = 0; i < messages_.count(); ++i) SysExBuffer::release(messages_[i].bytes);
  messages_.removeAll();
}

bool SysExChannel::append(SysExPtr message) {
  if (!message) return false;
  const std::size_t size = message.size();
  if (!messages_.add(Entry{message.get(), size})) return false;
  message.release();
  return true;
}

SysExPtr SysExChannel::takeFront() {
  if (messages_.count() == 0) return {};
  const Entry front = messages_[0];
  messages_.removeAt(0);
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
