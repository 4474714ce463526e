// A mutex with a condition on the monotonic clock, and the guards that keep waits on it safe
// when the waiting thread is cancelled (the forced end of a thread, see terminateThread).
#pragma once

#include <errno.h>
#include <pthread.h>
#include <time.h>

#include "base/Types.h"

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
  // True when ready() held in time. A cancellation point when cancellation is enabled.
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

// Holds a monitor's mutex for a scope. Its destructor also runs when a cancellation unwinds
// the thread out of a wait, which hands the mutex back re-acquired.
class MonitorLock {
 public:
  explicit MonitorLock(Monitor& monitor) : mutex_(&monitor.mutex) { pthread_mutex_lock(mutex_); }
  ~MonitorLock() { pthread_mutex_unlock(mutex_); }
  MonitorLock(const MonitorLock&) = delete;
  MonitorLock& operator=(const MonitorLock&) = delete;

 private:
  pthread_mutex_t* mutex_;
};

// Lets a pending forced end take effect for the scope of one wait of this layer; our threads
// otherwise run with cancellation disabled.
class CancelWindow {
 public:
  CancelWindow() {
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &previous_);
    pthread_testcancel();
  }
  ~CancelWindow() { pthread_setcancelstate(previous_, nullptr); }
  CancelWindow(const CancelWindow&) = delete;
  CancelWindow& operator=(const CancelWindow&) = delete;

 private:
  int previous_ = PTHREAD_CANCEL_ENABLE;
};

}  // namespace Brennholt::Platform
