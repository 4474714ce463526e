#include "finder/ModuleLoader.h"

namespace Brennholt::Hox {

namespace {

template <class Proc>
Proc findEntry(Platform::ModuleHandle module, const char* name) {
  return reinterpret_cast<Proc>(Platform::findExport(module, name));
}

// Calls a module's entry; a throw counts as the answer `failed`.
template <class Proc>
auto callEntry(Proc entry, decltype(entry()) failed) noexcept {
  try {
    return entry();
  } catch (...) {
    return failed;
  }
}

}  // namespace

ModuleLoader::ModuleLoader(const char* path) {
  module_ = Platform::loadModule(path);
  if (!module_) return;
  if (auto init = findEntry<InitModuleProc>(module_, "InitDll")) {
    if (!callEntry(init, false)) {
      Platform::unloadModule(module_);
      module_ = nullptr;
      return;
    }
  }
  if (auto getFactory = findEntry<GetFactoryProc>(module_, "GetPluginFactory"))
    factory_ = IPtr<IPluginFactory>::adopt(callEntry(getFactory, nullptr));
}

ModuleLoader::~ModuleLoader() {
  try {
    factory_.reset();
  } catch (...) {
  }
  if (!module_) return;
  if (auto exit = findEntry<ExitModuleProc>(module_, "ExitDll")) callEntry(exit, false);
  Platform::unloadModule(module_);
}

}  // namespace Brennholt::Hox
