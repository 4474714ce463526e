// Answers a plug-in's question which interfaces this host knows.
#pragma once

#include <vector>

#include "base/TRefCounted.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class PlugInterfaceSupport final : public TRefCounted<IPlugInterfaceSupport> {
 public:
  PlugInterfaceSupport();

  tresult isSupported(const TUID id) noexcept override;

 private:
  ~PlugInterfaceSupport() override = default;

  std::vector<FUID> supported_;
};

}  // namespace Brennholt::Hox
