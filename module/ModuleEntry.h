// The module's three exports, looked up by their plain names by any host that loads it.
#pragma once

#include "sdk/IPluginFactory.h"

#if defined(_WIN32)
#define QENT_EXPORT  // the export table comes from qentlink.def
#else
#define QENT_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Called by the host after loading the module; returns true. [host thread]
QENT_EXPORT bool InitDll();
// Hands out the class factory with one reference for the caller; null when it cannot be built.
// [host thread]
QENT_EXPORT Brennholt::IPluginFactory* GetPluginFactory();
// Called by the host before unloading the module; returns true. [host thread]
QENT_EXPORT bool ExitDll();
}
