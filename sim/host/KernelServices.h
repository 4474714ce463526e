// The host context and the kernel services it hands out by identifier. Every object holds the
// run's Connection; once the host has shut down, each answers as a missing service would.
// [host thread]
#pragma once

#include <array>
#include <memory>
#include <string>

#include "sdk/host/HostKernel.h"
#include "sdk/host/SetupServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

// The context handed to the service's initialize: the kernel and the host's product texts.
class HostContext final
    : public HostObject<Brennholt::Hox::IHostKernel, Brennholt::Hox::IHostInformation,
                        Brennholt::Hox::IHostClasses> {
 public:
  // Takes the product texts of the host's set-up as they are now.
  explicit HostContext(Connection connection);

  // The service object for `iid` (made on the first request, the same one afterwards) with one
  // reference for the caller; kNoInterface when the host has no such service, it is withdrawn
  // or the host has shut down.
  Brennholt::tresult getService(const Brennholt::TUID iid, void** service) noexcept override;
  // A new object of class `classId` (the setup's services; the translator as getService gives
  // it) as interface `iid`, one reference for the caller; kNoInterface when there is none.
  Brennholt::tresult createInstance(const Brennholt::TUID classId, const Brennholt::TUID iid,
                                    void** object) noexcept override;
  // The host's product name, version and build texts, valid while the context lives.
  const Brennholt::char16* productName() noexcept override { return product_.c_str(); }
  const Brennholt::char16* versionString() noexcept override { return version_.c_str(); }
  const Brennholt::char16* buildString() noexcept override { return build_.c_str(); }

 private:
  // Releases the service objects; the last release deletes. [host thread]
  ~HostContext() override;

  Connection connection_;
  // One object per kind of service, made on its first request; getService's order.
  std::array<Brennholt::FUnknown*, 13> services_{};
  std::u16string product_;
  std::u16string version_;
  std::u16string build_;
};

}  // namespace QentSim
