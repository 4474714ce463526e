// One of the keyboard's 24 knobs as the service binds it: what the keyboard assigned to it, the
// controller that drives the bound host value, the quick control's destination it shows in its
// name, and the knob that leads it when several knobs share one assignment.
//
// Knobs 0..11 take the keyboard's assignment; knobs 12..23 always carry their fixed EQ function
// (kind kFixedFunction with the identifier of KnobAssignment::fixedParameter). A knob whose
// leader is another knob binds nothing of its own: it shows its leader's name and value, and
// its ticks move its leader's controller.
//
// Plain data of the service; host thread only. The secondary value is released through the
// service (with its watch) before the slot is destroyed.
#pragma once

#include <string>

#include "core/Types.h"
#include "hostaccess/ParameterController2.h"
#include "hostaccess/THostWatch.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

struct KnobSlot {
  // Assignment kinds, as the keyboard's assignment blocks carry them.
  static constexpr uint8 kHostParameter = 0;  // identifier: a parameter of the target instrument
  static constexpr uint8 kFixedFunction = 1;  // identifier: a function code (volume, pan, ...)
  static constexpr uint8 kUnassigned = 2;

  ParameterController2 controller;
  uint8 kind = kUnassigned;
  uint32 id = 0;
  // The quick control's destination value ("QDestination%d"), watched while bound.
  THostWatch<Hox::IHostValue> secondary;
  // The display name sent as the knob's name.
  std::string name;
  // The lowest knob sharing this knob's assignment; the knob's own index when none.
  uint8 leader = 0;
};

}  // namespace Brennholt
