// Scenario commands that set the host up before it starts; the set-up is kept across restarts.
#include <algorithm>
#include <iterator>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

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

// The project a scenario opens: a file as read, the demo, or none.
enum class ProjectSource { kFile, kDemo, kNone };

constexpr CommandRow kRows[] = {
    {"host", "\"PRODUCT\" \"VERSION\" \"BUILD\"",
     "what the host information answers (default \"Tessaly Studio\" \"7.5.0\" \"Build 100\")",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string product;
       std::string version;
       std::string build;
       if (!args.text(product, "PRODUCT") || !args.text(version, "VERSION") ||
           !args.text(build, "BUILD"))
         return nullptr;
       return [product, version, build](Simulation& simulation, std::string*) {
         simulation.host().setHostIdentity(product, version, build);
         return true;
       };
     }},
    {"language", "CODE", "the host's language (default en)", Section::kSetUp, Addressing::kHost,
     Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string code;
       if (!args.text(code, "CODE")) return nullptr;
       return [code](Simulation& simulation, std::string*) {
         simulation.host().setLanguage(code);
         return true;
       };
     }},
    {"keyboards", "N",
     "keyboards plugged in, 0..9 (default 1); while running, a larger N plugs more in",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int count = 0;
       if (!args.integer(count, "N", 0, Simulation::kMaxKeyboards)) return nullptr;
       return [count](Simulation& simulation, std::string*) {
         simulation.host().setKeyboardCount(count);
         return true;
       };
     }},
    {"port", "in|out \"NAME\" [K]",
     "one more MIDI port; with K it carries keyboard K's traffic, without it nothing",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string direction;
       std::string name;
       int carries = 0;  // the keyboard whose traffic the port carries; 0 none
       if (!args.word(direction, "in|out")) return nullptr;
       if (direction != "in" && direction != "out")
         return args.refuse("port direction must be in or out, not \"" + direction + "\"");
       if (!args.text(name, "NAME") ||
           !(args.atEnd() || args.integer(carries, "K", 0, Simulation::kMaxKeyboards)))
         return nullptr;
       return [input = direction == "in", name, carries](Simulation& simulation, std::string*) {
         simulation.host().addExtraPort(input, name, carries);
         return true;
       };
     }},
    {"service", "NAME on|off",
     "offer or withdraw a host service: idle, project, host-state, transport-position, "
     "command-catalogue, midi-port-list, device-registry, mixer-target, host-functions, "
     "panel-registry, devices-menu, object-tree, translator, settings, xml-reader, xml-writer, "
     "file-selectors, alert-box, dependencies, command-categories",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       bool offered = true;
       if (!args.word(name, "NAME")) return nullptr;
       const auto found = std::find_if(std::begin(kServices), std::end(kServices),
                                       [&name](const ServiceName& s) { return name == s.name; });
       if (found == std::end(kServices)) {
         std::string list;
         for (const ServiceName& s : kServices)
           list += std::string(list.empty() ? "" : ", ") + s.name;
         return args.refuse("unknown service \"" + name + "\" (one of " + list + ")");
       }
       if (!args.onOff(offered, "on|off")) return nullptr;
       return [service = found->service, offered](Simulation& simulation, std::string*) {
         simulation.host().setServiceEnabled(service, offered);
         return true;
       };
     }},
    {"project", "FILE|demo|none",
     "the project the host opens: a project file (relative to the scenario), the built-in demo "
     "project, or none; while running, the open project goes away and this one opens",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       ProjectSource source = ProjectSource::kFile;
       ProjectDescription project;  // kFile: the file as read
       if (args.takeWord("demo")) {
         source = ProjectSource::kDemo;
       } else if (args.takeWord("none")) {
         source = ProjectSource::kNone;
       } else {
         // Read and checked now, so that a refused project fails the scenario before it runs.
         std::string file;
         std::string error;
         if (!args.path(file, "FILE")) return nullptr;
         if (!ProjectDescription::readFile(file, &project, &error)) return args.refuse(error);
       }
       return [source, project](Simulation& simulation, std::string*) {
         SimHost& host = simulation.host();
         auto open = [&] {
           switch (source) {
             case ProjectSource::kFile:
               host.openProject(project);
               break;
             case ProjectSource::kDemo:
               host.openDemoProject();
               break;
             case ProjectSource::kNone:
               host.closeProject();
               break;
           }
           return true;
         };
         // While running, the change reaches the module now, and the keyboards see what follows.
         return host.isRunning() ? simulation.hostStep(open) : open();
       };
     }},
    {"settings", "FILE",
     "the host's settings file (relative to the scenario); without one they stay in memory",
     Section::kSetUp, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string file;
       if (!args.text(file, "FILE")) return nullptr;
       return [file](Simulation& simulation, std::string*) {
         std::string report;
         // A damaged file is reported and set aside; the run goes on with empty settings.
         if (!simulation.host().useSettingsFile(simulation.resolve(file), &report))
           simulation.out() << "settings: " << report << "\n";
         return true;
       };
     }},
    {"setting", "\"SECTION\" \"KEY\" NUMBER|\"TEXT\"",
     "store a value in the host's settings, as an earlier run would have", Section::kSetUp,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       SettingKey at;
       SettingValue value;
       if (!at.read(args) || !value.read(args)) return nullptr;
       return [at, value](Simulation& simulation, std::string* why) {
         SimHost& host = simulation.host();
         const bool stored = value.isNumber ? host.storeSetting(at.section, at.key, value.number)
                                            : host.storeSetting(at.section, at.key, value.text);
         if (stored) return true;
         *why = "the settings file could not be written";
         return false;
       };
     }},
};

}  // namespace

std::span<const CommandRow> setUpRows() { return kRows; }

}  // namespace QentSim
