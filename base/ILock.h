// The lock interface of the base library.
#pragma once

namespace Brennholt {

class ILock {
 public:
  // Takes the lock, waiting as long as another thread holds it. [any thread]
  virtual void lock() = 0;
  // Lets go of one lock taken by this thread. [the thread that holds it]
  virtual void unlock() = 0;
  // Takes the lock only when that needs no waiting; true when taken. [any thread]
  virtual bool tryLock() = 0;

 protected:
  ~ILock() = default;
};

}  // namespace Brennholt
