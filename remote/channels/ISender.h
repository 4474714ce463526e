// A hardware remote's side of its outbound channel: what the remote's worker hands each message
// from the service to, for the remote to send on to the keyboard.
#pragma once

#include "remote/protocol/SysExBuffer.h"

namespace Brennholt {

class ISender {
 public:
  // Hands over one complete F0..F7 message with its length (never empty); the remote owns it
  // from then on. The remote may take its queue lock here (channel lock first, queue lock
  // second) but must not post to, stop or delete the channel that delivers.
  // [worker thread, channel lock held]
  virtual void deliver(SysExPtr message) noexcept = 0;
  // A second notification that no channel sends; implementations do nothing. [any thread]
  virtual void notify() noexcept = 0;

 protected:
  ~ISender() = default;
};

}  // namespace Brennholt
