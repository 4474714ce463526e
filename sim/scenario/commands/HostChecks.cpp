#include "sim/scenario/commands/HostChecks.h"

#include <algorithm>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

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

bool expectExecuted(const SimHost& host, const std::string& category, const std::string& name,
                    bool wanted, std::string* why) {
  const bool done = host.wasExecuted(category, name);
  if (done == wanted) return true;
  std::vector<std::string> executed;
  for (const auto& [c, n] : host.executedCommands())
    executed.push_back(std::string(c).append("/").append(n));
  *why = "expected " + quoted(category + "/" + name) + (done ? " not to run" : " to run") +
         "; executed: " + listed(executed);
  return false;
}

bool expectTransport(bool is, bool wanted, const char* state, std::string* why) {
  if (is == wanted) return true;
  *why = std::string("expected the transport ") + (wanted ? "" : "not ") + state + ", it is " +
         (is ? "" : "not ") + state;
  return false;
}

bool expectStep(const SimHost& host, const std::string& step, bool wanted, std::string* why) {
  const auto& steps = host.lifecycleLog();
  const bool taken = std::find(steps.begin(), steps.end(), step) != steps.end();
  if (taken == wanted) return true;
  *why = "expected the host " + std::string(taken ? "not " : "") + "to take the step " +
         quoted(step) + "; steps: " + listed(steps);
  return false;
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

bool readValueName(ArgumentReader& args, std::string& object, std::string& key) {
  return readObject(args, object, false) && args.text(key, "KEY");
}

}  // namespace

// ---- mode ----

const CommandSpec ModeCheck::spec = {"expect mode",
                                     "\"TEXT\"",
                                     "the mode text the host last showed for the keyboard is TEXT",
                                     Section::kCheck,
                                     Addressing::kHost,
                                     Effect::kLooks,
                                     make<ModeCheck>};

bool ModeCheck::read(ArgumentReader& args) { return args.text(text, "TEXT"); }

bool ModeCheck::check(Simulation& simulation, std::string* why) const {
  const std::string& shown = simulation.host().lastShownText();
  if (shown == text) return true;
  *why = "expected mode text " + QentSim::quoted(text) + ", the host last showed " + quoted(shown);
  return false;
}

// ---- executed ----

const CommandSpec ExecutedCheck::spec = {
    "expect executed", "\"CATEGORY\" \"NAME\"", "the host ran that command", Section::kCheck,
    Addressing::kHost, Effect::kLooks,          make<ExecutedCheck>};

bool ExecutedCheck::read(ArgumentReader& args) {
  return args.text(category, "CATEGORY") && args.text(name, "NAME");
}

bool ExecutedCheck::check(Simulation& simulation, std::string* why) const {
  return expectExecuted(simulation.host(), category, name, true, why);
}

// ---- not-executed ----

const CommandSpec NotExecutedCheck::spec = {
    "expect not-executed", "\"CATEGORY\" \"NAME\"", "the host did not run that command",
    Section::kCheck,       Addressing::kHost,       Effect::kLooks,
    make<NotExecutedCheck>};

bool NotExecutedCheck::read(ArgumentReader& args) {
  return args.text(category, "CATEGORY") && args.text(name, "NAME");
}

bool NotExecutedCheck::check(Simulation& simulation, std::string* why) const {
  return expectExecuted(simulation.host(), category, name, false, why);
}

// ---- function ----

const CommandSpec FunctionCheck::spec = {
    "expect function",
    "\"FUNCTION\" \"PARAMETER\" [VALUE...]",
    "exactly these values (V*N repeats), in order, reached the host function's parameter; no "
    "values: none did",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<FunctionCheck>};

bool FunctionCheck::read(ArgumentReader& args) {
  if (!args.text(function, "FUNCTION") || !args.text(parameter, "PARAMETER")) return false;
  while (!args.atEnd()) {
    std::string token;
    if (!args.word(token, "VALUE")) return false;
    std::int64_t repeat = 1;
    const std::size_t star = token.find('*');
    if (star != std::string::npos &&
        (!ArgumentReader::parseInteger(token.substr(star + 1), repeat) || repeat < 1 ||
         repeat > kMaxRepeat))
      return args.fail("bad repeat in \"" + token + "\" (VALUE*N, N = 1.." +
                       std::to_string(kMaxRepeat) + ")");
    std::int32_t value = 0;
    if (!ArgumentReader::parseValue32(token.substr(0, star), value))
      return args.fail("VALUE \"" + token + "\" is not a 32-bit whole number");
    values.insert(values.end(), static_cast<std::size_t>(repeat), value);
  }
  return true;
}

bool FunctionCheck::check(Simulation& simulation, std::string* why) const {
  std::vector<std::int32_t> seen;
  for (const ParameterValue& v : simulation.host().parameterValues())
    if (v.function == function && v.parameter == parameter) seen.push_back(v.value);
  if (seen == values) return true;
  *why = "expected " + quoted(function) + " " + quoted(parameter) + " to receive " +
         numbers(values) + ", it received " + numbers(seen);
  return false;
}

// ---- playing ----

const CommandSpec PlayingCheck::spec = {
    "expect playing",  "on|off",          "the host's transport is playing, or not",
    Section::kCheck,   Addressing::kHost, Effect::kLooks,
    make<PlayingCheck>};

bool PlayingCheck::read(ArgumentReader& args) { return args.onOff(on, "on|off"); }

bool PlayingCheck::check(Simulation& simulation, std::string* why) const {
  return expectTransport(simulation.host().playing(), on, "playing", why);
}

// ---- recording ----

const CommandSpec RecordingCheck::spec = {
    "expect recording",  "on|off",          "the host's transport is recording, or not",
    Section::kCheck,     Addressing::kHost, Effect::kLooks,
    make<RecordingCheck>};

bool RecordingCheck::read(ArgumentReader& args) { return args.onOff(on, "on|off"); }

bool RecordingCheck::check(Simulation& simulation, std::string* why) const {
  return expectTransport(simulation.host().recording(), on, "recording", why);
}

// ---- mixer ----

const CommandSpec MixerCheck::spec = {
    "expect mixer",
    "KEY N",
    "the selected channel's mixer value KEY (\"mute\", \"solo\") is N",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<MixerCheck>};

bool MixerCheck::read(ArgumentReader& args) {
  return args.text(key, "KEY") && args.value32(value, "N");
}

bool MixerCheck::check(Simulation& simulation, std::string* why) const {
  const std::int32_t seen = simulation.host().mixerValue(key);
  if (seen == value) return true;
  *why = "expected mixer " + QentSim::quoted(key) + " " + std::to_string(value) + ", it is " +
         std::to_string(seen);
  return false;
}

// ---- devices ----

const CommandSpec DevicesCheck::spec = {"expect devices",
                                        "N",
                                        "the registry holds N remote devices",
                                        Section::kCheck,
                                        Addressing::kHost,
                                        Effect::kLooks,
                                        make<DevicesCheck>};

bool DevicesCheck::read(ArgumentReader& args) { return args.integer(count, "N", 0, kMaxCount); }

bool DevicesCheck::check(Simulation& simulation, std::string* why) const {
  const std::size_t seen = simulation.host().devices().size();
  if (static_cast<std::int64_t>(seen) == count) return true;
  *why = "expected " + std::to_string(count) + " remote device(s), the registry created " +
         std::to_string(seen);
  return false;
}

// ---- device ----

const CommandSpec DeviceCheck::spec = {
    "expect device",  "N \"INPUT\" \"OUTPUT\"", "device N (in creation order) sits on these ports",
    Section::kCheck,  Addressing::kHost,        Effect::kLooks,
    make<DeviceCheck>};

bool DeviceCheck::read(ArgumentReader& args) {
  return args.integer(device, "N", 1, 100) && args.text(input, "INPUT") &&
         args.text(output, "OUTPUT");
}

bool DeviceCheck::check(Simulation& simulation, std::string* why) const {
  const std::vector<DeviceInfo> devices = simulation.host().devices();
  const std::string label = "device " + std::to_string(device);
  if (device > devices.size()) {
    *why = "expected " + label + ", the registry created only " + std::to_string(devices.size());
    return false;
  }
  const DeviceInfo& d = devices[device - 1];
  if (d.inputPort == input && d.outputPort == output) return true;
  *why = "expected " + label + " on " + quoted(input) + " / " + quoted(output) + ", it is on " +
         quoted(d.inputPort) + " / " + quoted(d.outputPort);
  return false;
}

// ---- bindings ----

const CommandSpec BindingsCheck::spec = {
    "expect bindings",
    "N",
    "keyboard K's remote declared N bindings (commands, values, functions on every page)",
    Section::kCheck,
    Addressing::kKeyboard,
    Effect::kLooks,
    make<BindingsCheck>};

bool BindingsCheck::read(ArgumentReader& args) { return args.integer(count, "N", 0, kMaxCount); }

bool BindingsCheck::check(Simulation& simulation, std::string* why) const {
  const std::size_t seen = simulation.host().bindings(keyboard).size();
  if (static_cast<std::int64_t>(seen) == count) return true;
  *why = "expected " + std::to_string(count) + " binding(s) for keyboard " +
         std::to_string(keyboard) + ", the host holds " + std::to_string(seen);
  return false;
}

// ---- detect ----

const CommandSpec DetectCheck::spec = {
    "expect detect",
    "N|refused",
    "the last detect answered N (a 32-bit result, decimal or 0x hex), or its detector refused "
    "to initialize",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<DetectCheck>};

bool DetectCheck::read(ArgumentReader& args) {
  refused = args.takeWord("refused");
  return refused || args.value32(answer, "N");
}

bool DetectCheck::check(Simulation& simulation, std::string* why) const {
  const std::optional<DetectOutcome>& last = simulation.lastDetect();
  if (!last) {
    *why = "no detect command has run yet";
    return false;
  }
  if (refused ? !last->ran : last->ran && last->result == answer) return true;
  *why = "expected detection to answer " +
         (refused ? std::string("refused") : std::to_string(answer)) + ", it answered " +
         (last->ran ? std::to_string(last->result) : std::string("refused"));
  return false;
}

// ---- step ----

const CommandSpec StepCheck::spec = {
    "expect step",
    "\"TEXT\"",
    "the host took this life-cycle step (a failure lists the steps)",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<StepCheck>};

bool StepCheck::read(ArgumentReader& args) { return args.text(step, "TEXT"); }

bool StepCheck::check(Simulation& simulation, std::string* why) const {
  return expectStep(simulation.host(), step, true, why);
}

// ---- not-step ----

const CommandSpec NotStepCheck::spec = {
    "expect not-step", "\"TEXT\"",        "the host did not take this life-cycle step",
    Section::kCheck,   Addressing::kHost, Effect::kLooks,
    make<NotStepCheck>};

bool NotStepCheck::read(ArgumentReader& args) { return args.text(step, "TEXT"); }

bool NotStepCheck::check(Simulation& simulation, std::string* why) const {
  return expectStep(simulation.host(), step, false, why);
}

// ---- value ----

const CommandSpec ValueCheck::spec = {
    "expect value",
    "OBJECT KEY NUMBER [TOLERANCE]",
    "a plain value is NUMBER (within TOLERANCE): a project value (OBJECT as for set), Transport "
    "start|stop|record|position, Mixer mute|solo, the last value of a host function's parameter "
    "(Jog wheel, HoverKnob 1:dial)",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<ValueCheck>};

bool ValueCheck::read(ArgumentReader& args) {
  return readObject(args, object, true) && args.text(key, "KEY") && args.real(value, "NUMBER") &&
         (args.atEnd() || args.real(tolerance, "TOLERANCE"));
}

bool ValueCheck::check(Simulation& simulation, std::string* why) const {
  const SimHost& host = simulation.host();
  double seen = 0.0;
  const bool treeValue = object != "Transport" && object != "Jog" && object != "HoverKnob" &&
                         !(object == "Mixer" && (key == "mute" || key == "solo"));
  if (treeValue) {
    ValueReading reading;
    if (!projectValue(host, object, key, &reading, why)) return false;
    if (reading.text) {
      *why = object + " " + key + " is a text value (" + quoted(reading.shown) +
             "): check it with expect text";
      return false;
    }
    seen = reading.plain;
  } else if (!hostValue(host, object, key, &seen)) {
    *why = "no value " + object + " " + key +
           " (the host keeps Transport start|stop|record|position, Mixer mute|solo, and what "
           "reached Jog wheel, HoverKnob 1:dial|1:switch)";
    return false;
  }
  const double difference = seen > value ? seen - value : value - seen;
  if (difference <= tolerance) return true;
  *why = "expected " + object + " " + key + " to be " + number(value) +
         (tolerance > 0 ? " (within " + number(tolerance) + ")" : std::string()) + ", it is " +
         number(seen);
  return false;
}

// ---- text ----

const CommandSpec TextCheck::spec = {
    "expect text",   "OBJECT KEY \"TEXT\"", "the host's text of a project value is TEXT",
    Section::kCheck, Addressing::kHost,     Effect::kLooks,
    make<TextCheck>};

bool TextCheck::read(ArgumentReader& args) {
  return readValueName(args, object, key) && args.text(text, "TEXT");
}

bool TextCheck::check(Simulation& simulation, std::string* why) const {
  ValueReading reading;
  if (!projectValue(simulation.host(), object, key, &reading, why)) return false;
  if (reading.shown == text) return true;
  *why = "expected " + object + " " + key + " to show " + quoted(text) + ", it shows " +
         quoted(reading.shown);
  return false;
}

// ---- edits ----

const CommandSpec EditsCheck::spec = {
    "expect edits",  "OBJECT KEY N",    "the module opened and closed N edits of that value",
    Section::kCheck, Addressing::kHost, Effect::kLooks,
    make<EditsCheck>};

bool EditsCheck::read(ArgumentReader& args) {
  return readValueName(args, object, key) && args.integer(count, "N", 0, kMaxCount);
}

bool EditsCheck::check(Simulation& simulation, std::string* why) const {
  ValueReading reading;
  if (!projectValue(simulation.host(), object, key, &reading, why)) return false;
  if (reading.completedEdits == count) return true;
  *why = "expected " + std::to_string(count) + " completed edit(s) of " + object + " " + key +
         ", the host recorded " + std::to_string(reading.completedEdits) +
         (reading.editOpen ? " (one is open)" : "");
  return false;
}

// ---- edit ----

const CommandSpec EditCheck::spec = {"expect edit",
                                     "OBJECT KEY open|closed",
                                     "an edit of that value is open right now, or none is",
                                     Section::kCheck,
                                     Addressing::kHost,
                                     Effect::kLooks,
                                     make<EditCheck>};

bool EditCheck::read(ArgumentReader& args) {
  if (!readValueName(args, object, key)) return false;
  open = args.takeWord("open");
  return open || args.takeWord("closed") || args.fail("expected open or closed");
}

bool EditCheck::check(Simulation& simulation, std::string* why) const {
  ValueReading reading;
  if (!projectValue(simulation.host(), object, key, &reading, why)) return false;
  if (reading.editOpen == open) return true;
  *why = "expected an edit of " + object + " " + key + (open ? " to be open" : " to be closed") +
         ", it is " + (reading.editOpen ? "open" : "closed");
  return false;
}

// ---- dependents ----

const CommandSpec DependentsCheck::spec = {"expect dependents",
                                           "N",
                                           "the module has N dependents registered right now",
                                           Section::kCheck,
                                           Addressing::kHost,
                                           Effect::kLooks,
                                           make<DependentsCheck>};

bool DependentsCheck::read(ArgumentReader& args) { return args.integer(count, "N", 0, kMaxCount); }

bool DependentsCheck::check(Simulation& simulation, std::string* why) const {
  const int seen = simulation.host().dependentCount();
  if (seen == count) return true;
  *why = "expected " + std::to_string(count) + " dependent(s), the module has " +
         std::to_string(seen) + " registered";
  return false;
}

// ---- answer ----

const CommandSpec AnswerCheck::spec = {
    "expect answer",
    "N",
    "the module's action answered N (a 32-bit result) to the last command or query that "
    "reached it",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<AnswerCheck>};

bool AnswerCheck::read(ArgumentReader& args) { return args.value32(answer, "N"); }

bool AnswerCheck::check(Simulation& simulation, std::string* why) const {
  std::int32_t seen = 0;
  if (!simulation.host().lastAnswer(&seen)) {
    *why = "expected the module to answer " + std::to_string(answer) +
           ", no command or query has reached its action";
    return false;
  }
  if (seen == answer) return true;
  *why = "expected the module to answer " + std::to_string(answer) + ", it answered " +
         std::to_string(seen);
  return false;
}

// ---- setting ----

const CommandSpec SettingCheck::spec = {"expect setting",
                                        "\"SECTION\" \"KEY\" NUMBER|\"TEXT\"",
                                        "the host's settings hold this value under the key",
                                        Section::kCheck,
                                        Addressing::kHost,
                                        Effect::kLooks,
                                        make<SettingCheck>};

bool SettingCheck::read(ArgumentReader& args) {
  if (!args.text(section, "SECTION") || !args.text(key, "KEY")) return false;
  isNumber = !args.nextQuoted();
  return isNumber ? args.integer(number, "NUMBER", INT32_MIN, INT32_MAX) : args.text(text, "TEXT");
}

bool SettingCheck::check(Simulation& simulation, std::string* why) const {
  bool storedNumber = false;
  int storedValue = 0;
  std::string storedText;
  const std::string expected = isNumber ? std::to_string(number) : QentSim::quoted(text);
  if (!simulation.host().findSetting(section, key, &storedNumber, &storedValue, &storedText)) {
    *why = "expected the setting " + QentSim::quoted(section) + " " + QentSim::quoted(key) + " " +
           expected + ", there is none";
    return false;
  }
  if (storedNumber == isNumber && (isNumber ? storedValue == number : storedText == text))
    return true;
  *why = "expected the setting " + QentSim::quoted(section) + " " + QentSim::quoted(key) + " " +
         expected + ", it holds " +
         (storedNumber ? std::to_string(storedValue) : QentSim::quoted(storedText));
  return false;
}

}  // namespace QentSim
