#include "module/ModuleInstance.h"

namespace Brennholt {
namespace {
Platform::ModuleHandle gModuleInstance = nullptr;
}

Platform::ModuleHandle moduleInstance() noexcept { return gModuleInstance; }

void setModuleInstance(Platform::ModuleHandle instance) noexcept { gModuleInstance = instance; }

}  // namespace Brennholt
