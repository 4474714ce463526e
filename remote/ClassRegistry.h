// The three classes this module offers and the factory that offers them.
#pragma once

#include "remote/CPluginFactory.h"

namespace Brennholt {

// Class identifiers, 16 bytes in memory order, in the order hosts enumerate the classes.
inline constexpr FUID kServiceClassId = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");
inline constexpr FUID kRemoteClassId = FUID::fromMemoryHex("75F1DCF830A7E54BA1DE1553899D2504");
inline constexpr FUID kDetectorClassId = FUID::fromMemoryHex("8714DCA0BA74F14BA71252FF31B9F1BC");

// Registers the keyboard service, the hardware remote and the device detector, in that order.
// False when a registration fails. [host thread]
bool registerModuleClasses(CPluginFactory& factory) noexcept;

// What GetPluginFactory hands out: the existing factory with one more reference, or a new one
// with the three classes and one reference. Null when it cannot be built. [host thread]
IPluginFactory* acquirePluginFactory() noexcept;

}  // namespace Brennholt
