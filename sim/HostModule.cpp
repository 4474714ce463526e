#include "sim/HostModule.h"

#include <vector>

namespace QentSim {

using namespace Brennholt;

bool HostModule::load(const std::string& path, std::string* error) {
  unload();
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  Platform::ModuleHandle module = Platform::loadModule(path.c_str());
  if (module == nullptr) return fail("cannot load module " + path);

  auto initModule = reinterpret_cast<InitModuleProc>(Platform::findExport(module, "InitDll"));
  auto getFactory =
      reinterpret_cast<GetFactoryProc>(Platform::findExport(module, "GetPluginFactory"));
  auto exitModule = reinterpret_cast<ExitModuleProc>(Platform::findExport(module, "ExitDll"));
  if (initModule == nullptr || getFactory == nullptr || exitModule == nullptr) {
    Platform::unloadModule(module);
    return fail("module does not export InitDll, GetPluginFactory and ExitDll: " + path);
  }
  if (!initModule()) {
    Platform::unloadModule(module);
    return fail("InitDll failed: " + path);
  }
  IPtr<IPluginFactory> factory = IPtr<IPluginFactory>::adopt(getFactory());
  if (!factory) {
    exitModule();
    Platform::unloadModule(module);
    return fail("GetPluginFactory returned no factory: " + path);
  }
  module_ = module;
  exitModule_ = exitModule;
  factory_ = std::move(factory);
  return true;
}

void HostModule::abandon() {
  // The factory reference goes with the module: releasing it would run the module's code.
  static std::vector<IPtr<IPluginFactory>>* abandoned = new std::vector<IPtr<IPluginFactory>>();
  abandoned->push_back(std::move(factory_));
  module_ = nullptr;
  exitModule_ = nullptr;
}

void HostModule::unload() {
  if (module_ == nullptr) return;
  // The factory's code lives in the module: release it before ExitDll and the unload.
  factory_.reset();
  exitModule_();
  Platform::unloadModule(module_);
  module_ = nullptr;
  exitModule_ = nullptr;
}

}  // namespace QentSim
