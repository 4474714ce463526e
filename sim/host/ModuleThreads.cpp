#include "sim/host/ModuleThreads.h"

#include <chrono>
#include <thread>

#include "platform/Platform.h"

namespace QentSim {

namespace {

constexpr auto kRestLimit = std::chrono::seconds(60);
// Between two readings while a worker is busy: short, the worker usually needs microseconds.
constexpr auto kPoll = std::chrono::microseconds(100);

}  // namespace

bool ModuleThreads::await() {
  using Brennholt::Platform::ThreadsAtRest;
  if (!known_ || !waiting_) return true;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    switch (Brennholt::Platform::otherThreadsAtRest()) {
      case ThreadsAtRest::kYes:
        return true;
      case ThreadsAtRest::kUnknown:
        known_ = false;
        return true;
      case ThreadsAtRest::kNo:
        break;
    }
    if (std::chrono::steady_clock::now() - start > kRestLimit) {
      failure_ = "the module's threads did not come to rest within 60 s";
      return false;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

}  // namespace QentSim
