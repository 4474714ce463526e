// Creates the two halves of one plug-in class on demand and ends them again.
#pragma once

#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class IPlugProvider : public FUnknown {
 public:
  // The processing half, creating the plug-in on first use; the caller owns the reference
  // added. Null when the plug-in cannot be created. [main thread]
  virtual IComponent* component() noexcept = 0;
  // The edit controller of the plug-in created by component(); the caller owns the reference
  // added. Null when there is none. [main thread]
  virtual IEditController* controller() noexcept = 0;
  // Gives back the references handed out by component() and controller() (either may be null)
  // and, unless the plug-in is shared, ends it. [main thread]
  virtual tresult releaseParts(IComponent* component, IEditController* controller) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{DB014121-0914-4BAA-8762-7896BE41AF5D}");

 protected:
  ~IPlugProvider() = default;
};

}  // namespace Brennholt::Hox
