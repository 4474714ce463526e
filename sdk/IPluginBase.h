// The base interface of every plug-in class that a host initializes with its context.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt {

class IPluginBase : public FUnknown {
 public:
  // Hands over the host context; the object may query it for host services. [host thread]
  virtual tresult initialize(FUnknown* context) noexcept = 0;
  // Ends the object's work before its last release. [host thread]
  virtual tresult terminate() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("DB8D88226E15AE458358B34808190625");

 protected:
  ~IPluginBase() = default;
};

}  // namespace Brennholt
