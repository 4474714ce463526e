// One host object or value that the service holds and watches.
//
// The reference and the watch end together, the watch first: the host is never left reporting
// to the service about something the service let go of. The host keeps no reference to the
// dependent, so every watch is removed (release) before the dependent goes away; the destructor
// only drops the reference, it cannot reach the host any more.
//
// The kernel is passed to each operation that talks to the host (its dependency service is asked
// for per call and released at once); without one, or without the service, a watch neither
// starts nor needs ending. Host thread only; nothing here throws.
#pragma once

#include <utility>

#include "core/FUnknown.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

template <class T>
class THostWatch {
 public:
  THostWatch() = default;
  THostWatch(const THostWatch&) = delete;
  THostWatch& operator=(const THostWatch&) = delete;

  // Holds `object` (its reference moves here) in place of what was held, whose watch ends
  // first. [host thread]
  void hold(Hox::IHostKernel* kernel, IPtr<T> object) {
    if (object.get() == object_.get()) return;
    release(kernel);
    object_ = std::move(object);
  }

  // Starts watching the held object for `dependent`; true when it is watched (already, or the
  // host added it now). [host thread]
  bool watch(Hox::IHostKernel* kernel, Hox::IDependent* dependent) {
    if (!object_ || !dependent) return false;
    if (dependent_) return true;
    auto dependencies = Hox::getService<Hox::IDependencyService>(kernel);
    if (!dependencies || dependencies->addDependent(object_.get(), dependent) != kResultOk) {
      return false;
    }
    dependent_ = dependent;
    return true;
  }

  // Ends the watch and keeps the object. [host thread]
  void unwatch(Hox::IHostKernel* kernel) {
    if (!dependent_) return;
    Hox::IDependent* dependent = dependent_;
    dependent_ = nullptr;
    if (auto dependencies = Hox::getService<Hox::IDependencyService>(kernel)) {
      dependencies->removeDependent(object_.get(), dependent);
    }
  }

  // Ends the watch and drops the object. [host thread]
  void release(Hox::IHostKernel* kernel) {
    unwatch(kernel);
    object_.reset();
  }

  T* get() const { return object_.get(); }
  explicit operator bool() const { return object_.get() != nullptr; }
  // Whether `changed`, as the host reports it to a dependent, is the held object.
  bool is(const FUnknown* changed) const {
    return object_ && changed == static_cast<const FUnknown*>(object_.get());
  }

 private:
  IPtr<T> object_;
  Hox::IDependent* dependent_ = nullptr;  // set while watched
};

}  // namespace Brennholt
