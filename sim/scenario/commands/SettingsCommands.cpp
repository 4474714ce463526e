#include "sim/scenario/commands/SettingsCommands.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

namespace QentSim {

bool SettingValue::read(ArgumentReader& args) {
  isNumber = !args.nextQuoted();
  if (!isNumber) return args.text(text, "TEXT");
  return args.integer(number, "NUMBER", INT32_MIN, INT32_MAX);
}

std::string SettingValue::describe() const {
  return isNumber ? std::to_string(number) : QentSim::quoted(text);
}

// ---- setting ----

const CommandSpec SettingCommand::spec = {
    "setting",
    "\"SECTION\" \"KEY\" NUMBER|\"TEXT\"",
    "store a value in the host's settings, as an earlier run would have",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<SettingCommand>};

bool SettingCommand::read(ArgumentReader& args) {
  return args.text(section, "SECTION") && args.text(key, "KEY") && value.read(args);
}

bool SettingCommand::run(Simulation& simulation, std::string* why) const {
  SimHost& host = simulation.host();
  const bool stored = value.isNumber ? host.storeSetting(section, key, value.number)
                                     : host.storeSetting(section, key, value.text);
  if (stored) return true;
  *why = "the settings file could not be written";
  return false;
}

// ---- kill ----

const CommandSpec KillCommand::spec = {
    "kill",
    "",
    "the host ends at once without releasing the module's objects, as in a crash; start again "
    "runs a new host on the same settings",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<KillCommand>};

bool KillCommand::run(Simulation& simulation, std::string*) const {
  return simulation.hostStep([&] {
    simulation.host().kill();
    return true;
  });
}

// ---- dialog ----

bool DialogCommand::read(ArgumentReader& args) {
  return kind == DialogKind::kCancel || args.text(file, "FILE");
}

bool DialogCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().queueDialogAnswer(kind,
                                      kind == DialogKind::kCancel ? "" : simulation.resolve(file));
  return true;
}

const CommandSpec DialogSaveCommand::spec = {
    "dialog save",
    "\"FILE\"",
    "the next file selector, a save selector, answers with FILE (relative to the scenario)",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<DialogSaveCommand>};

const CommandSpec DialogOpenCommand::spec = {
    "dialog open",
    "\"FILE\"",
    "the next file selector, an open selector, answers with FILE; a selector without a queued "
    "answer, or of the other kind, is cancelled",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<DialogOpenCommand>};

const CommandSpec DialogCancelCommand::spec = {"dialog cancel",
                                               "",
                                               "the next file selector is cancelled",
                                               Section::kHost,
                                               Addressing::kHost,
                                               Effect::kChanges,
                                               make<DialogCancelCommand>};

// ---- alert ----

const CommandSpec AlertCommand::spec = {
    "alert",
    "N",
    "the next alert box answers with its button N (1-based); without one it answers with its "
    "last button",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<AlertCommand>};

bool AlertCommand::read(ArgumentReader& args) { return args.integer(button, "N", 1, 3); }

bool AlertCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().queueAlertAnswer(button);
  return true;
}

// ---- no-setting ----

const CommandSpec NoSettingCheck::spec = {
    "expect no-setting", "\"SECTION\" \"KEY\"", "the host's settings hold no such key",
    Section::kCheck,     Addressing::kHost,     Effect::kLooks,
    make<NoSettingCheck>};

bool NoSettingCheck::read(ArgumentReader& args) {
  return args.text(section, "SECTION") && args.text(key, "KEY");
}

bool NoSettingCheck::check(Simulation& simulation, std::string* why) const {
  bool isNumber = false;
  int number = 0;
  std::string text;
  if (!simulation.host().findSetting(section, key, &isNumber, &number, &text)) return true;
  *why = "expected no setting " + QentSim::quoted(section) + " " + QentSim::quoted(key) +
         ", found " + (isNumber ? std::to_string(number) : QentSim::quoted(text));
  return false;
}

// ---- alert ----

const CommandSpec AlertCheck::spec = {
    "expect alert",
    "\"TEXT\"",
    "an alert box showed this message since the start or the last clear",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<AlertCheck>};

bool AlertCheck::read(ArgumentReader& args) { return args.text(message, "TEXT"); }

bool AlertCheck::check(Simulation& simulation, std::string* why) const {
  for (const std::string& shown : simulation.host().alertsShown()) {
    if (shown == message) return true;
  }
  *why = "expected the alert " + QentSim::quoted(message) +
         ", shown: " + listed(simulation.host().alertsShown());
  return false;
}

const CommandSpec NoAlertCheck::spec = {"expect no-alert",
                                        "",
                                        "no alert box showed since the start or the last clear",
                                        Section::kCheck,
                                        Addressing::kHost,
                                        Effect::kLooks,
                                        make<NoAlertCheck>};

bool NoAlertCheck::check(Simulation& simulation, std::string* why) const {
  if (simulation.host().alertsShown().empty()) return true;
  *why = "expected no alert, shown: " + listed(simulation.host().alertsShown());
  return false;
}

// ---- file ----

const CommandSpec FileCheck::spec = {
    "expect file",
    "\"FILE\" \"TEXT\"",
    "the file (relative to the scenario) exists and its text contains TEXT",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<FileCheck>};

bool FileCheck::read(ArgumentReader& args) {
  return args.text(file, "FILE") && args.text(text, "TEXT");
}

bool FileCheck::check(Simulation& simulation, std::string* why) const {
  const std::string path = simulation.resolve(file);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "expected the file " + path + ", there is none";
    return false;
  }
  const std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (held.find(text) != std::string::npos) return true;
  *why = "expected " + path + " to contain " + QentSim::quoted(text) + ", it holds " +
         QentSim::quoted(held);
  return false;
}

const CommandSpec NoFileCheck::spec = {
    "expect no-file", "\"FILE\"",        "the file (relative to the scenario) does not exist",
    Section::kCheck,  Addressing::kHost, Effect::kLooks,
    make<NoFileCheck>};

bool NoFileCheck::read(ArgumentReader& args) { return args.text(file, "FILE"); }

bool NoFileCheck::check(Simulation& simulation, std::string* why) const {
  const std::string path = simulation.resolve(file);
  std::error_code failed;
  if (!std::filesystem::exists(path, failed) && !failed) return true;
  *why = "expected no file " + path + ", there is one";
  return false;
}

}  // namespace QentSim
