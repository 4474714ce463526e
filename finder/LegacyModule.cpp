#include "finder/LegacyModule.h"

#include "finder/CInstrumentInfoFinder.h"
#include "finder/OutputFile.h"

namespace Brennholt::Hox {

LegacyModule::LegacyModule(const char* xmlDumpPath) : xmlDumpPath_(xmlDumpPath) {}

LegacyModule::~LegacyModule() { unload(); }

bool LegacyModule::load(const char* pluginPath) {
  CInstrumentInfoFinder::splitPluginPath(pluginPath, nullptr, &name_, nullptr, false);
  module_ = Platform::loadModule(pluginPath);
  return module_ != nullptr;
}

void LegacyModule::unload() {
  if (module_) Platform::unloadModule(module_);
  module_ = nullptr;
}

SingleEntryMainProc LegacyModule::entry() const {
  if (!module_) return nullptr;
  void* proc = Platform::findExport(module_, kSingleEntryMainName);
  if (!proc) proc = Platform::findExport(module_, kSingleEntryOldMainName);
  return reinterpret_cast<SingleEntryMainProc>(proc);
}

void LegacyModule::dumpXmlResource() const {
  if (!module_ || !xmlDumpPath_ || xmlDumpPath_[0] == '\0') return;
  const void* data = nullptr;
  uint32 size = 0;
  if (!Platform::findResource(module_, "HOXXML", "#1", &data, &size) || !data || size == 0) return;
  writeOutputFile(xmlDumpPath_, std::string_view(static_cast<const char*>(data), size));
}

}  // namespace Brennholt::Hox
