// Answers a plug-in's question which interfaces this host knows.
#pragma once

#include <atomic>
#include <vector>

#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class PlugInterfaceSupport final : public IPlugInterfaceSupport {
 public:
  PlugInterfaceSupport();

  tresult queryInterface(const TUID iid, void** object) noexcept override;
  uint32 addRef() noexcept override;
  uint32 release() noexcept override;

  tresult isSupported(const TUID id) noexcept override;

 private:
  ~PlugInterfaceSupport() = default;

  std::atomic<uint32> refCount_{1};
  std::vector<FUID> supported_;
};

}  // namespace Brennholt::Hox
