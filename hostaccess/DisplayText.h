// The texts the keyboard shows for knobs: quick-control names, value texts, and the rules that
// turn the host's texts, which follow the host's language and may hold any character, into
// English texts the keyboard's 7-bit display can show.
//
// The translator is asked from the kernel per call and released at once; without it the rules
// that need it are skipped. Results are the module's 8-bit texts.
//
// Every function runs on the host thread. Only an allocation can fail (std::bad_alloc); it goes
// up to the service's doors, which catch it.
#pragma once

#include <string>
#include <string_view>

#include "core/Types.h"
#include "hostaccess/ParameterController.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

// A value text made displayable: "-oo", "+oo", "oo" for the infinity texts; otherwise, unless
// the host's language is "us", the host's words for On and Off become "On" and "Off".
// [host thread]
std::string displayValue(Hox::IHostKernel* kernel, std::u16string_view text);

// A parameter or destination name made English: "Q" for the host's word for Quality in a name
// that holds its word for EQ; unless the language is "us", the host's words for Volume, Pan,
// the EQ band gains and frequencies and so on become the English ones; a name starting with
// "EQ - " gets a space between each later "EQ" and its band digit 1..4. [host thread]
std::string englishName(Hox::IHostKernel* kernel, std::string_view name);

// "Q%d:%s" of `index` + 1 and the destination's text made English; empty without a destination
// or for a negative index. [host thread]
std::string quickControlName(Hox::IHostKernel* kernel, int32 index,
                             Hox::IHostValue* destination);

// The name of a quick-control slot after its destination changed: the first three characters
// of `name` ("Q%d:") and the destination's new text made English. [host thread]
std::string quickControlRename(Hox::IHostKernel* kernel, std::string_view name,
                               Hox::IHostValue* destination);

// The fallback value text of a slot: "(%.3f)" of the normalized value; empty when the
// controller is unbound or has no normalized value, and for a quick control without a
// destination (a `secondary` value and a name of the form "Q" digit ":"). [host thread]
std::string valueText(const ParameterController& controller, Hox::IHostValue* secondary,
                      std::string_view name);

// The text the keyboard shows for a slot's value: the bound value's text made displayable, or
// valueText when the host gives none; empty for a quick control without a destination, whatever
// text the host gives it. [host thread]
std::string knobValueText(Hox::IHostKernel* kernel, const ParameterController& controller,
                          Hox::IHostValue* secondary, std::string_view name);

// The name VexelOne gives `parameter` (one of `instrument`'s own) in its current program: the
// title its "0" object has for the parameter's tag. Replaces `name` and answers true when that
// title is not empty and differs. [host thread]
bool vexelOneName(Hox::IHostObject* instrument, Hox::IHostValue* parameter,
                  std::string& name);

}  // namespace Brennholt
