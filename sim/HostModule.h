// A plug-in module loaded the way the sequencer loads one: by path, through its three exports.
// [host thread]
#pragma once

#include <string>

#include "platform/Platform.h"
#include "sdk/IPluginFactory.h"

namespace QentSim {

class HostModule {
 public:
  HostModule() = default;
  ~HostModule() { unload(); }
  HostModule(const HostModule&) = delete;
  HostModule& operator=(const HostModule&) = delete;

  // Loads the module, calls InitDll and takes the factory from GetPluginFactory. On failure
  // says why in *error and leaves nothing loaded. A loaded module is unloaded first.
  bool load(const std::string& path, std::string* error);
  // Releases the factory, calls ExitDll and unloads the module; nothing when not loaded.
  void unload();

  // Forgets the module without calling it or unloading it, as a crashed host leaves it.
  void abandon();

  // True between a successful load and unload.
  bool isLoaded() const { return module_ != nullptr; }
  // The factory held since load; null when not loaded. The module holds this reference.
  Brennholt::IPluginFactory* factory() const { return factory_.get(); }

 private:
  Brennholt::Platform::ModuleHandle module_ = nullptr;
  Brennholt::ExitModuleProc exitModule_ = nullptr;
  Brennholt::IPtr<Brennholt::IPluginFactory> factory_;
};

}  // namespace QentSim
