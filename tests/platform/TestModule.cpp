// A small module for the platform tests: exports a function, names its own handle, and carries
// the resources that the module and the finder look up.
#include "platform/Platform.h"

#if defined(_WIN32)
#define TEST_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TEST_MODULE_EXPORT int testModuleAnswer() { return 42; }

// The module's own handle, found from one of its addresses.
TEST_MODULE_EXPORT void* testModuleSelf() {
  return Brennholt::Platform::moduleContaining(reinterpret_cast<const void*>(&testModuleAnswer));
}

#if !defined(_WIN32)
static const char kPanel[] = "panel bytes";
static const char kDescription[] = "<description/>";
TEST_MODULE_EXPORT const HoxResourceEntry hoxResourceTable[] = {
    {"#10", "QENTEXTSETUPPANEL.SRF", kPanel, sizeof(kPanel) - 1},
    {"HOXXML", "#1", kDescription, sizeof(kDescription) - 1},
    {nullptr, nullptr, nullptr, 0},
};
#endif
