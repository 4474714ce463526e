// What every host object the module holds reaches the running host through. Each run makes its
// own and cuts it when the run is destroyed (stop, kill, a failed start): from then on `state` is
// null and an object the module still holds answers as a missing feature. While it is whole, the
// state has a run. The host's rooms name it without knowing the
// run's state; their implementations include sim/host/HostState.h to use it.
// [host thread]
#pragma once

#include <memory>

namespace QentSim {

struct HostState;

struct HostConnection {
  HostState* state = nullptr;  // null once the run has ended
};

using Connection = std::shared_ptr<HostConnection>;

}  // namespace QentSim
