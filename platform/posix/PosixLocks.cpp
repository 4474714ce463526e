// Re-entrant locks on POSIX: a recursive pthread mutex kept in the lock's own storage.
#include <pthread.h>

#include <new>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {
static_assert(sizeof(pthread_mutex_t) <= sizeof(CriticalSection::storage));
static_assert(alignof(pthread_mutex_t) <= alignof(CriticalSection));

pthread_mutex_t* mutexOf(CriticalSection& lock) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(lock.storage));
}
}  // namespace

void initLock(CriticalSection& lock) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(new (lock.storage) pthread_mutex_t, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void destroyLock(CriticalSection& lock) { pthread_mutex_destroy(mutexOf(lock)); }

void enterLock(CriticalSection& lock) { pthread_mutex_lock(mutexOf(lock)); }

void leaveLock(CriticalSection& lock) { pthread_mutex_unlock(mutexOf(lock)); }

bool tryEnterLock(CriticalSection& lock) { return pthread_mutex_trylock(mutexOf(lock)) == 0; }

}  // namespace Brennholt::Platform
