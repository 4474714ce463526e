// One unit of work on one plug-in class: create the plug-in, read from it, end it.
#pragma once

#include "core/FUnknown.h"
#include "finder/ITestResult.h"

namespace Brennholt::Hox {

class ITest : public FUnknown {
 public:
  // Creates the plug-in; false when it cannot be used. [main thread]
  virtual bool createPlugin() noexcept = 0;
  // Reads the plug-in created by createPlugin; false when nothing could be read. [main thread]
  virtual bool collectParameters(ITestResult* result) noexcept = 0;
  // Ends the plug-in created by createPlugin; harmless when there is none. [main thread]
  virtual void releasePlugin() noexcept = 0;
  // A description of the work, or null. [main thread]
  virtual const char16* description() noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{FE64FC19-9568-4F53-AAA7-8DC87228338E}");

 protected:
  ~ITest() = default;
};

}  // namespace Brennholt::Hox
