// One loaded component module and its class factory. The module stays loaded, and its factory
// referenced, for the loader's lifetime; the exit entry runs just before the module is unloaded.
#pragma once

#include "platform/Platform.h"
#include "sdk/IPluginFactory.h"

namespace Brennholt::Hox {

class ModuleLoader {
 public:
  // Loads the module, runs its optional InitDll (false or a throw: unloaded again at once,
  // ExitDll not called) and takes the factory from GetPluginFactory (none when it throws).
  explicit ModuleLoader(const char* path);
  // Releases the factory, runs the optional ExitDll and unloads the module; what the module
  // throws meanwhile is ignored.
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // True when both the module and its factory are present.
  bool isValid() const { return module_ != nullptr && factory_; }
  IPluginFactory* factory() const { return factory_.get(); }

 private:
  Platform::ModuleHandle module_ = nullptr;
  IPtr<IPluginFactory> factory_;  // the reference GetPluginFactory handed over
};

}  // namespace Brennholt::Hox
