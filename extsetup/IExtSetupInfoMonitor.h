// Listener for the setup changes that the keyboard has to show. Implemented by the keyboard
// service; called by the setup controller, never by the model itself, so that each change is
// reported once by whoever made it.
#pragma once

#include "core/Types.h"

namespace Brennholt {

class IExtSetupInfoMonitor {
 public:
  // The label of `button` in the current memory changed (for every button after a reset or a
  // file load). [host thread]
  virtual void displayNameChanged(int32 button) noexcept = 0;
  // `memory` became the current memory. [host thread]
  virtual void memoryChanged(int32 memory) noexcept = 0;
  // The JogStop option became `flag`. [host thread]
  virtual void jogStopChanged(bool flag) noexcept = 0;

 protected:
  ~IExtSetupInfoMonitor() = default;
};

}  // namespace Brennholt
