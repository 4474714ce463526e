// Stands between one half of a plug-in and the other: the plug-in's connection point (source)
// is connected to this proxy, and the proxy forwards notifications to the peer (destination),
// but only on the thread that created it.
#pragma once

#include <memory>

#include "base/TRefCounted.h"
#include "finder/ThreadChecker.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class ConnectionProxy final : public TRefCounted<IConnectionPoint> {
 public:
  // Takes its own reference to `source`.
  explicit ConnectionProxy(IConnectionPoint* source);

  // Makes `other` the destination and connects the source to this proxy; on refusal the
  // proxy stays unconnected. kResultFalse when already connected.
  tresult connect(IConnectionPoint* other) noexcept override;
  // Disconnects the source from this proxy; `other` must be the current destination.
  tresult disconnect(IConnectionPoint* other) noexcept override;
  // Forwards to the destination on the creating thread; elsewhere refused with kResultFalse.
  tresult notify(IMessage* message) noexcept override;

  // The peer while connected, else null; no reference added.
  IConnectionPoint* destination() const { return destination_.get(); }

 private:
  ~ConnectionProxy() override = default;

  // Released in reverse order: destination, source, then the checker.
  std::unique_ptr<ThreadChecker> threadChecker_;
  IPtr<IConnectionPoint> source_;
  IPtr<IConnectionPoint> destination_;
};

}  // namespace Brennholt::Hox
