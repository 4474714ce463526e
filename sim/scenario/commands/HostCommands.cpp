#include "sim/scenario/commands/HostCommands.h"

#include "sim/host/SimHost.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

namespace QentSim {

// ---- select ----

const CommandSpec SelectCommand::spec = {
    "select",
    "\"TRACK\"|none",
    "the user selects that track (a folder too; the mixer's \"selected\" follows when it has a "
    "channel), or none",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<SelectCommand>};

bool SelectCommand::read(ArgumentReader& args) {
  none = args.takeWord("none");
  return none || args.text(track, "TRACK");
}

bool SelectCommand::run(Simulation& simulation, std::string* why) const {
  SimHost& host = simulation.host();
  return simulation.hostStep(
      [&] { return none ? host.selectNoTrack(why) : host.selectTrack(track, why); });
}

// ---- set ----

const CommandSpec SetCommand::spec = {
    "set",
    "OBJECT KEY NUMBER|\"TEXT\"",
    "the user changes a value: a plain NUMBER (clamped), or \"TEXT\" as typed (text values take "
    "it as it stands); OBJECT is track:NAME, eq:NAME, qc:NAME, inst:NAME, Mixer or Transport "
    "(position)",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<SetCommand>};

bool SetCommand::read(ArgumentReader& args) {
  if (!readObject(args, object, false) || !args.text(key, "KEY")) return false;
  fromText = args.nextQuoted();
  if (fromText ? !args.text(text, "TEXT") : !args.real(number, "NUMBER|\"TEXT\"")) return false;
  if (object == "Transport" && (key != "position" || fromText))
    return args.fail("the transport takes only position NUMBER");
  return true;
}

bool SetCommand::run(Simulation& simulation, std::string* why) const {
  SimHost& host = simulation.host();
  if (object == "Transport") {
    host.setPosition(number);
    return true;
  }
  return simulation.hostStep([&] {
    return fromText ? host.setValueText(object, key, text, why)
                    : host.setValue(object, key, number, why);
  });
}

// ---- route ----

const CommandSpec RouteCommand::spec = {
    "route",
    "\"TRACK\" \"INSTRUMENT\"",
    "a MIDI track plays another instrument (its output text and the connections change)",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<RouteCommand>};

bool RouteCommand::read(ArgumentReader& args) {
  return args.text(track, "TRACK") && args.text(instrument, "INSTRUMENT");
}

bool RouteCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.hostStep([&] { return simulation.host().routeTrack(track, instrument, why); });
}

// ---- remove ----

const CommandSpec RemoveCommand::spec = {
    "remove",
    "\"TRACK\"",
    "the track (a folder with its tracks) and its channel go away, with their notifications",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<RemoveCommand>};

bool RemoveCommand::read(ArgumentReader& args) { return args.text(track, "TRACK"); }

bool RemoveCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.hostStep([&] { return simulation.host().removeTrack(track, why); });
}

// ---- query ----

const CommandSpec QueryCommand::spec = {
    "query",
    "\"CATEGORY\" \"NAME\"",
    "the host asks the module's action with the query-only flag, as it does to fill a menu "
    "(expect answer checks what it answered)",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<QueryCommand>};

bool QueryCommand::read(ArgumentReader& args) {
  return args.text(category, "CATEGORY") && args.text(name, "NAME");
}

bool QueryCommand::run(Simulation& simulation, std::string* why) const {
  SimHost& host = simulation.host();
  if (simulation.hostStep([&] { return host.query(category, name); })) return true;
  if (!host.isRunning())
    *why = "the host is not running";
  else
    *why = "the query reached no action of the module: " + quoted(category + "/" + name) +
           " is not a command the module registered, or the command catalogue is withdrawn; "
           "registered: " +
           listed(host.registeredActions());
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
    "the user picks that entry of the host's \"Devices\" menu: its command runs through the "
    "command catalogue",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<MenuCommand>};

bool MenuCommand::read(ArgumentReader& args) { return args.text(title, "TITLE"); }

bool MenuCommand::run(Simulation& simulation, std::string* why) const {
  SimHost& host = simulation.host();
  std::string reason;
  const bool picked =
      simulation.hostStep([&] { return host.pickMenuEntry("Devices", title, &reason); });
  if (picked && host.panelProblems().empty()) return true;
  if (!picked) {
    *why = reason + "; entries: " + listed(host.menuTitles("Devices"));
  }
  // What the skin engine found (a package that did not load, a control without its value) is
  // the module's fault, and usually why the entry or its window is missing.
  const std::vector<std::string>& problems = host.panelProblems();
  if (!problems.empty()) {
    *why += std::string(why->empty() ? "" : "; ") + "the skin engine reported: ";
    for (std::size_t i = 0; i < problems.size(); ++i) *why += (i ? "; " : "") + problems[i];
  }
  return false;
}

}  // namespace QentSim
