// The base library's lock: one platform critical section, re-entrant for the thread that holds
// it, and a scoped guard for it.
#pragma once

#include "base/ILock.h"
#include "core/Types.h"
#include "platform/Platform.h"

namespace Brennholt {

class FLock : public ILock {
 public:
  // The name only documents the lock at its place of construction; it is not kept.
  explicit FLock(const char8* name = "FLock");
  virtual ~FLock();
  FLock(const FLock&) = delete;
  FLock& operator=(const FLock&) = delete;

  void lock() override;
  void unlock() override;
  bool tryLock() override;

 private:
  Platform::CriticalSection section_;
};

// Holds an ILock for a scope: locks in the constructor, unlocks in the destructor. A null lock
// is allowed and guards nothing.
class FGuard {
 public:
  explicit FGuard(ILock* lock) : lock_(lock) {
    if (lock_) lock_->lock();
  }
  ~FGuard() {
    if (lock_) lock_->unlock();
  }
  FGuard(const FGuard&) = delete;
  FGuard& operator=(const FGuard&) = delete;

 private:
  ILock* lock_;
};

}  // namespace Brennholt
