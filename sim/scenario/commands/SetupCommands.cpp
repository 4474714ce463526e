#include "sim/scenario/commands/SetupCommands.h"

#include <algorithm>
#include <iterator>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

namespace QentSim {

// ---- host ----

const CommandSpec HostIdentityCommand::spec = {
    "host",
    "\"PRODUCT\" \"VERSION\" \"BUILD\"",
    "what the host information answers (default \"Tessaly Studio\" \"7.5.0\" \"Build 100\")",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<HostIdentityCommand>};

bool HostIdentityCommand::read(ArgumentReader& args) {
  return args.text(product, "PRODUCT") && args.text(version, "VERSION") &&
         args.text(build, "BUILD");
}

bool HostIdentityCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setHostIdentity(product, version, build);
  return true;
}

// ---- language ----

const CommandSpec LanguageCommand::spec = {"language",
                                           "CODE",
                                           "the host's language (default en)",
                                           Section::kSetUp,
                                           Addressing::kHost,
                                           Effect::kChanges,
                                           make<LanguageCommand>};

bool LanguageCommand::read(ArgumentReader& args) { return args.text(code, "CODE"); }

bool LanguageCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setLanguage(code);
  return true;
}

// ---- project ----

const CommandSpec ProjectCommand::spec = {
    "project",
    "FILE|demo|none",
    "the project the host opens: a project file (relative to the scenario), the built-in demo "
    "project, or none; while running, the open project goes away and this one opens",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<ProjectCommand>};

bool ProjectCommand::read(ArgumentReader& args) {
  if (args.takeWord("demo")) {
    source = Source::kDemo;
    return true;
  }
  if (args.takeWord("none")) {
    source = Source::kNone;
    return true;
  }
  std::string file;
  if (!args.path(file, "FILE")) return false;
  std::string error;
  if (!ProjectDescription::readFile(file, &project, &error)) return args.fail(error);
  return true;
}

bool ProjectCommand::run(Simulation& simulation, std::string*) const {
  SimHost& host = simulation.host();
  auto open = [&] {
    switch (source) {
      case Source::kFile:
        host.openProject(project);
        break;
      case Source::kDemo:
        host.openDemoProject();
        break;
      case Source::kNone:
        host.closeProject();
        break;
    }
    return true;
  };
  // While running, the change reaches the module now, and the keyboards see what follows.
  return host.isRunning() ? simulation.hostStep(open) : open();
}

// ---- settings ----

const CommandSpec SettingsCommand::spec = {
    "settings",
    "FILE",
    "the host's settings file (relative to the scenario); without one they stay in memory",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<SettingsCommand>};

bool SettingsCommand::read(ArgumentReader& args) { return args.text(file, "FILE"); }

bool SettingsCommand::run(Simulation& simulation, std::string*) const {
  std::string report;
  // A damaged file is reported and set aside; the run goes on with empty settings.
  if (!simulation.host().useSettingsFile(simulation.resolve(file), &report))
    simulation.out() << "settings: " << report << "\n";
  return true;
}

// ---- keyboards ----

const CommandSpec KeyboardsCommand::spec = {
    "keyboards",
    "N",
    "keyboards plugged in, 0..9 (default 1); while running, a larger N plugs more in",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<KeyboardsCommand>};

bool KeyboardsCommand::read(ArgumentReader& args) {
  return args.integer(count, "N", 0, Simulation::kMaxKeyboards);
}

bool KeyboardsCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setKeyboardCount(count);
  return true;
}

// ---- port ----

const CommandSpec PortCommand::spec = {
    "port",
    "in|out \"NAME\" [K]",
    "one more MIDI port; with K it carries keyboard K's traffic, without it nothing",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<PortCommand>};

bool PortCommand::read(ArgumentReader& args) {
  std::string direction;
  if (!args.word(direction, "in|out")) return false;
  if (direction != "in" && direction != "out")
    return args.fail("port direction must be in or out, not \"" + direction + "\"");
  input = direction == "in";
  if (!args.text(name, "NAME")) return false;
  return args.atEnd() || args.integer(carries, "K", 0, Simulation::kMaxKeyboards);
}

bool PortCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().addExtraPort(input, name, carries);
  return true;
}

// ---- service ----

namespace {

struct ServiceName {
  const char* name;
  HostService service;
};

constexpr ServiceName kServices[] = {
    {"idle", HostService::kIdle},
    {"project", HostService::kProject},
    {"host-state", HostService::kHostState},
    {"transport-position", HostService::kTransportPosition},
    {"command-catalogue", HostService::kCommandCatalogue},
    {"midi-port-list", HostService::kMidiPortList},
    {"device-registry", HostService::kDeviceRegistry},
    {"mixer-target", HostService::kMixerTarget},
    {"host-functions", HostService::kHostFunctions},
    {"panel-registry", HostService::kPanelRegistry},
    {"devices-menu", HostService::kDevicesMenu},
    {"object-tree", HostService::kObjectTree},
    {"translator", HostService::kTranslator},
    {"settings", HostService::kSettings},
    {"xml-reader", HostService::kXmlReader},
    {"xml-writer", HostService::kXmlWriter},
    {"file-selectors", HostService::kFileSelectors},
    {"alert-box", HostService::kAlertBox},
    {"dependencies", HostService::kDependency},
    {"command-categories", HostService::kCommandCategoryList},
};

}  // namespace

const CommandSpec ServiceCommand::spec = {
    "service",
    "NAME on|off",
    "offer or withdraw a host service: idle, project, host-state, transport-position, "
    "command-catalogue, midi-port-list, device-registry, mixer-target, host-functions, "
    "panel-registry, devices-menu, object-tree, translator, settings, xml-reader, xml-writer, "
    "file-selectors, alert-box, dependencies, command-categories",
    Section::kSetUp,
    Addressing::kHost,
    Effect::kChanges,
    make<ServiceCommand>};

bool ServiceCommand::read(ArgumentReader& args) {
  std::string name;
  if (!args.word(name, "NAME")) return false;
  const auto found = std::find_if(std::begin(kServices), std::end(kServices),
                                  [&name](const ServiceName& s) { return name == s.name; });
  if (found == std::end(kServices)) {
    std::string list;
    for (const ServiceName& s : kServices) list += std::string(list.empty() ? "" : ", ") + s.name;
    return args.fail("unknown service \"" + name + "\" (one of " + list + ")");
  }
  service = found->service;
  return args.onOff(offered, "on|off");
}

bool ServiceCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setServiceEnabled(service, offered);
  return true;
}

}  // namespace QentSim
