#include "base/ThreadEvent.h"

namespace Brennholt {

ThreadEvent::ThreadEvent(const char8* name) { create(name); }

bool ThreadEvent::create(const char8* name) {
  close();
  event_ = Platform::createEvent(name);
  return event_ != nullptr;
}

ThreadEvent::~ThreadEvent() { close(); }

void ThreadEvent::set() { Platform::setEvent(event_); }

void ThreadEvent::reset() { Platform::resetEvent(event_); }

void ThreadEvent::wait() { Platform::waitEvent(event_, -1); }

bool ThreadEvent::waitFor(int32 milliseconds) { return Platform::waitEvent(event_, milliseconds); }

void ThreadEvent::close() {
  Platform::closeEvent(event_);
  event_ = nullptr;
}

}  // namespace Brennholt
