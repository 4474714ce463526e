// Small helpers the scenario commands share for their reasons.
#pragma once

#include <string>
#include <vector>

namespace QentSim {

class ArgumentReader;

// The text in double quotes.
std::string quoted(const std::string& text);
// The texts quoted and separated by ", "; "none" when there are none.
std::string listed(const std::vector<std::string>& items);
// A number as short as it reads exactly enough: "25", "0.1", "-60".
std::string number(double value);
// An OBJECT token: "track:NAME", "eq:NAME", "qc:NAME", "inst:NAME", "Mixer" or "Transport";
// with `hostFunctions`, a host function too ("Jog", "HoverKnob"). False (reason in `args`) for
// any other.
bool readObject(ArgumentReader& args, std::string& out, bool hostFunctions);

}  // namespace QentSim
