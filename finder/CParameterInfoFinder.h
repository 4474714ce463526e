// Reads one instrument class of a component module: creates the plug-in through its provider,
// reads units and automatable parameters from the edit controller into one record for the
// driver, and ends the plug-in again.
#pragma once

#include <string>
#include <vector>

#include "base/TRefCounted.h"
#include "finder/CInstrumentInfoFinder.h"
#include "finder/IPlugProvider.h"
#include "finder/ITest.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class CParameterInfoFinder final : public TRefCounted<ITest> {
 public:
  // Takes its own reference to the provider; the driver is borrowed.
  CParameterInfoFinder(IPlugProvider* provider, CInstrumentInfoFinder* driver,
                       const std::string& className);
  // The owning list destroys finders directly; a plug-in still held is ended first.
  ~CParameterInfoFinder() override;

  // True when the provider gave a component; a missing controller shows in collectParameters.
  bool createPlugin() noexcept override;
  // Appends one record named after the class to the driver; false (nothing appended) when a
  // part is missing, the controller reports a negative count or memory runs short.
  bool collectParameters(ITestResult* result) noexcept override;
  void releasePlugin() noexcept override;
  const char16* description() noexcept override { return nullptr; }

  // 8-bit text from a 16-bit field: the low byte of each unit, at most `maxUnits` units, ending
  // at the first zero byte so produced.
  static std::string lowByteText(const char16* text, size_t maxUnits);
  // Names of the units enclosing unit `unitId`, outermost first (UnitPaths::namesOf); for one
  // look-up, since it indexes the records each time.
  static std::vector<std::string> unitNames(int32 unitId, const std::vector<UnitInfo>& units);

 private:
  // collectParameters once its parts are there; throws std::bad_alloc when memory runs short.
  bool collect();

  IPtr<IPlugProvider> provider_;
  IComponent* component_ = nullptr;        // one reference from the provider, given back there
  IEditController* controller_ = nullptr;  // likewise
  CInstrumentInfoFinder* driver_;
  std::string className_;
};

}  // namespace Brennholt::Hox
