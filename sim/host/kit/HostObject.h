// Reference counting and interface query for the host's own objects that cross to the module.
//
// Each host object answers FUnknown and the interfaces it lists, starts at one reference and
// deletes itself at zero. The module may keep a reference past the point where the host has
// let go of its state, so objects that reach into the host hold a pointer the host clears
// (disconnect) when it shuts down; a disconnected object answers as a missing feature.
#pragma once

#include <atomic>

#include "core/FUnknown.h"

namespace QentSim {

template <class... Interfaces>
class HostObject : public Interfaces... {
 public:
  HostObject() = default;
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  // [host thread]
  Brennholt::tresult queryInterface(const Brennholt::TUID iid, void** object) noexcept override {
    if (object == nullptr) return Brennholt::kInvalidArgument;
    *object = nullptr;
    if (Brennholt::FUnknown::iid.matches(iid)) {
      *object = unknown();
    } else {
      (answer<Interfaces>(iid, object) || ...);
    }
    if (*object == nullptr) return Brennholt::kNoInterface;
    addRef();
    return Brennholt::kResultOk;
  }
  // [any thread]
  Brennholt::uint32 addRef() noexcept override { return ++references_; }
  // [any thread]
  Brennholt::uint32 release() noexcept override {
    Brennholt::uint32 left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // References held right now, by the host and the module together. [host thread]
  Brennholt::uint32 referenceCount() const noexcept { return references_.load(); }
  // The pointer queryInterface answers for FUnknown: what identifies the object whichever of
  // its interfaces a caller holds. [any thread]
  Brennholt::FUnknown* identity() noexcept { return unknown(); }

 protected:
  virtual ~HostObject() = default;

 private:
  template <class I>
  bool answer(const Brennholt::TUID iid, void** object) {
    if (!I::iid.matches(iid)) return false;
    *object = static_cast<I*>(this);
    return true;
  }
  template <class First, class... Rest>
  static Brennholt::FUnknown* firstOf(HostObject* self) {
    return static_cast<First*>(self);
  }
  Brennholt::FUnknown* unknown() { return firstOf<Interfaces...>(this); }

  std::atomic<Brennholt::uint32> references_{1};
};

}  // namespace QentSim
