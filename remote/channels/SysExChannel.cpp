#include "remote/channels/SysExChannel.h"

#include <string>

#include "remote/protocol/SysExBuffer.h"

namespace Brennholt {

SysExChannel::SysExChannel(const char8* name)
    : name_(name), lock_((std::string(name ? name : "") + "-Lock").c_str()) {}

SysExChannel::~SysExChannel() {
  for (int32 i = 0; i < messages_.count(); ++i) SysExBuffer::release(messages_[i]);
  messages_.removeAll();
}

bool SysExChannel::post(uint8* buffer) {
  if (buffer == nullptr) return false;
  lock();
  const bool added = append(buffer);
  unlock();
  if (!added) {
    SysExBuffer::release(buffer);
    return false;
  }
  signal();
  return true;
}

}  // namespace Brennholt
