#include "sim/scenario/commands/LifeCycleCommands.h"

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"

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

// Switches keyboard `keyboard`'s device on or off; false when it has none.
bool switchDevice(Simulation& simulation, int keyboard, bool on, std::string* why) {
  if (simulation.hostStep([&] { return simulation.host().setActive(keyboard, on); })) return true;
  *why = "keyboard " + std::to_string(keyboard) + " has no remote device";
  return false;
}

}  // namespace

// ---- start ----

const CommandSpec StartCommand::spec = {
    "start",
    "",
    "load and drive the module: InitDll, the service, a project, then device detection",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<StartCommand>};

bool StartCommand::run(Simulation& simulation, std::string* why) const {
  return startHost(simulation, why);
}

// ---- stop ----

const CommandSpec StopCommand::spec = {
    "stop",
    "",
    "shut down in order: remotes deactivated and detached, service terminated, module unloaded; "
    "fails when the module leaves dependents, held references or menu entries behind",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<StopCommand>};

bool StopCommand::run(Simulation& simulation, std::string* why) const {
  return stopHost(simulation, why);
}

// ---- restart ----

const CommandSpec RestartCommand::spec = {"restart",
                                          "",
                                          "stop (and its check), then start with the same set-up",
                                          Section::kLifeCycle,
                                          Addressing::kHost,
                                          Effect::kChanges,
                                          make<RestartCommand>};

bool RestartCommand::run(Simulation& simulation, std::string* why) const {
  return stopHost(simulation, why) && startHost(simulation, why);
}

// ---- detect ----

const CommandSpec DetectCommand::spec = {
    "detect",
    "",
    "run device detection again (expect detect checks its answer)",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<DetectCommand>};

bool DetectCommand::run(Simulation& simulation, std::string*) const {
  return simulation.hostStep([&] {
    simulation.noteDetect(simulation.host().detect());
    return true;
  });
}

// ---- unplug ----

const CommandSpec UnplugCommand::spec = {
    "unplug",
    "K",
    "keyboard K leaves: its remote deactivated and detached, its ports removed",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<UnplugCommand>};

bool UnplugCommand::read(ArgumentReader& args) {
  return args.integer(unplugged, "K", 1, Simulation::kMaxKeyboards);
}

bool UnplugCommand::run(Simulation& simulation, std::string* why) const {
  if (simulation.hostStep([&] { return simulation.host().unplug(unplugged); })) return true;
  *why = "there is no keyboard " + std::to_string(unplugged) + " to unplug";
  return false;
}

// ---- activate ----

const CommandSpec ActivateCommand::spec = {"activate",
                                           "K",
                                           "switch keyboard K's remote device back on",
                                           Section::kLifeCycle,
                                           Addressing::kHost,
                                           Effect::kChanges,
                                           make<ActivateCommand>};

bool ActivateCommand::read(ArgumentReader& args) {
  return args.integer(device, "K", 1, Simulation::kMaxKeyboards);
}

bool ActivateCommand::run(Simulation& simulation, std::string* why) const {
  return switchDevice(simulation, device, true, why);
}

// ---- deactivate ----

const CommandSpec DeactivateCommand::spec = {
    "deactivate",
    "K",
    "switch keyboard K's remote device off without detaching it",
    Section::kLifeCycle,
    Addressing::kHost,
    Effect::kChanges,
    make<DeactivateCommand>};

bool DeactivateCommand::read(ArgumentReader& args) {
  return args.integer(device, "K", 1, Simulation::kMaxKeyboards);
}

bool DeactivateCommand::run(Simulation& simulation, std::string* why) const {
  return switchDevice(simulation, device, false, why);
}

}  // namespace QentSim
