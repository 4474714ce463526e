#include "hostaccess/hoverknob/HostTimer.h"

#include "sdk/host/HostKernel.h"
#include "sdk/host/HostServices.h"

namespace Brennholt {

bool HostTimer::currentTime(Hox::IHostKernel* kernel, uint32& now) {
  auto idle = Hox::getService<Hox::IIdleService>(kernel);
  if (!idle) return false;
  now = idle->currentTime();
  return true;
}

bool HostTimer::start(Hox::IHostKernel* kernel) {
  uint32 now = 0;
  if (!currentTime(kernel, now)) return false;
  start(now);
  return true;
}

void HostTimer::start(uint32 now) {
  start_ = now;
  running_ = true;
}

void HostTimer::stop() {
  start_ = 0;
  running_ = false;
}

bool HostTimer::expired(Hox::IHostKernel* kernel, uint32 ms, bool restart) {
  uint32 now = 0;
  if (!currentTime(kernel, now)) return false;
  return expired(now, ms, restart);
}

bool HostTimer::expired(uint32 now, uint32 ms, bool restart) {
  bool result = true;
  if (running_) {
    // Unsigned subtraction then a two's-complement reinterpretation: well defined, and a
    // wrapped counter still gives the right distance.
    const auto elapsed = static_cast<int32>(now - start_);
    result = elapsed < 0 || static_cast<uint32>(elapsed) >= ms;
  }
  if (result && restart) start(now);
  return result;
}

}  // namespace Brennholt
