// Worker threads of the base library. A subclass puts the thread's work in run; its owner
// starts it once, asks it to finish by its own means (an event or a flag), waits with waitDone
// and ends it with terminate when it did not finish in time, then destroys it.
#pragma once

#include "base/FLock.h"
#include "base/String.h"
#include "base/TArray.h"
#include "core/Types.h"
#include "platform/Platform.h"

namespace Brennholt {

class FThread {
 public:
  explicit FThread(const char8* name);
  // Closes the handle when there is one. The thread must have ended by then: it runs on this
  // object.
  virtual ~FThread();
  FThread(const FThread&) = delete;
  FThread& operator=(const FThread&) = delete;

  // Stores the level (0 idle ... 5 time critical). Before the thread exists: true. Outside
  // 0..5: false. Otherwise whether the platform accepted the priority that the level maps to
  // in the process's current priority class. [owner thread]
  virtual bool setPriority(int32 level);
  // Does nothing; a hook for subclasses that no thread here overrides.
  virtual void prepare() {}
  // The thread's work; its result is the thread's exit code. [the thread itself]
  virtual uint32 run() { return 0; }

  // Creates the thread suspended, applies the stored priority and lets it run; false when it
  // could not be created or has been started before. [owner thread]
  bool start();
  // Waits for the thread to end; true when it ended within the time, and at once when it
  // never started. [owner thread]
  bool waitDone(uint32 milliseconds);
  // Ends the thread by force with exit code 0 and closes the handle. [owner thread]
  void terminate();

  int32 priority() const { return priority_; }
  bool started() const { return started_; }
  uint32 threadId() const { return threadId_; }
  const String& name() const { return name_; }
  // The platform priority last applied to the thread; normal when there is no thread.
  int32 platformPriority() const;
  // The exit code once the thread has ended; false while it runs or when there is no handle.
  bool exitCode(uint32* code) const;

 private:
  static uint32 startRoutine(void* argument);

  int32 priority_ = 2;
  bool started_ = false;
  Platform::ThreadHandle handle_ = nullptr;
  uint32 threadId_ = 0;
  String name_;
};

// The process-wide lock named "FLock", created when the module loads. It guards the list of
// thread-local slots and is held only for a thread's clean-up of those slots.
FLock& processLock();

// Thread-local slot indices whose values (reference-counted objects) every FThread releases
// as it ends. Created empty on first use; touch it only under processLock.
TArray<uint32>& threadLocalSlots();

}  // namespace Brennholt
