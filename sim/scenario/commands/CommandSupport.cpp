#include <cstdio>
#include <string_view>

#include "sim/host/panels/HostWindow.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

bool expected(std::string* why, const std::string& wanted, const std::string& seen,
              std::string_view saw) {
  *why = "expected " + wanted + ", " + std::string(saw) + " " + seen;
  return false;
}

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

bool SettingValue::read(ArgumentReader& args) {
  isNumber = !args.nextQuoted();
  if (!isNumber) return args.text(text, "TEXT");
  return args.integer(number, "NUMBER", INT32_MIN, INT32_MAX);
}

std::string SettingValue::describe() const {
  return isNumber ? std::to_string(number) : quoted(text);
}

bool SettingKey::read(ArgumentReader& args) {
  return args.text(section, "SECTION") && args.text(key, "KEY");
}

std::string SettingKey::describe() const { return quoted(section) + " " + quoted(key); }

bool SettingKey::find(Simulation& simulation, SettingValue* stored) const {
  return simulation.host().findSetting(section, key, &stored->isNumber, &stored->number,
                                       &stored->text);
}

bool windowsWork(Simulation& simulation, std::string* why) {
  const std::vector<std::string>& problems = simulation.host().panelProblems();
  if (problems.empty()) return true;
  *why = "the skin engine reported: ";
  for (std::size_t i = 0; i < problems.size(); ++i) *why += (i ? "; " : "") + problems[i];
  return false;
}

HostWindow* openWindow(Simulation& simulation, std::string* why) {
  if (!windowsWork(simulation, why)) return nullptr;
  HostWindow* window = simulation.host().activeWindow();
  if (window == nullptr) *why = "no window is open";
  return window;
}

}  // namespace QentSim
