// Tells whether a call arrives on the thread that created the checker. Plug-ins must talk to
// their host on one thread; calls from another are refused and noted for a debugger.
#pragma once

#include <memory>

#include "core/Types.h"

namespace Brennholt::Hox {

class ThreadChecker {
 public:
  // True on the creating thread. Otherwise writes `message` (when given) to the debug output,
  // ends the process when `terminate` is set, and answers false.
  virtual bool test(const char* message, bool terminate) = 0;
  virtual ~ThreadChecker() = default;

  // The implementation for the platform this program runs on; null when memory runs short.
  static std::unique_ptr<ThreadChecker> create();
};

// Compares thread identifiers from the platform layer; its debug output never reaches the
// console.
class PlatformThreadChecker final : public ThreadChecker {
 public:
  PlatformThreadChecker();
  bool test(const char* message, bool terminate) override;

 private:
  uint32 threadId_;
};

}  // namespace Brennholt::Hox
