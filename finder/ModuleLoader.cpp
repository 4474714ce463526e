#include "finder/ModuleLoader.h"

namespace Brennholt::Hox {

namespace {

template <class Proc>
Proc findEntry(Platform::ModuleHandle module, const char* name) {
  return reinterpret_cast<Proc>(Platform::findExport(module, name));
}

}  // namespace

ModuleLoader::ModuleLoader(const char* path) {
  module_ = Platform::loadModule(path);
  if (!module_) return;
  if (auto init = findEntry<InitModuleProc>(module_, "InitDll")) {
    if (!init()) {
      Platform::unloadModule(module_);
      module_ = nullptr;
      return;
    }
  }
  if (auto getFactory = findEntry<GetFactoryProc>(module_, "GetPluginFactory"))
    factory_ = IPtr<IPluginFactory>::adopt(getFactory());
}

ModuleLoader::~ModuleLoader() {
  factory_.reset();
  if (!module_) return;
  if (auto exit = findEntry<ExitModuleProc>(module_, "ExitDll")) exit();
  Platform::unloadModule(module_);
}

}  // namespace Brennholt::Hox
