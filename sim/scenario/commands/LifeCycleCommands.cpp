// Scenario commands that start, stop, restart and kill the host, run detection, and plug
// keyboards out or switch their devices off and on.
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// Loads and drives the module; false with the reason when it cannot load.
bool startHost(Simulation& simulation, std::string* why) {
  std::string error;
  SimHost& host = simulation.host();
  if (simulation.hostStep([&] { return host.start(&error); })) return true;
  *why = "the host could not load the module: " + error;
  return false;
}

// Stops the host; false with the reason when the module left dependents or references to the
// host's objects behind, which a real host would keep alive or call into after the module is gone.
bool stopHost(Simulation& simulation, std::string* why) {
  SimHost& host = simulation.host();
  simulation.hostStep([&] {
    host.stop();
    return true;
  });
  if (host.leftBehind().empty()) return true;
  *why = "the module left " + host.leftBehind() + " behind when it stopped";
  return false;
}

// activate K / deactivate K: switches keyboard K's device on or off; fails when it has none.
CommandAction switchDevice(ArgumentReader& args, bool on) {
  int keyboard = 1;
  if (!args.integer(keyboard, "K", 1, Simulation::kMaxKeyboards)) return nullptr;
  return [keyboard, on](Simulation& simulation, std::string* why) {
    if (simulation.hostStep([&] { return simulation.host().setActive(keyboard, on); })) return true;
    *why = "keyboard " + std::to_string(keyboard) + " has no remote device";
    return false;
  };
}

constexpr CommandRow kRows[] = {
    {"start", "",
     "load and drive the module: InitDll, the service, a project, then device detection",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction { return startHost; }},
    {"stop", "",
     "shut down in order: remotes deactivated and detached, service terminated, module unloaded; "
     "fails when the module leaves dependents, held references or menu entries behind",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction { return stopHost; }},
    {"restart", "", "stop (and its check), then start with the same set-up", Section::kLifeCycle,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) {
         return stopHost(simulation, why) && startHost(simulation, why);
       };
     }},
    {"kill", "",
     "the host ends at once without releasing the module's objects, as in a crash; start again "
     "runs a new host on the same settings",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string*) {
         return simulation.hostStep([&] {
           simulation.host().kill();
           return true;
         });
       };
     }},
    {"detect", "", "run device detection again (expect detect checks its answer)",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string*) {
         return simulation.hostStep([&] {
           simulation.noteDetect(simulation.host().detect());
           return true;
         });
       };
     }},
    {"unplug", "K", "keyboard K leaves: its remote deactivated and detached, its ports removed",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int unplugged = 1;
       if (!args.integer(unplugged, "K", 1, Simulation::kMaxKeyboards)) return nullptr;
       return [unplugged](Simulation& simulation, std::string* why) {
         if (simulation.hostStep([&] { return simulation.host().unplug(unplugged); })) return true;
         *why = "there is no keyboard " + std::to_string(unplugged) + " to unplug";
         return false;
       };
     }},
    {"activate", "K", "switch keyboard K's remote device back on", Section::kLifeCycle,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) { return switchDevice(args, true); }},
    {"deactivate", "K", "switch keyboard K's remote device off without detaching it",
     Section::kLifeCycle, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) { return switchDevice(args, false); }},
};

}  // namespace

std::span<const CommandRow> lifeCycleRows() { return kRows; }

}  // namespace QentSim
