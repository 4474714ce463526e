// The keyboard service's side of the inbound channel: what the inbound worker hands each message
// from the remotes to.
#pragma once

#include "remote/protocol/SysExBuffer.h"

namespace Brennholt {

class IReceiver {
 public:
  // Hands over one complete F0..F7 message with its length (never empty); the receiver owns it
  // from then on. The receiver may take its own lock here (channel lock first, receiver's lock
  // second) but must not post to, stop or delete the channel that delivers.
  // [worker thread, channel lock held]
  virtual void deliver(SysExPtr message) noexcept = 0;

 protected:
  ~IReceiver() = default;
};

}  // namespace Brennholt
