#include "finder/CParameterInfoFinder.h"

#include <cstring>
#include <new>

namespace Brennholt::Hox {

CParameterInfoFinder::CParameterInfoFinder(IPlugProvider* provider, CInstrumentInfoFinder* driver,
                                           const std::string& className)
    : provider_(IPtr<IPlugProvider>::share(provider)), driver_(driver), className_(className) {}

CParameterInfoFinder::~CParameterInfoFinder() { releasePlugin(); }

tresult CParameterInfoFinder::queryInterface(const TUID iid, void** object) noexcept {
  if (!object) return kInvalidArgument;
  if (FUnknown::iid.matches(iid) || ITest::iid.matches(iid)) {
    addRef();
    *object = static_cast<ITest*>(this);
    return kResultOk;
  }
  *object = nullptr;
  return kNoInterface;
}

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
  std::vector<std::string> names;
  std::vector<bool> visited(units.size(), false);
  // Depth-first over "records carrying this id, then their parents", kept on an explicit stack
  // so that a long chain of units cannot exhaust the call stack.
  struct Step {
    int32 id;
    size_t next;  // first record not yet looked at for this id
  };
  std::vector<Step> stack{{unitId, 0}};
  while (!stack.empty()) {
    Step& step = stack.back();
    size_t i = step.next;
    while (i < units.size() && (visited[i] || units[i].parentUnitId < 0 || units[i].id != step.id))
      ++i;
    if (i == units.size()) {
      stack.pop_back();
      continue;
    }
    step.next = i + 1;
    visited[i] = true;
    names.insert(names.begin(), lowByteText(units[i].name, 128));
    stack.push_back({units[i].parentUnitId, 0});
  }
  return names;
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
    param.unitNames = unitNames(info.unitId, units);
    record.params.push_back(std::move(param));
  }
  record.name = className_;
  driver_->addRecord(record);
  return true;
}

}  // namespace Brennholt::Hox
