// Linked into the module itself rather than into qent_module: nothing inside the module calls
// these, so from a static library the linker would leave them out.
#include "module/ModuleEntry.h"

#include "module/ClassRegistry.h"
#include "module/ModuleInstance.h"

#if defined(_WIN32)
#include <windows.h>

// The C++ runtime is linked into the module on Windows: its exception emergency pool is set
// up at every load and given back only on request.
namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

extern "C" {

bool InitDll() { return true; }

Brennholt::IPluginFactory* GetPluginFactory() { return Brennholt::acquirePluginFactory(); }

bool ExitDll() { return true; }

}  // extern "C"

// Process attach keeps the module handle. Detach by unloading (not by the process ending, when
// `reserved` is set) hands back what the linked-in C++ runtime would otherwise leave behind at
// every unload: a host that unloads and loads the module again would grow by ~70 kB each time.
#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) Brennholt::setModuleInstance(instance);
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
  return TRUE;
}

#else

namespace {
__attribute__((constructor)) void attachModule() {
  Brennholt::setModuleInstance(
      Brennholt::Platform::moduleContaining(reinterpret_cast<const void*>(&attachModule)));
}
}  // namespace

#endif
