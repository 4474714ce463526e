// What the page may ask of the host, one row per request type, each with the fields it needs:
//
//   {"type":"turn","keyboard":1,"element":"AsgnKnob1","ticks":3}   a knob or the data dial
//   {"type":"tap","keyboard":1,"element":"F1"}                     a button, pressed and let go
//   {"type":"select-track","track":"Seq"}                          the user selects a track
//   {"type":"menu","menu":"Devices","title":"..."}                 picks a host menu entry
//   {"type":"window-press","control":"Page1"}                      clicks a switch or checkbox
//   {"type":"window-choose","control":"Category","entry":"..."}    picks a menu entry
//   {"type":"window-type","control":"DisplayName","text":"..."}    types into a field
//   {"type":"window-close"}                                        closes the window
//
// A request is checked in full before anything runs: a message that is not a JSON object, a
// type no row has, a field missing or of the wrong kind, a keyboard, element, track or control
// that does not exist, all answer false with the reason and change nothing. A request that runs
// may still be refused by the host (a hidden control, a menu entry it lacks): false with the
// host's reason then, after the host did what it does with such a request (nothing).
// [host thread]
#pragma once

#include <string>
#include <string_view>

namespace QentSim {

class PageSession;

// Parses and runs one request. True when it ran; false with *why otherwise.
bool runPageRequest(PageSession& session, std::string_view text, std::string* why);

}  // namespace QentSim
