// The one reference count of the module's and the finder's counted objects: 32 bits, changed
// atomically, 1 at construction (the creator's reference); the object deletes itself when the
// last reference goes.
//
// A counted class derives from TRefCounted<I1, I2, ...> in place of the interfaces themselves:
// it derives from each of them, in that order, so every interface keeps its place and its slot
// order, and its addRef and release answer for all of them. It adds a virtual destructor after
// the interfaces' operations, so release destroys the most derived object, whose destructor may
// be private. Each class answers queryInterface itself.
#pragma once

#include <atomic>

#include "core/FUnknown.h"

namespace Brennholt {

template <class... Interfaces>
class TRefCounted : public Interfaces... {
 public:
  TRefCounted(const TRefCounted&) = delete;
  TRefCounted& operator=(const TRefCounted&) = delete;

  // Adds a reference; returns the new count. [any thread]
  uint32 addRef() noexcept override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }

  // Drops a reference and deletes the object when it was the last; returns the new count.
  // [any thread]
  uint32 release() noexcept override {
    const uint32 left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  TRefCounted() = default;
  virtual ~TRefCounted() = default;

 private:
  std::atomic<uint32> count_{1};
};

}  // namespace Brennholt
