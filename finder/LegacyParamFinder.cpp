#include "finder/LegacyParamFinder.h"

#include <cstring>
#include <vector>

#include "finder/LegacyModule.h"

namespace Brennholt::Hox {

extern "C" std::intptr_t hostCallback(SingleEntryDescriptor*, int32 opcode, int32, std::intptr_t,
                                      void*, float) {
  return opcode == kSingleEntryHostVersion ? kSingleEntryHostVersionNumber : 0;
}

namespace {

std::intptr_t dispatch(SingleEntryDescriptor* plugin, int32 opcode, int32 index = 0,
                       void* data = nullptr) {
  return plugin->dispatcher(plugin, opcode, index, 0, data, 0.0f);
}

}  // namespace

LegacyParamFinder::LegacyParamFinder(CInstrumentInfoFinder* driver, const char* xmlDumpPath)
    : driver_(driver), xmlDumpPath_(xmlDumpPath) {}

int LegacyParamFinder::find(const char* pluginPath) {
  LegacyModule module(xmlDumpPath_);
  if (!module.load(pluginPath)) return kExitNotLoadable;
  // Before anything else is asked, so the copy exists whatever the run ends with.
  module.dumpXmlResource();
  moduleName_ = module.name();

  SingleEntryMainProc entry = module.entry();
  if (!entry) return kExitNoEntry;
  try {
    return probe(entry);
  } catch (...) {
    // The plug-in threw through its entry or its dispatcher: it cannot be used, and nothing
    // more is asked of it.
    return kExitUnusable;
  }
}

int LegacyParamFinder::probe(SingleEntryMainProc entry) {
  SingleEntryDescriptor* plugin = entry(&hostCallback);
  // A descriptor without a dispatcher cannot be asked anything: no usable plug-in either.
  if (!plugin || !plugin->dispatcher) return kExitUnusable;

  dispatch(plugin, kSingleEntryOpen);
  if (dispatch(plugin, kSingleEntryGetCategory) != kSingleEntryCategoryInstrument) {
    dispatch(plugin, kSingleEntryClose);
    return kExitNoInstrument;
  }

  InstrumentRecord record;
  record.params.push_back(ParamRecord{kBypassParamId, "Bypass", {}});
  std::vector<char> name(kNameBufferSize);
  // The count is read again each step: a plug-in may change it while open.
  for (int32 index = 0; index < plugin->parameterCount; ++index) {
    if (dispatch(plugin, kSingleEntryCanBeAutomated, index) == 0) continue;
    std::memset(name.data(), 0, name.size());
    dispatch(plugin, kSingleEntryGetParameterName, index, name.data());
    const void* end = std::memchr(name.data(), '\0', kMaxParameterName);
    size_t length =
        end ? static_cast<size_t>(static_cast<const char*>(end) - name.data()) : kMaxParameterName;
    int32 id = static_cast<int32>(static_cast<uint32>(index) + static_cast<uint32>(kParamIdOffset));
    record.params.push_back(ParamRecord{id, std::string(name.data(), length), {}});
  }
  dispatch(plugin, kSingleEntryClose);
  record.name = moduleName_;
  if (driver_) driver_->addRecord(record);
  return kExitDone;
}

}  // namespace Brennholt::Hox
