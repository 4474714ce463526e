// Re-entrant locks on Windows: a critical section kept in the lock's own storage.
#include <windows.h>

#include <new>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {
static_assert(sizeof(CRITICAL_SECTION) <= sizeof(CriticalSection::storage));
static_assert(alignof(CRITICAL_SECTION) <= alignof(CriticalSection));

CRITICAL_SECTION* sectionOf(CriticalSection& lock) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(lock.storage));
}
}  // namespace

void initLock(CriticalSection& lock) {
  InitializeCriticalSection(new (lock.storage) CRITICAL_SECTION);
}

void destroyLock(CriticalSection& lock) { DeleteCriticalSection(sectionOf(lock)); }

void enterLock(CriticalSection& lock) { EnterCriticalSection(sectionOf(lock)); }

void leaveLock(CriticalSection& lock) { LeaveCriticalSection(sectionOf(lock)); }

bool tryEnterLock(CriticalSection& lock) { return TryEnterCriticalSection(sectionOf(lock)) != 0; }

}  // namespace Brennholt::Platform
