// Threads on POSIX: pthreads with a Win32-like life: created suspended, resumed, waited for with
// a time limit, ended by force. A handle is a PosixThread shared by the thread and the handle
// owner; whichever lets go last frees it.
#include <limits.h>
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/Platform.h"
#include "platform/posix/PosixMonitor.h"

namespace Brennholt::Platform {

namespace {

struct PosixThread {
  Monitor monitor;
  ThreadRoutine routine = nullptr;
  void* argument = nullptr;
  pthread_t thread{};
  pid_t tid = 0;
  bool started = false;   // the thread runs and knows its tid
  bool resumed = false;
  bool finished = false;
  bool exitedNormally = false;  // returned from the routine or called exitThread
  bool forced = false;
  uint32 exitCode = 0;
  uint32 forcedExitCode = 0;
  int32 priority = kPriorityNormal;
  std::atomic<int> references{2};  // the thread and the handle
};

thread_local PosixThread* currentThread = nullptr;

void release(PosixThread* thread) {
  if (thread->references.fetch_sub(1) == 1) delete thread;
}

// Marks the thread finished when the trampoline is left, also by pthread_exit or cancellation.
class Finisher {
 public:
  explicit Finisher(PosixThread* thread) : thread_(thread) {}
  ~Finisher() {
    {
      MonitorLock lock(thread_->monitor);
      if (!thread_->exitedNormally) thread_->exitCode = thread_->forcedExitCode;
      thread_->finished = true;
      thread_->monitor.wakeAll();
    }
    currentThread = nullptr;
    release(thread_);
  }
  Finisher(const Finisher&) = delete;
  Finisher& operator=(const Finisher&) = delete;

 private:
  PosixThread* thread_;
};

void* trampoline(void* argument) {
  auto* thread = static_cast<PosixThread*>(argument);
  // A forced end may only strike inside this layer's waits.
  pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
  currentThread = thread;
  Finisher finisher(thread);
  {
    MonitorLock lock(thread->monitor);
    thread->tid = gettid();
    thread->started = true;
    thread->monitor.wakeAll();
    CancelWindow window;  // a suspended thread can be ended too
    thread->monitor.waitLocked([thread] { return thread->resumed; }, -1);
  }
  uint32 code = thread->routine(thread->argument);
  MonitorLock lock(thread->monitor);
  thread->exitCode = code;
  thread->exitedNormally = true;
  return nullptr;
}

// Offsets from the process's nice value for each platform priority.
bool niceOffset(int32 priority, int* offset) {
  switch (priority) {
    case kPriorityIdle: *offset = 19; return true;
    case kPriorityLowest: *offset = 10; return true;
    case kPriorityBelowNormal: *offset = 5; return true;
    case kPriorityNormal: *offset = 0; return true;
    case kPriorityAboveNormal: *offset = -5; return true;
    case kPriorityHighest: *offset = -10; return true;
    case kPriorityTimeCritical: *offset = -20; return true;
    default: return false;
  }
}

int processNice() {
  errno = 0;
  int value = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  return errno == 0 ? value : 0;
}

}  // namespace

ThreadHandle createThreadSuspended(ThreadRoutine routine, void* argument, uint32* threadId) {
  if (!routine) return nullptr;
  auto* thread = new (std::nothrow) PosixThread;
  if (!thread) return nullptr;
  thread->routine = routine;
  thread->argument = argument;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  int failed = pthread_create(&thread->thread, &attributes, trampoline, thread);
  pthread_attr_destroy(&attributes);
  if (failed) {
    delete thread;
    return nullptr;
  }
  {
    // Wait until it knows its id, so that priorities can be applied before it is resumed.
    MonitorLock lock(thread->monitor);
    thread->monitor.waitLocked([thread] { return thread->started; }, -1);
  }
  if (threadId) *threadId = static_cast<uint32>(thread->tid);
  return thread;
}

bool resumeThread(ThreadHandle handle) {
  if (!handle) return false;
  auto* thread = static_cast<PosixThread*>(handle);
  MonitorLock lock(thread->monitor);
  thread->resumed = true;
  thread->monitor.wakeAll();
  return true;
}

bool setThreadPriority(ThreadHandle handle, int32 priority) {
  int offset = 0;
  if (!handle || !niceOffset(priority, &offset)) return false;
  auto* thread = static_cast<PosixThread*>(handle);
  MonitorLock lock(thread->monitor);
  if (thread->finished) return false;
  int nice = processNice() + offset;
  nice = nice < -20 ? -20 : (nice > 19 ? 19 : nice);
  // Per-thread nice values: raising priority needs privileges, and a refusal answers false.
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread->tid), nice) != 0) return false;
  thread->priority = priority;
  return true;
}

int32 getThreadPriority(ThreadHandle handle) {
  if (!handle) return kPriorityNormal;
  auto* thread = static_cast<PosixThread*>(handle);
  MonitorLock lock(thread->monitor);
  return thread->priority;
}

bool isNormalPriorityClass() { return processNice() == 0; }

bool waitThread(ThreadHandle handle, uint32 milliseconds) {
  if (!handle) return false;
  auto* thread = static_cast<PosixThread*>(handle);
  MonitorLock lock(thread->monitor);
  CancelWindow window;
  int64 limit = milliseconds == kWaitForever ? -1 : static_cast<int64>(milliseconds);
  return thread->monitor.waitLocked([thread] { return thread->finished; }, limit);
}

bool threadExitCode(ThreadHandle handle, uint32* exitCode) {
  if (!handle) return false;
  auto* thread = static_cast<PosixThread*>(handle);
  MonitorLock lock(thread->monitor);
  if (!thread->finished) return false;
  if (exitCode) *exitCode = thread->exitCode;
  return true;
}

void terminateThread(ThreadHandle handle, uint32 exitCode) {
  if (!handle) return;
  auto* thread = static_cast<PosixThread*>(handle);
  // Holding the monitor keeps the thread from finishing (and its pthread_t from going stale)
  // between the check and the cancel.
  MonitorLock lock(thread->monitor);
  if (thread->finished || thread->forced) return;
  thread->forced = true;
  thread->forcedExitCode = exitCode;
  pthread_cancel(thread->thread);
}

void closeThread(ThreadHandle handle) {
  if (handle) release(static_cast<PosixThread*>(handle));
}

void exitThread(uint32 exitCode) {
  if (PosixThread* thread = currentThread) {
    MonitorLock lock(thread->monitor);
    thread->exitCode = exitCode;
    thread->exitedNormally = true;
  }
  pthread_exit(nullptr);
}

uint32 currentThreadId() { return static_cast<uint32>(gettid()); }

bool comInitialize() { return true; }

void comUninitialize() {}

void* threadLocalValue(uint32 slot) {
  if (slot >= PTHREAD_KEYS_MAX) return nullptr;
  return pthread_getspecific(static_cast<pthread_key_t>(slot));
}

void sleepMilliseconds(uint32 milliseconds) {
  timespec rest{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>((milliseconds % 1000) * 1000000)};
  CancelWindow window;
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace Brennholt::Platform
