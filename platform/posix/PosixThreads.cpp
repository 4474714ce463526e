// Threads on POSIX: pthreads with a Win32-like life: created suspended, resumed, waited for with
// a time limit, ended by force. A handle is a PosixThread shared by the thread and the handle
// owner; whichever lets go last frees it.
//
// The forced end is a request that this layer's waits watch for: terminateThread wakes the
// wait the thread is in, and the wait ends the thread with pthread_exit. Nothing is ended in
// the middle of foreign code, and no signal is involved.
//
// Lock order: a thread's waitLock before any monitor; a monitor's mutex is never held while
// taking a waitLock.
#include <limits.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/Platform.h"
#include "platform/posix/PosixMonitor.h"

namespace Brennholt::Platform {

namespace {

struct PosixThread {
  PosixThread() { pthread_mutex_init(&waitLock, nullptr); }
  ~PosixThread() { pthread_mutex_destroy(&waitLock); }

  Monitor monitor;  // guards the fields below up to priority
  ThreadRoutine routine = nullptr;
  void* argument = nullptr;
  pid_t tid = 0;
  bool started = false;  // the thread runs and knows its tid
  bool resumed = false;
  bool finished = false;
  bool exitedNormally = false;  // returned from the routine or called exitThread
  bool forced = false;
  uint32 exitCode = 0;
  uint32 forcedExitCode = 0;
  int32 priority = kPriorityNormal;

  std::atomic<bool> endRequested{false};
  // The thread is joinable: waitThread joins it once it has finished, so that no code of this
  // layer still runs when the caller goes on (and may unload the module this code lives in).
  // Whoever claims this first joins or detaches the thread.
  pthread_t id{};
  std::atomic<bool> reaped{false};
  pthread_mutex_t waitLock;        // guards waitingOn
  Monitor* waitingOn = nullptr;    // the monitor of the wait the thread is in
  std::atomic<int> references{2};  // the thread and the handle
};

thread_local PosixThread* currentThread = nullptr;

void release(PosixThread* thread) {
  if (thread->references.fetch_sub(1) == 1) delete thread;
}

// Marks the thread finished when the trampoline is left, also through pthread_exit.
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
  currentThread = thread;
  Finisher finisher(thread);
  {
    InterruptibleWait wait(thread->monitor);  // a suspended thread can be ended too
    {
      MonitorLock lock(thread->monitor);
      thread->tid = gettid();
      thread->started = true;
      thread->monitor.wakeAll();
      thread->monitor.waitLocked([&] { return thread->resumed || wait.endRequested(); }, -1);
    }
    wait.endIfRequested();
  }
  uint32 code = thread->routine(thread->argument);
  MonitorLock lock(thread->monitor);
  thread->exitCode = code;
  thread->exitedNormally = true;
  return nullptr;
}

// How long terminateThread lets a thread woken from one of our waits take to end. Ending takes
// no time of its own; the limit only guards against a destructor on its stack that blocks.
constexpr int64 kForcedEndWait = 5000;

// Offsets from the process's nice value for each platform priority.
bool niceOffset(int32 priority, int* offset) {
  switch (priority) {
    case kPriorityIdle:
      *offset = 19;
      return true;
    case kPriorityLowest:
      *offset = 10;
      return true;
    case kPriorityBelowNormal:
      *offset = 5;
      return true;
    case kPriorityNormal:
      *offset = 0;
      return true;
    case kPriorityAboveNormal:
      *offset = -5;
      return true;
    case kPriorityHighest:
      *offset = -10;
      return true;
    case kPriorityTimeCritical:
      *offset = -20;
      return true;
    default:
      return false;
  }
}

int processNice() {
  errno = 0;
  int value = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
  return errno == 0 ? value : 0;
}

}  // namespace

InterruptibleWait::InterruptibleWait(Monitor& monitor) : thread_(currentThread) {
  if (auto* thread = static_cast<PosixThread*>(thread_)) {
    pthread_mutex_lock(&thread->waitLock);
    thread->waitingOn = &monitor;
    pthread_mutex_unlock(&thread->waitLock);
  }
}

InterruptibleWait::~InterruptibleWait() { unregister(); }

void InterruptibleWait::unregister() {
  if (auto* thread = static_cast<PosixThread*>(thread_)) {
    pthread_mutex_lock(&thread->waitLock);
    thread->waitingOn = nullptr;
    pthread_mutex_unlock(&thread->waitLock);
  }
}

bool InterruptibleWait::endRequested() const {
  auto* thread = static_cast<PosixThread*>(thread_);
  return thread && thread->endRequested.load();
}

void InterruptibleWait::endIfRequested() {
  unregister();
  if (endRequested()) {
    thread_ = nullptr;
    pthread_exit(nullptr);
  }
}

ThreadHandle createThreadSuspended(ThreadRoutine routine, void* argument, uint32* threadId) {
  if (!routine) return nullptr;
  auto* thread = new (std::nothrow) PosixThread;
  if (!thread) return nullptr;
  thread->routine = routine;
  thread->argument = argument;
  // Joinable: the handle's owner joins it in waitThread or detaches it in closeThread.
  int failed = pthread_create(&thread->id, nullptr, trampoline, thread);
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
  int64 limit = milliseconds == kWaitForever ? -1 : static_cast<int64>(milliseconds);
  InterruptibleWait wait(thread->monitor);
  bool ended = false;
  {
    MonitorLock lock(thread->monitor);
    thread->monitor.waitLocked([&] { return thread->finished || wait.endRequested(); }, limit);
    ended = thread->finished;
  }
  wait.endIfRequested();
  // `finished` is set a few instructions before the thread really ends; joining waits for the
  // rest, so that the caller may unload the module that holds the thread's code.
  if (ended && !thread->reaped.exchange(true)) pthread_join(thread->id, nullptr);
  return ended;
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
  {
    MonitorLock lock(thread->monitor);
    if (thread->finished || thread->forced) return;
    thread->forced = true;
    thread->forcedExitCode = exitCode;
    thread->endRequested = true;
    thread->monitor.wakeAll();  // a suspended or sleeping thread waits here
  }
  pthread_mutex_lock(&thread->waitLock);
  Monitor* monitor = thread->waitingOn;
  if (monitor && monitor != &thread->monitor) {
    MonitorLock lock(*monitor);
    monitor->wakeAll();
  }
  pthread_mutex_unlock(&thread->waitLock);
  // Woken from one of our waits, the thread ends at once; one that is about to enter a wait ends
  // there. Let it get that far before the caller goes on: the caller may free what the thread
  // waits on (an event, the object it runs for) or unload the module holding its code right
  // away. A thread busy elsewhere for longer is not waited for beyond the limit.
  bool finished = false;
  {
    MonitorLock lock(thread->monitor);
    thread->monitor.waitLocked([thread] { return thread->finished; }, kForcedEndWait);
    finished = thread->finished;
  }
  if (finished && !thread->reaped.exchange(true)) pthread_join(thread->id, nullptr);
}

void closeThread(ThreadHandle handle) {
  if (!handle) return;
  auto* thread = static_cast<PosixThread*>(handle);
  if (!thread->reaped.exchange(true)) pthread_detach(thread->id);
  release(thread);
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
  int64 limit = milliseconds == kWaitForever ? -1 : static_cast<int64>(milliseconds);
  if (PosixThread* thread = currentThread) {
    // Our own threads sleep on their monitor, where a forced end can wake them.
    InterruptibleWait wait(thread->monitor);
    {
      MonitorLock lock(thread->monitor);
      thread->monitor.waitLocked([&] { return wait.endRequested(); }, limit);
    }
    wait.endIfRequested();
    return;
  }
  Monitor monitor;
  MonitorLock lock(monitor);
  monitor.waitLocked([] { return false; }, limit);
}

}  // namespace Brennholt::Platform
