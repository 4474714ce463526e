// Lists the instruments of a component-standard module: loads it, picks every audio processing
// class of the instrument kind from its factory, and reads each through a parameter finder.
#pragma once

#include "base/TLinkedList.h"
#include "base/TRefCounted.h"
#include "finder/CInstrumentInfoFinder.h"
#include "finder/CParameterInfoFinder.h"
#include "finder/ITestResult.h"
#include "sdk/IPluginFactory.h"

namespace Brennholt::Hox {

class CHOX3ParamFinder final : public TRefCounted<ITestResult> {
 public:
  // The driver is borrowed and receives the records.
  explicit CHOX3ParamFinder(CInstrumentInfoFinder* driver);

  // Returns kExitDone, kExitUnusable (no module or no factory) or kExitNoInstrument.
  int find(const char* pluginPath);

  // True for a class record of category "Audio Module Class" whose sub-categories contain
  // "Instrument". Reads each text field only up to its size, terminated or not.
  static bool isInstrumentClass(const PClassInfo2& info);

  // Results go to the driver; messages are not kept.
  void addErrorMessage(const char16*) noexcept override {}
  void addMessage(const char16*) noexcept override {}

 private:
  ~CHOX3ParamFinder() override;
  void destroyFinders();

  CInstrumentInfoFinder* driver_;
  // Owned, in factory order; destroyed directly, never through their counts.
  TLinkedList<CParameterInfoFinder*> finders_;
};

}  // namespace Brennholt::Hox
