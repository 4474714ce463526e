// Scenario checks of what the host did and holds: commands run, host functions reached, the
// transport, devices and detection, life-cycle steps, project values and their edits, the
// module's dependents and answers, settings, alerts, files, and the module's window.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "sim/host/panels/HostWindow.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

constexpr std::int64_t kMaxCount = 1000000;
// A value repeated more often than this is a typing error.
constexpr std::int64_t kMaxRepeat = 10000;

std::string numbers(const std::vector<std::int32_t>& values) {
  if (values.empty()) return "nothing";
  std::string out;
  for (std::int32_t v : values) {
    if (!out.empty()) out += ' ';
    out += std::to_string(v);
  }
  return out;
}

// expect executed / not-executed.
CommandAction expectExecuted(ArgumentReader& args, bool wanted) {
  std::string category;
  std::string name;
  if (!args.text(category, "CATEGORY") || !args.text(name, "NAME")) return nullptr;
  return [category, name, wanted](Simulation& simulation, std::string* why) {
    const SimHost& host = simulation.host();
    if (host.wasExecuted(category, name) == wanted) return true;
    std::vector<std::string> executed;
    for (const auto& [c, n] : host.executedCommands())
      executed.push_back(std::string(c).append("/").append(n));
    return expected(why,
                    QentSim::quoted(category + "/" + name) + (wanted ? " to run" : " not to run"),
                    "executed: " + listed(executed));
  };
}

// expect playing / recording.
CommandAction expectTransport(ArgumentReader& args, bool (SimHost::*is)() const,
                              const char* state) {
  bool wanted = false;
  if (!args.onOff(wanted, "on|off")) return nullptr;
  return [is, state, wanted](Simulation& simulation, std::string* why) {
    const bool seen = (simulation.host().*is)();
    return seen == wanted ||
           expected(why, std::string("the transport ") + (wanted ? "" : "not ") + state,
                    std::string("it ") + (seen ? "" : "not ") + state);
  };
}

// expect step / not-step.
CommandAction expectStep(ArgumentReader& args, bool wanted) {
  std::string step;
  if (!args.text(step, "TEXT")) return nullptr;
  return [step, wanted](Simulation& simulation, std::string* why) {
    const auto& steps = simulation.host().lifecycleLog();
    const bool taken = std::find(steps.begin(), steps.end(), step) != steps.end();
    return taken == wanted || expected(why,
                                       "the host " + std::string(wanted ? "" : "not ") +
                                           "to take the step " + QentSim::quoted(step),
                                       "the steps " + listed(steps));
  };
}

// A value the host keeps outside the project's tree, by object and key (Transport, Mixer
// mute/solo, host functions).
bool hostValue(const SimHost& host, const std::string& object, const std::string& key,
               double* value) {
  if (object == "Transport") {
    if (key == "start")
      *value = host.playing() ? 1 : 0;
    else if (key == "stop")
      *value = host.playing() ? 0 : 1;
    else if (key == "record")
      *value = host.recording() ? 1 : 0;
    else if (key == "position")
      *value = host.position();
    else
      return false;
    return true;
  }
  if (object == "Mixer" && (key == "mute" || key == "solo")) {
    *value = host.mixerValue(key);
    return true;
  }
  // What last reached a host function's parameter.
  for (auto it = host.parameterValues().rbegin(); it != host.parameterValues().rend(); ++it) {
    if (it->function == object && it->parameter == key) {
      *value = it->value;
      return true;
    }
  }
  return false;
}

// A value of the open project; false with the reason when there is none.
bool projectValue(const SimHost& host, const std::string& object, const std::string& key,
                  ValueReading* reading, std::string* why) {
  std::string error;
  if (host.readValue(object, key, reading, &error)) return true;
  *why = object + " " + key + ": " + error;
  return false;
}

// A check of a project value: OBJECT KEY, then what `readRest` reads; `check` judges the
// reading ("OBJECT KEY" names the value in its failure).
template <class Rest, class Check>
CommandAction expectProjectValue(ArgumentReader& args, Rest readRest, Check check) {
  std::string object;
  std::string key;
  if (!readObject(args, object, false) || !args.text(key, "KEY")) return nullptr;
  auto rest = readRest(args);
  if (!rest) return nullptr;
  return [object, key, wanted = *rest, check](Simulation& simulation, std::string* why) {
    ValueReading reading;
    return projectValue(simulation.host(), object, key, &reading, why) &&
           check(object + " " + key, wanted, reading, why);
  };
}

// The file a check names, resolved against the scenario's folder.
CommandAction expectFile(ArgumentReader& args, bool withText) {
  std::string file;
  std::string text;
  if (!args.text(file, "FILE") || (withText && !args.text(text, "TEXT"))) return nullptr;
  return [file, text, withText](Simulation& simulation, std::string* why) {
    const std::string path = simulation.resolve(file);
    if (!withText) {
      std::error_code failed;
      return (!std::filesystem::exists(path, failed) && !failed) ||
             expected(why, "no file " + path, "one");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return expected(why, "the file " + path, "none");
    const std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return held.find(text) != std::string::npos ||
           expected(why, path + " to contain " + QentSim::quoted(text), QentSim::quoted(held));
  };
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

constexpr CommandRow kRows[] = {
    {"expect mode", "\"TEXT\"", "the mode text the host last showed for the keyboard is TEXT",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string text;
       if (!args.text(text, "TEXT")) return nullptr;
       return [text](Simulation& simulation, std::string* why) {
         const std::string& shown = simulation.host().lastShownText();
         return shown == text ||
                expected(why, "mode text " + QentSim::quoted(text), QentSim::quoted(shown));
       };
     }},
    {"expect executed", "\"CATEGORY\" \"NAME\"", "the host ran that command", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectExecuted(args, true); }},
    {"expect not-executed", "\"CATEGORY\" \"NAME\"", "the host did not run that command",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectExecuted(args, false); }},
    {"expect function", "\"FUNCTION\" \"PARAMETER\" [VALUE...]",
     "exactly these values (V*N repeats), in order, reached the host function's parameter; no "
     "values: none did",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string function;
       std::string parameter;
       std::vector<std::int32_t> values;  // in the order they reached the parameter
       if (!args.text(function, "FUNCTION") || !args.text(parameter, "PARAMETER")) return nullptr;
       while (!args.atEnd()) {
         std::string token;
         if (!args.word(token, "VALUE")) return nullptr;
         std::int64_t repeat = 1;
         const std::size_t star = token.find('*');
         if (star != std::string::npos &&
             (!ArgumentReader::parseInteger(token.substr(star + 1), repeat) || repeat < 1 ||
              repeat > kMaxRepeat))
           return args.refuse("bad repeat in \"" + token + "\" (VALUE*N, N = 1.." +
                              std::to_string(kMaxRepeat) + ")");
         std::int32_t value = 0;
         if (!ArgumentReader::parseValue32(token.substr(0, star), value))
           return args.refuse("VALUE \"" + token + "\" is not a 32-bit whole number");
         values.insert(values.end(), static_cast<std::size_t>(repeat), value);
       }
       return [function, parameter, values](Simulation& simulation, std::string* why) {
         std::vector<std::int32_t> seen;
         for (const ParameterValue& v : simulation.host().parameterValues())
           if (v.function == function && v.parameter == parameter) seen.push_back(v.value);
         return seen == values ||
                expected(why,
                         QentSim::quoted(function) + " " + QentSim::quoted(parameter) +
                             " to receive " + numbers(values),
                         numbers(seen));
       };
     }},
    {"expect playing", "on|off", "the host's transport is playing, or not", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectTransport(args, &SimHost::playing, "playing"); }},
    {"expect recording", "on|off", "the host's transport is recording, or not", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectTransport(args, &SimHost::recording, "recording"); }},
    {"expect mixer", "KEY N", "the selected channel's mixer value KEY (\"mute\", \"solo\") is N",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string key;
       std::int32_t value = 0;
       if (!args.text(key, "KEY") || !args.value32(value, "N")) return nullptr;
       return [key, value](Simulation& simulation, std::string* why) {
         const std::int32_t seen = simulation.host().mixerValue(key);
         return seen == value ||
                expected(why, "mixer " + QentSim::quoted(key) + " " + std::to_string(value),
                         std::to_string(seen));
       };
     }},
    {"expect devices", "N", "the registry holds N remote devices", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::int64_t count = 0;
       if (!args.integer(count, "N", 0, kMaxCount)) return nullptr;
       return [count](Simulation& simulation, std::string* why) {
         const std::size_t seen = simulation.host().devices().size();
         return static_cast<std::int64_t>(seen) == count ||
                expected(why, std::to_string(count) + " remote device(s)",
                         std::to_string(seen) + " created by the registry");
       };
     }},
    {"expect device", "N \"INPUT\" \"OUTPUT\"", "device N (in creation order) sits on these ports",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::size_t device = 1;  // in creation order, from 1
       std::string input;
       std::string output;
       if (!args.integer(device, "N", 1, 100) || !args.text(input, "INPUT") ||
           !args.text(output, "OUTPUT"))
         return nullptr;
       return [device, input, output](Simulation& simulation, std::string* why) {
         const std::vector<DeviceInfo> devices = simulation.host().devices();
         const std::string label = "device " + std::to_string(device);
         if (device > devices.size())
           return expected(why, label,
                           "only " + std::to_string(devices.size()) + " created by the registry");
         const DeviceInfo& d = devices[device - 1];
         return (d.inputPort == input && d.outputPort == output) ||
                expected(why,
                         label + " on " + QentSim::quoted(input) + " / " + QentSim::quoted(output),
                         "it on " + QentSim::quoted(d.inputPort) + " / " +
                             QentSim::quoted(d.outputPort));
       };
     }},
    {"expect detect", "N|refused",
     "the last detect answered N (a 32-bit result, decimal or 0x hex), or its detector refused "
     "to initialize",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       const bool refused = args.takeWord("refused");  // the detector refused to initialize
       std::int32_t answer = 0;                        // else what detect() answered
       if (!refused && !args.value32(answer, "N")) return nullptr;
       return [refused, answer](Simulation& simulation, std::string* why) {
         const std::optional<DetectOutcome>& last = simulation.lastDetect();
         auto text = [](bool ran, std::int32_t result) {
           return ran ? std::to_string(result) : std::string("refused");
         };
         if (!last)
           return expected(why, "detection to answer " + text(!refused, answer),
                           "no detect command run yet");
         return (refused ? !last->ran : last->ran && last->result == answer) ||
                expected(why, "detection to answer " + text(!refused, answer),
                         text(last->ran, last->result));
       };
     }},
    {"expect step", "\"TEXT\"", "the host took this life-cycle step (a failure lists the steps)",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectStep(args, true); }},
    {"expect not-step", "\"TEXT\"", "the host did not take this life-cycle step", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectStep(args, false); }},
    {"expect value", "OBJECT KEY NUMBER [TOLERANCE]",
     "a plain value is NUMBER (within TOLERANCE): a project value (OBJECT as for set), Transport "
     "start|stop|record|position, Mixer mute|solo, the last value of a host function's parameter "
     "(Jog wheel, HoverKnob 1:dial)",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string object;
       std::string key;
       double value = 0.0;
       double tolerance = 0.0;
       if (!readObject(args, object, true) || !args.text(key, "KEY") ||
           !args.real(value, "NUMBER") || !(args.atEnd() || args.real(tolerance, "TOLERANCE")))
         return nullptr;
       return [object, key, value, tolerance](Simulation& simulation, std::string* why) {
         const SimHost& host = simulation.host();
         double seen = 0.0;
         const bool treeValue = object != "Transport" && object != "Jog" && object != "HoverKnob" &&
                                !(object == "Mixer" && (key == "mute" || key == "solo"));
         if (treeValue) {
           ValueReading reading;
           if (!projectValue(host, object, key, &reading, why)) return false;
           if (reading.text) {
             *why = object + " " + key + " is a text value (" + QentSim::quoted(reading.shown) +
                    "): check it with expect text";
             return false;
           }
           seen = reading.plain;
         } else if (!hostValue(host, object, key, &seen)) {
           *why = "no value " + object + " " + key +
                  " (the host keeps Transport start|stop|record|position, Mixer mute|solo, and "
                  "what reached Jog wheel, HoverKnob 1:dial|1:switch)";
           return false;
         }
         const double difference = seen > value ? seen - value : value - seen;
         return difference <= tolerance ||
                expected(
                    why,
                    object + " " + key + " to be " + number(value) +
                        (tolerance > 0 ? " (within " + number(tolerance) + ")" : std::string()),
                    number(seen));
       };
     }},
    {"expect text", "OBJECT KEY \"TEXT\"", "the host's text of a project value is TEXT",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) {
       return expectProjectValue(
           args,
           [](ArgumentReader& rest) {
             std::string text;
             return rest.text(text, "TEXT") ? std::optional(text) : std::nullopt;
           },
           [](const std::string& value, const std::string& text, const ValueReading& reading,
              std::string* why) {
             return reading.shown == text ||
                    expected(why, value + " to show " + QentSim::quoted(text),
                             QentSim::quoted(reading.shown));
           });
     }},
    {"expect edits", "OBJECT KEY N", "the module opened and closed N edits of that value",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) {
       return expectProjectValue(
           args,
           [](ArgumentReader& rest) {
             int count = 0;
             return rest.integer(count, "N", 0, kMaxCount) ? std::optional(count) : std::nullopt;
           },
           [](const std::string& value, int count, const ValueReading& reading, std::string* why) {
             return reading.completedEdits == count ||
                    expected(why, std::to_string(count) + " completed edit(s) of " + value,
                             std::to_string(reading.completedEdits) +
                                 (reading.editOpen ? " (one is open)" : ""));
           });
     }},
    {"expect edit", "OBJECT KEY open|closed", "an edit of that value is open right now, or none is",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) {
       return expectProjectValue(
           args,
           [](ArgumentReader& rest) -> std::optional<bool> {
             if (rest.takeWord("open")) return true;
             if (rest.takeWord("closed")) return false;
             rest.fail("expected open or closed");
             return std::nullopt;
           },
           [](const std::string& value, bool open, const ValueReading& reading, std::string* why) {
             return reading.editOpen == open ||
                    expected(why, "an edit of " + value + (open ? " to be open" : " to be closed"),
                             reading.editOpen ? "it open" : "it closed");
           });
     }},
    {"expect dependents", "N", "the module has N dependents registered right now", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       int count = 0;
       if (!args.integer(count, "N", 0, kMaxCount)) return nullptr;
       return [count](Simulation& simulation, std::string* why) {
         const int seen = simulation.host().dependentCount();
         return seen == count || expected(why, std::to_string(count) + " dependent(s)",
                                          std::to_string(seen) + " registered");
       };
     }},
    {"expect answer", "N",
     "the module's action answered N (a 32-bit result) to the last command or query that "
     "reached it",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::int32_t answer = 0;
       if (!args.value32(answer, "N")) return nullptr;
       return [answer](Simulation& simulation, std::string* why) {
         std::int32_t seen = 0;
         const std::string wanted = "the module to answer " + std::to_string(answer);
         if (!simulation.host().lastAnswer(&seen))
           return expected(why, wanted, "no command or query reach its action");
         return seen == answer || expected(why, wanted, std::to_string(seen));
       };
     }},
    {"expect setting", "\"SECTION\" \"KEY\" NUMBER|\"TEXT\"",
     "the host's settings hold this value under the key", Section::kCheck, Addressing::kHost,
     Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       SettingKey at;
       SettingValue value;
       if (!at.read(args) || !value.read(args)) return nullptr;
       return [at, value](Simulation& simulation, std::string* why) {
         SettingValue stored;
         const std::string wanted = "the setting " + at.describe() + " " + value.describe();
         if (!at.find(simulation, &stored)) return expected(why, wanted, "none");
         return (stored.isNumber == value.isNumber &&
                 (value.isNumber ? stored.number == value.number : stored.text == value.text)) ||
                expected(why, wanted, stored.describe());
       };
     }},
    {"expect no-setting", "\"SECTION\" \"KEY\"", "the host's settings hold no such key",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       SettingKey at;
       if (!at.read(args)) return nullptr;
       return [at](Simulation& simulation, std::string* why) {
         SettingValue stored;
         return !at.find(simulation, &stored) ||
                expected(why, "no setting " + at.describe(), stored.describe());
       };
     }},
    {"expect alert", "\"TEXT\"",
     "an alert box showed this message since the start or the last clear", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string message;
       if (!args.text(message, "TEXT")) return nullptr;
       return [message](Simulation& simulation, std::string* why) {
         const std::vector<std::string>& shown = simulation.host().alertsShown();
         return std::find(shown.begin(), shown.end(), message) != shown.end() ||
                expected(why, "the alert " + QentSim::quoted(message),
                         "the alerts " + listed(shown));
       };
     }},
    {"expect no-alert", "", "no alert box showed since the start or the last clear",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) {
         const std::vector<std::string>& shown = simulation.host().alertsShown();
         return shown.empty() || expected(why, "no alert", "the alerts " + listed(shown));
       };
     }},
    {"expect file", "\"FILE\" \"TEXT\"",
     "the file (relative to the scenario) exists and its text contains TEXT", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectFile(args, true); }},
    {"expect no-file", "\"FILE\"", "the file (relative to the scenario) does not exist",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) { return expectFile(args, false); }},
    {"expect panel", "NAME \"VALUE\"",
     "the open window's value of that control (shown in the visible view or not) is VALUE: "
     "\"on\"/\"off\", a number, a text, or a menu's selected entry",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       std::string value;
       if (!args.text(name, "NAME") || !args.text(value, "VALUE")) return nullptr;
       return [name, value](Simulation& simulation, std::string* why) {
         HostWindow* window = openWindow(simulation, why);
         std::string shown;
         if (window == nullptr || !window->valueOf(name, &shown, why)) return false;
         return trimmed(shown) == trimmed(value) ||
                expected(why, QentSim::quoted(name) + " to be " + QentSim::quoted(value),
                         QentSim::quoted(shown), "it is");
       };
     }},
    {"expect panel-entries", "NAME N", "the open window's menu of that name has N entries",
     Section::kCheck, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       int count = 0;
       if (!args.text(name, "NAME") || !args.integer(count, "N", 0, INT32_MAX)) return nullptr;
       return [name, count](Simulation& simulation, std::string* why) {
         HostWindow* window = openWindow(simulation, why);
         int seen = 0;
         if (window == nullptr || !window->entriesOf(name, &seen, why)) return false;
         return seen == count || expected(why,
                                          "menu " + QentSim::quoted(name) + " to have " +
                                              std::to_string(count) + " entries",
                                          std::to_string(seen));
       };
     }},
    {"expect panel-open", "yes|no", "whether a window of the module is open", Section::kCheck,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       const bool open = args.takeWord("yes");
       if (!open && !args.takeWord("no")) return args.refuse("expected yes or no");
       return [open](Simulation& simulation, std::string* why) {
         if (!windowsWork(simulation, why)) return false;
         const bool seen = simulation.host().activeWindow() != nullptr;
         return seen == open || expected(why, open ? "a window to be open" : "no window",
                                         seen ? "one open" : "none");
       };
     }},
};

}  // namespace

std::span<const CommandRow> hostCheckRows() { return kRows; }

}  // namespace QentSim
