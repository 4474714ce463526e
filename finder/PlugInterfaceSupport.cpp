#include "finder/PlugInterfaceSupport.h"

namespace Brennholt::Hox {

PlugInterfaceSupport::PlugInterfaceSupport()
    : supported_{
          IComponent::iid,
          FUID::fromDashed("{42043F99-B7DA-453C-A569-E79D9AAEC33D}"),
          IEditController::iid,
          IConnectionPoint::iid,
          IUnitInfo::iid,
          FUID::fromDashed("{6C389611-D391-455D-B870-B83394A0EFDD}"),
          FUID::fromDashed("{8683B01F-7B35-4F70-A265-1DEC353AF4FF}"),
          FUID::fromDashed("{DF0FF9F7-49B7-4669-B63A-B7327ADBF5E5}"),
          FUID::fromDashed("{7F4EFE59-F320-4967-AC27-A3AEAFB63038}"),
      } {}

tresult PlugInterfaceSupport::isSupported(const TUID id) noexcept {
  for (const FUID& known : supported_)
    if (known.matches(id)) return kResultTrue;
  return kResultFalse;
}

}  // namespace Brennholt::Hox
