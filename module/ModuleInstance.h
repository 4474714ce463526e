// The handle under which the operating system attached this module to the process.
#pragma once

#include "platform/Platform.h"

namespace Brennholt {

// This module's handle (on Windows its instance handle); null before process attach. Resources
// of the module, such as the setup panel's skin, are loaded from it. [any thread]
Platform::ModuleHandle moduleInstance() noexcept;

// Stores the handle. [loader thread, at process attach, before any other call into the module]
void setModuleInstance(Platform::ModuleHandle instance) noexcept;

}  // namespace Brennholt
