#include "finder/CParameterInfoFinder.h"

#include <cstring>
#include <new>

#include "finder/UnitPaths.h"

namespace Brennholt::Hox {

CParameterInfoFinder::CParameterInfoFinder(IPlugProvider* provider, CInstrumentInfoFinder* driver,
                                           const std::string& className)
    : provider_(IPtr<IPlugProvider>::share(provider)), driver_(driver), className_(className) {}

CParameterInfoFinder::~CParameterInfoFinder() { releasePlugin(); }

bool CParameterInfoFinder::createPlugin() noexcept {
  if (!provider_) return false;
  releasePlugin();
  component_ = provider_->component();
  controller_ = provider_->controller();
  return component_ != nullptr;
}

void CParameterInfoFinder::releasePlugin() noexcept {
  if (!component_ && !controller_) return;
  if (provider_) provider_->releaseParts(component_, controller_);
  component_ = nullptr;
  controller_ = nullptr;
}

std::string CParameterInfoFinder::lowByteText(const char16* text, size_t maxUnits) {
  std::string result;
  for (size_t i = 0; i < maxUnits; ++i) {
    char c = static_cast<char>(text[i] & 0xFF);
    if (c == '\0') break;
    result.push_back(c);
  }
  return result;
}

std::vector<std::string> CParameterInfoFinder::unitNames(int32 unitId,
                                                         const std::vector<UnitInfo>& units) {
  return UnitPaths(units).namesOf(unitId);
}

bool CParameterInfoFinder::collectParameters(ITestResult* result) noexcept {
  if (!result || !component_ || !controller_ || !driver_) return false;
  try {
    return collect();
  } catch (const std::bad_alloc&) {
    return false;  // the driver has nothing of this class
  }
}

bool CParameterInfoFinder::collect() {
  std::vector<UnitInfo> units;
  if (IPtr<IUnitInfo> unitInfo = Brennholt::queryInterface<IUnitInfo>(controller_)) {
    int32 unitCount = unitInfo->getUnitCount();
    if (unitCount < 0) return false;
    // One record serves every query and is zero-filled only before the first: a field that a
    // plug-in leaves unwritten keeps what the previous unit put there.
    UnitInfo unit;
    std::memset(&unit, 0, sizeof(unit));
    for (int32 i = 0; i < unitCount; ++i)
      if (unitInfo->getUnitInfo(i, &unit) == kResultOk) units.push_back(unit);
  }

  if (controller_->getParameterCount() < 0) return false;
  UnitPaths paths(units);
  InstrumentRecord record;
  for (int32 i = 0; i < controller_->getParameterCount(); ++i) {
    ParameterInfo info;
    std::memset(&info, 0, sizeof(info));
    if (controller_->getParameterInfo(i, &info) != kResultOk) continue;
    if ((info.flags & ParameterInfo::kCanAutomate) == 0) continue;
    std::string title = lowByteText(info.title, 128);
    if (title.empty()) continue;
    ParamRecord param;
    // Wraps in 32 bits, as the companion tool expects for ids near the top of the range.
    param.id = static_cast<int32>(info.id + static_cast<uint32>(kParamIdOffset));
    param.name = std::move(title);
    param.unitNames = paths.namesOf(info.unitId);
    record.params.push_back(std::move(param));
  }
  record.name = className_;
  driver_->addRecord(record);
  return true;
}

}  // namespace Brennholt::Hox
