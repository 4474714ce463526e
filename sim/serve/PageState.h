// What the page shows, as one JSON object the host thread builds after every change and the
// page draws as it stands (the page keeps no state of its own beyond what is being typed):
//
//   keyboards  per keyboard plugged in: the display (target, memory name, text line, mode text,
//              24 knob names and values, six key labels) and the lit lamps by element name
//   host       the project's tracks (name, kind, depth, selected), the selected track's
//              instrument with its parameters' texts and positions, the transport, the
//              commands the host ran (newest last), the "Devices" menu's entries
//   window     the module's open window as the skin lays it out (null when none): its visible
//              images, labels and controls at absolute positions, bitmaps as /skin/ENTRY
//
// [host thread]
#pragma once

#include <nlohmann/json.hpp>

namespace QentSim {

class PageSession;

nlohmann::json pageState(PageSession& session);

}  // namespace QentSim
