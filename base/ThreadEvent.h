// A platform event: auto-reset, initially not signalled, with an optional name (a named event
// is shared with every other opened under the same name).
#pragma once

#include "core/Types.h"
#include "platform/Platform.h"

namespace Brennholt {

class ThreadEvent {
 public:
  explicit ThreadEvent(const char8* name = nullptr);
  ~ThreadEvent();
  ThreadEvent(const ThreadEvent&) = delete;
  ThreadEvent& operator=(const ThreadEvent&) = delete;

  // Creates the platform event anew, closing the one held before: auto-reset, not signalled,
  // with an optional name. True when the event exists. [owner thread]
  bool create(const char8* name = nullptr);
  // Signals the event: one wait returns, after which it is not signalled again. [any thread]
  void set();
  // Takes back a signal that no wait has used yet. [any thread]
  void reset();
  // Waits without a time limit. [any thread]
  void wait();
  // Waits at most milliseconds (negative: no limit); true when signalled. [any thread]
  bool waitFor(int32 milliseconds);
  // Closes the platform event; later calls do nothing. [owner thread]
  void close();
  bool isOpen() const { return event_ != nullptr; }

 private:
  Platform::EventHandle event_ = nullptr;
};

}  // namespace Brennholt
