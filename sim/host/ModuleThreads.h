// The module's own threads (its channel workers) as the host thread waits for them. After every
// call into the module the host waits until all other threads of the process are blocked in a
// wait (Platform::otherThreadsAtRest), so that whatever the call handed to a worker has been
// done, and delivered, before the host makes its next call: the order of events no longer
// depends on how fast the workers are, and a scenario gives the same result on every machine.
//
// Threading: the host thread only.
#pragma once

#include <string>

namespace QentSim {

class ModuleThreads {
 public:
  // Waits until every other thread rests. Returns at once where the system cannot tell thread
  // states (known() then turns false). False, with failure() saying why, when they have not come
  // to rest within 60 s (a thread that never waits).
  bool await();
  // Whether the system tells thread states; true until a reading says it cannot.
  bool known() const { return known_; }
  // A host that does not wait, as a real one: for measuring what the module costs a host.
  void setWaiting(bool waiting) { waiting_ = waiting; }
  // Why the last await gave up; empty when none did since the last clearFailure.
  const std::string& failure() const { return failure_; }
  void clearFailure() { failure_.clear(); }

 private:
  bool known_ = true;
  bool waiting_ = true;
  std::string failure_;
};

}  // namespace QentSim
