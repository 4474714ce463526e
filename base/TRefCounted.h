// The one reference count and the one interface query of the module's and the finder's counted
// objects. The count: 32 bits, changed atomically, 1 at construction (the creator's reference);
// the object deletes itself when the last reference goes.
//
// A counted class derives from TRefCounted<I1, I2, ...> in place of the interfaces themselves:
// it derives from each of them, in that order, so every interface keeps its place and its slot
// order, and its addRef, release and queryInterface answer for all of them. It adds a virtual
// destructor after the interfaces' operations, so release destroys the most derived object,
// whose destructor may be private.
//
// queryInterface answers FUnknown with the first listed interface (what identifies the object)
// and each listed interface with its own sub-object. An entry TExtending<I, E1, E2, ...> derives
// from I alone and also answers the interfaces I extends (E1, E2, ...) with I's sub-object, seen
// as that interface. Any other identifier: kNoInterface and a null answer. Every answer adds a
// reference. A class with an answer of its own overrides queryInterface.
#pragma once

#include <atomic>
#include <type_traits>

#include "core/FUnknown.h"

namespace Brennholt {

// One entry of a TRefCounted list: derive from I and answer I and the interfaces I extends.
template <class I, class... Extended>
struct TExtending {
  static_assert((std::is_base_of_v<Extended, I> && ...), "I must extend every listed interface");
};

namespace RefCountedDetail {

// The interface an entry derives from and the identifiers it answers.
template <class Entry>
struct Answers {
  using Base = Entry;
  template <class Self>
  static bool answer(Self* self, const TUID iid, void** object) {
    if (!Entry::iid.matches(iid)) return false;
    *object = static_cast<Entry*>(self);
    return true;
  }
};

template <class I, class... Extended>
struct Answers<TExtending<I, Extended...>> {
  using Base = I;
  template <class Self>
  static bool answer(Self* self, const TUID iid, void** object) {
    I* const base = static_cast<I*>(self);
    if (I::iid.matches(iid)) {
      *object = base;
      return true;
    }
    return ((Extended::iid.matches(iid) && (*object = static_cast<Extended*>(base), true)) || ...);
  }
};

template <class Entry>
using BaseOf = typename Answers<Entry>::Base;

template <class Entry, class... Rest>
struct FirstOf {
  using Type = BaseOf<Entry>;
};

}  // namespace RefCountedDetail

template <class... Entries>
class TRefCounted : public RefCountedDetail::BaseOf<Entries>... {
 public:
  TRefCounted(const TRefCounted&) = delete;
  TRefCounted& operator=(const TRefCounted&) = delete;

  // Answers FUnknown and the listed interfaces (above). [any thread]
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (FUnknown::iid.matches(iid)) {
      *object = static_cast<typename RefCountedDetail::FirstOf<Entries...>::Type*>(this);
    } else {
      (RefCountedDetail::Answers<Entries>::answer(this, iid, object) || ...);
    }
    if (!*object) return kNoInterface;
    addRef();
    return kResultOk;
  }

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
