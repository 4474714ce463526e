// Auto-reset events on POSIX. A name shares the event within the process, as a named event is
// shared on Windows; there is no sharing between processes.
#include <map>
#include <mutex>
#include <new>
#include <string>

#include "platform/Platform.h"
#include "platform/posix/PosixMonitor.h"

namespace Brennholt::Platform {

namespace {

struct PosixEvent {
  Monitor monitor;
  bool signalled = false;
  std::string name;
  int references = 1;  // guarded by the registry lock when named
};

struct NamedEvents {
  std::mutex lock;
  std::map<std::string, PosixEvent*> byName;
};

NamedEvents& namedEvents() {
  static NamedEvents registry;
  return registry;
}

}  // namespace

EventHandle createEvent(const char* name) {
  if (!name || !*name) return new (std::nothrow) PosixEvent;
  NamedEvents& registry = namedEvents();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.byName.find(name);
  if (found != registry.byName.end()) {
    ++found->second->references;
    return found->second;
  }
  auto* event = new (std::nothrow) PosixEvent;
  if (!event) return nullptr;
  event->name = name;
  registry.byName.emplace(event->name, event);
  return event;
}

bool setEvent(EventHandle handle) {
  if (!handle) return false;
  auto* event = static_cast<PosixEvent*>(handle);
  MonitorLock lock(event->monitor);
  event->signalled = true;
  // Every waiter re-checks; the first to see the signal takes it, the rest wait on.
  event->monitor.wakeAll();
  return true;
}

bool resetEvent(EventHandle handle) {
  if (!handle) return false;
  auto* event = static_cast<PosixEvent*>(handle);
  MonitorLock lock(event->monitor);
  event->signalled = false;
  return true;
}

bool waitEvent(EventHandle handle, int32 milliseconds) {
  if (!handle) return false;
  auto* event = static_cast<PosixEvent*>(handle);
  InterruptibleWait wait(event->monitor);
  bool taken = false;
  {
    MonitorLock lock(event->monitor);
    event->monitor.waitLocked([&] { return event->signalled || wait.endRequested(); },
                              milliseconds);
    // A thread that is being ended leaves the signal for another waiter.
    if (event->signalled && !wait.endRequested()) {
      event->signalled = false;
      taken = true;
    }
  }
  wait.endIfRequested();
  return taken;
}

void closeEvent(EventHandle handle) {
  if (!handle) return;
  auto* event = static_cast<PosixEvent*>(handle);
  if (!event->name.empty()) {
    NamedEvents& registry = namedEvents();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (--event->references > 0) return;
    registry.byName.erase(event->name);
  }
  delete event;
}

}  // namespace Brennholt::Platform
