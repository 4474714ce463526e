// A mutex with a condition on the monotonic clock, and the guards of the waits on it.
#pragma once

#include <errno.h>
#include <pthread.h>
#include <time.h>

#include "core/Types.h"

namespace Brennholt::Platform {

class Monitor {
 public:
  Monitor() {
    pthread_mutex_init(&mutex, nullptr);
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&condition, &attributes);
    pthread_condattr_destroy(&attributes);
  }
  ~Monitor() {
    pthread_cond_destroy(&condition);
    pthread_mutex_destroy(&mutex);
  }
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  void wakeAll() { pthread_cond_broadcast(&condition); }

  // Waits, with the mutex held, until ready() holds; a negative time waits without limit.
  // True when ready() held in time.
  template <class Ready>
  bool waitLocked(Ready ready, int64 milliseconds) {
    if (milliseconds < 0) {
      while (!ready()) pthread_cond_wait(&condition, &mutex);
      return true;
    }
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
    deadline.tv_nsec += static_cast<long>((milliseconds % 1000) * 1000000);
    if (deadline.tv_nsec >= 1000000000) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000;
    }
    while (!ready()) {
      if (pthread_cond_timedwait(&condition, &mutex, &deadline) == ETIMEDOUT) return ready();
    }
    return true;
  }

  pthread_mutex_t mutex;
  pthread_cond_t condition;
};

// Holds a monitor's mutex for a scope.
class MonitorLock {
 public:
  explicit MonitorLock(Monitor& monitor) : mutex_(&monitor.mutex) { pthread_mutex_lock(mutex_); }
  ~MonitorLock() { pthread_mutex_unlock(mutex_); }
  MonitorLock(const MonitorLock&) = delete;
  MonitorLock& operator=(const MonitorLock&) = delete;

 private:
  pthread_mutex_t* mutex_;
};

// Lets terminateThread wake the calling thread while it waits on a monitor, and ends the thread
// once the wait is over when that was asked for (a no-op for threads this layer did not create).
// Construct it before taking the monitor's mutex; call endIfRequested after letting it go.
class InterruptibleWait {
 public:
  explicit InterruptibleWait(Monitor& monitor);
  ~InterruptibleWait();
  InterruptibleWait(const InterruptibleWait&) = delete;
  InterruptibleWait& operator=(const InterruptibleWait&) = delete;

  // True when the thread has been asked to end; part of every wait's condition.
  bool endRequested() const;
  // Drops the registration and, when asked to, ends the thread (pthread_exit). No mutex held.
  void endIfRequested();

 private:
  void unregister();
  void* thread_;
};

}  // namespace Brennholt::Platform
