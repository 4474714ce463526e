// The interface base of everything that crosses a module boundary.
//
// Interfaces are classes of pure virtual operations: no virtual destructor, int32 result codes,
// nothing thrown across. Slot order is the declaration order and is part of the binary contract.
#pragma once

#include "core/FUID.h"
#include "core/ResultCodes.h"

namespace Brennholt {

class FUnknown {
 public:
  // Stores the object as the interface named by iid and adds a reference; otherwise stores null
  // and answers kNoInterface. [any thread the object allows]
  virtual tresult queryInterface(const TUID iid, void** object) noexcept = 0;
  // Adds a reference; returns the new count.
  virtual uint32 addRef() noexcept = 0;
  // Drops a reference; the object destroys itself at zero. Returns the new count.
  virtual uint32 release() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("0000000000000000C000000000000046");

 protected:
  ~FUnknown() = default;
};

// Owning pointer to a reference-counted interface: releases what it holds.
template <class I>
class IPtr {
 public:
  IPtr() = default;
  // Takes over a reference the caller already holds (e.g. from queryInterface or a create call).
  static IPtr adopt(I* object) {
    IPtr p;
    p.ptr_ = object;
    return p;
  }
  // Adds its own reference.
  static IPtr share(I* object) {
    if (object) object->addRef();
    return adopt(object);
  }
  IPtr(const IPtr& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->addRef();
  }
  IPtr(IPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  IPtr& operator=(IPtr other) noexcept {
    I* old = ptr_;
    ptr_ = other.ptr_;
    other.ptr_ = old;
    return *this;
  }
  ~IPtr() { reset(); }

  void reset() {
    if (ptr_) {
      I* old = ptr_;
      ptr_ = nullptr;
      old->release();
    }
  }
  I* get() const { return ptr_; }
  I* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  I** put() {
    reset();
    return &ptr_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }

 private:
  I* ptr_ = nullptr;
};

// Queries `object` for interface Q; empty when it does not answer.
template <class Q, class I>
IPtr<Q> queryInterface(I* object) {
  IPtr<Q> result;
  if (object) {
    if (object->queryInterface(Q::iid.bytes(), result.putVoid()) != kResultOk) result.reset();
  }
  return result;
}

}  // namespace Brennholt
