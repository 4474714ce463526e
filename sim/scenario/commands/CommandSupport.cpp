#include "sim/scenario/commands/CommandSupport.h"

#include <cstdio>
#include <string_view>

#include "sim/scenario/ArgumentReader.h"

namespace QentSim {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string listed(const std::vector<std::string>& items) {
  if (items.empty()) return "none";
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += ", ";
    out += quoted(item);
  }
  return out;
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

bool readObject(ArgumentReader& args, std::string& out, bool hostFunctions) {
  if (!args.text(out, "OBJECT")) return false;
  if (out == "Mixer" || out == "Transport") return true;
  if (hostFunctions && (out == "Jog" || out == "HoverKnob")) return true;
  for (std::string_view prefix : {"track:", "eq:", "qc:", "inst:"}) {
    if (out.size() > prefix.size() && out.starts_with(prefix)) return true;
  }
  return args.fail("no object \"" + out +
                   "\" (objects are track:NAME, eq:NAME, qc:NAME, inst:NAME, Mixer and Transport" +
                   (hostFunctions ? ", and the host functions Jog and HoverKnob)" : ")"));
}

}  // namespace QentSim
