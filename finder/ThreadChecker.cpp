#include "finder/ThreadChecker.h"

#include <cstdlib>
#include <new>

#include "platform/Platform.h"

namespace Brennholt::Hox {

std::unique_ptr<ThreadChecker> ThreadChecker::create() {
  return std::unique_ptr<ThreadChecker>(new (std::nothrow) PlatformThreadChecker());
}

PlatformThreadChecker::PlatformThreadChecker() : threadId_(Platform::currentThreadId()) {}

bool PlatformThreadChecker::test(const char* message, bool terminate) {
  if (Platform::currentThreadId() == threadId_) return true;
  if (message) Platform::debugOutput(message);
  // _Exit: a plug-in thread gone astray must not run our static destructors under us.
  if (terminate) std::_Exit(EXIT_FAILURE);
  return false;
}

}  // namespace Brennholt::Hox
