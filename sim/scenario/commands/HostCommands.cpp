#include "sim/scenario/commands/HostCommands.h"

#include <cstdlib>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

namespace QentSim {

// ---- select ----

const CommandSpec SelectCommand::spec = {
    "select",           "\"TRACK\"",       "the user selects a track (not available yet)",
    Section::kHost,     Addressing::kHost, Effect::kChanges,
    make<SelectCommand>};

bool SelectCommand::read(ArgumentReader& args) { return args.text(track, "TRACK"); }

bool SelectCommand::run(Simulation&, std::string* why) const {
  *why = notYet("track selection");
  return false;
}

// ---- set ----

const CommandSpec SetCommand::spec = {
    "set",
    "OBJECT KEY VALUE",
    "the user changes a value: Transport position NUMBER moves the transport; other objects are "
    "not available yet",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<SetCommand>};

bool SetCommand::read(ArgumentReader& args) {
  return args.text(object, "OBJECT") && args.text(key, "KEY") && args.text(value, "VALUE");
}

bool SetCommand::run(Simulation& simulation, std::string* why) const {
  if (object == "Transport" && key == "position") {
    char* end = nullptr;
    const double position = std::strtod(value.c_str(), &end);
    if (end != value.c_str() && *end == '\0') {
      simulation.host().setPosition(position);
      return true;
    }
  }
  *why = notYet("object tree") + " (settable: Transport position)";
  return false;
}

// ---- page ----

const CommandSpec PageCommand::spec = {
    "page",
    "\"PAGE\"",
    "make PAGE the active page of every device and report it to the remotes",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<PageCommand>};

bool PageCommand::read(ArgumentReader& args) { return args.text(page, "PAGE"); }

bool PageCommand::run(Simulation& simulation, std::string*) const {
  return simulation.hostStep([&] {
    simulation.host().page(page);
    return true;
  });
}

// ---- command ----

const CommandSpec HostCommandCommand::spec = {
    "command",
    "\"CATEGORY\" \"NAME\"",
    "run a command through the command catalogue, as the user would",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<HostCommandCommand>};

bool HostCommandCommand::read(ArgumentReader& args) {
  return args.text(category, "CATEGORY") && args.text(name, "NAME");
}

bool HostCommandCommand::run(Simulation& simulation, std::string* why) const {
  if (simulation.hostStep([&] { return simulation.host().command(category, name); })) return true;
  *why = "the host has no command catalogue (service command-catalogue off)";
  return false;
}

// ---- menu ----

const CommandSpec MenuCommand::spec = {
    "menu",
    "\"TITLE\"",
    "the user picks an entry of the \"Devices\" menu (not available yet)",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<MenuCommand>};

bool MenuCommand::read(ArgumentReader& args) { return args.text(title, "TITLE"); }

bool MenuCommand::run(Simulation&, std::string* why) const {
  *why = notYet("\"Devices\" menu");
  return false;
}

}  // namespace QentSim
