// What a parameter finder reports to while it reads one plug-in class. The finder's results go
// to the driver instead, so implementations may ignore the messages. Nothing calls the two
// operations; they stay as the interface's slots.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt::Hox {

class ITestResult : public FUnknown {
 public:
  // Reports a failure text. [main thread]
  virtual void addErrorMessage(const char16* message) noexcept = 0;
  // Reports an informational text. [main thread]
  virtual void addMessage(const char16* message) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{69796279-F651-418B-B24D-79B7D7C527F4}");

 protected:
  ~ITestResult() = default;
};

}  // namespace Brennholt::Hox
