// Linked into the module itself rather than into qent_module: nothing inside the module calls
// these, so from a static library the linker would leave them out.
#include "module/ModuleEntry.h"

#include "module/ClassRegistry.h"
#include "module/ModuleInstance.h"

#if defined(_WIN32)
#include <windows.h>
#endif

extern "C" {

bool InitDll() { return true; }

Brennholt::IPluginFactory* GetPluginFactory() { return Brennholt::acquirePluginFactory(); }

bool ExitDll() { return true; }

}  // extern "C"

// Process attach keeps the module handle; detach has nothing to undo.
#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) Brennholt::setModuleInstance(instance);
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
