// The three classes this module offers and the factory that offers them.
#pragma once

#include "module/CPluginFactory.h"

namespace Brennholt {

// Registers the keyboard service, the hardware remote and the device detector, in that order,
// which is the order hosts enumerate them in; each under the identifier its class declares.
// False when a registration fails. [host thread]
bool registerModuleClasses(CPluginFactory& factory) noexcept;

// What GetPluginFactory hands out: the existing factory with one more reference, or a new one
// with the three classes and one reference. Null when it cannot be built. [host thread]
IPluginFactory* acquirePluginFactory() noexcept;

}  // namespace Brennholt
