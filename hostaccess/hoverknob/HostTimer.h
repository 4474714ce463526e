// A millisecond timer on the host's 32-bit clock (IIdleService::currentTime).
//
// The clock wraps about every 49.7 days, so elapsed time is the signed difference now - start:
// a timer counts as expired when that difference reaches the period or is negative (the clock
// wrapped or went back), so a wrap can end a period early but never holds one forever.
//
// A host time of exactly 0 is a valid start time, so "running" is kept beside the start time
// instead of being encoded as start 0. A stopped timer counts as expired whenever the current
// time is known: "run every N ms" users (expired with restart) fire at once and then keep the
// period. Callers that mean "armed and run out" ask running() first.
//
// Without a current time (null kernel, or no idle service) the operations that ask the kernel
// neither start nor expire a timer, which turns timed features into silent no-ops.
//
// Plain value type; not thread-safe. Used on the host thread.
#pragma once

#include "core/Types.h"

namespace Brennholt {

namespace Hox {
class IHostKernel;
}

class HostTimer {
 public:
  // The host's current time, through the kernel's idle service. False (now untouched) when the
  // kernel is null or has no idle service. [host thread]
  static bool currentTime(Hox::IHostKernel* kernel, uint32& now);

  // Starts (or restarts) at the current time; stays as it was when no time is available.
  // Answers whether it started. [host thread]
  bool start(Hox::IHostKernel* kernel);
  // Starts (or restarts) at the given time.
  void start(uint32 now);
  // Stops the timer; a stopped timer counts as expired.
  void stop();
  bool running() const { return running_; }

  // Whether `ms` or more have passed since start (or the clock wrapped, or the timer is
  // stopped); with `restart` the timer then starts again at the current time. False, and
  // nothing changes, when no time is available. [host thread]
  bool expired(Hox::IHostKernel* kernel, uint32 ms, bool restart = false);
  // The same against a given current time.
  bool expired(uint32 now, uint32 ms, bool restart = false);

  // The start time; meaningful only while running.
  uint32 startTime() const { return start_; }

 private:
  uint32 start_ = 0;
  bool running_ = false;
};

}  // namespace Brennholt
