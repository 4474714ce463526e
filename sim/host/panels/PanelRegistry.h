// The kernel services behind the module's window: the panel registry, which loads skin packages
// from a module's resources and opens windows from their templates, and the host's menus, whose
// entries run commands through the command catalogue. Each holds the run's Connection and, once
// the run has ended, answers as a missing service. [host thread]
#pragma once

#include <memory>

#include "sdk/host/PanelServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

class PanelRegistry final : public HostObject<Brennholt::Hox::IPanelRegistry> {
 public:
  using Interface = Brennholt::Hox::IPanelRegistry;
  explicit PanelRegistry(Connection connection)
      : connection_(std::move(connection)) {}

  // Reads the raw-data resource (type 10) of that name from the module, and the package's
  // skin.xml; a package that does not load is reported among the window problems.
  Brennholt::tresult loadSkinPackage(void* module,
                                     const Brennholt::char16* fileName) noexcept override;
  Brennholt::tresult openWindow(const Brennholt::char8* templateName,
                                Brennholt::Hox::IPlugController* controller,
                                Brennholt::Hox::IHostWindow** window) noexcept override;

 private:
  Connection connection_;
};

class DevicesMenu final : public HostObject<Brennholt::Hox::IDevicesMenu> {
 public:
  using Interface = Brennholt::Hox::IDevicesMenu;
  explicit DevicesMenu(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult addEntry(void* module, const Brennholt::char16* menu,
                              const Brennholt::char16* title, Brennholt::int32 flags,
                              const Brennholt::char16* category,
                              const Brennholt::char16* command) noexcept override;
  Brennholt::tresult removeEntries(void* module) noexcept override;

 private:
  Connection connection_;
};

}  // namespace QentSim
