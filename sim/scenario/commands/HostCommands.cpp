// Scenario commands for what a user does in the host: switch pages, run commands, select
// tracks, change values, route and remove tracks, pick menu entries, work the module's window,
// and answer file selectors and alert boxes; and the host asking the module's commands as it
// does to fill a menu.
#include "sim/host/SimHost.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// One user action in the open window, as a host step of its own. The module's reactions may
// report faults (a notification circle); they fail the step.
template <class Act>
CommandAction inWindow(Act act) {
  return [act](Simulation& simulation, std::string* why) {
    HostWindow* window = openWindow(simulation, why);
    if (window == nullptr) return false;
    return simulation.hostStep([&] { return act(*window, why); }) && windowsWork(simulation, why);
  };
}

// dialog save|open "FILE" / dialog cancel: queues the next file selector's answer.
CommandAction answerDialog(ArgumentReader& args, DialogKind kind) {
  std::string file;
  if (kind != DialogKind::kCancel && !args.text(file, "FILE")) return nullptr;
  return [kind, file](Simulation& simulation, std::string*) {
    simulation.host().queueDialogAnswer(
        kind, kind == DialogKind::kCancel ? "" : simulation.resolve(file));
    return true;
  };
}

// A command of the host's catalogue: "CATEGORY" "NAME".
bool readCommand(ArgumentReader& args, std::string& category, std::string& name) {
  return args.text(category, "CATEGORY") && args.text(name, "NAME");
}

constexpr CommandRow kRows[] = {
    {"page", "\"PAGE\"", "make PAGE the active page of every device and report it to the remotes",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string page;
       if (!args.text(page, "PAGE")) return nullptr;
       return [page](Simulation& simulation, std::string*) {
         return simulation.hostStep([&] {
           simulation.host().page(page);
           return true;
         });
       };
     }},
    {"command", "\"CATEGORY\" \"NAME\"",
     "run a command through the command catalogue, as the user would", Section::kHost,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string category;
       std::string name;
       if (!readCommand(args, category, name)) return nullptr;
       return [category, name](Simulation& simulation, std::string* why) {
         if (simulation.hostStep([&] { return simulation.host().command(category, name); }))
           return true;
         *why = "the host has no command catalogue (service command-catalogue off)";
         return false;
       };
     }},
    {"set", "OBJECT KEY NUMBER|\"TEXT\"",
     "the user changes a value: a plain NUMBER (clamped), or \"TEXT\" as typed (text values take "
     "it as it stands); OBJECT is track:NAME, eq:NAME, qc:NAME, inst:NAME, Mixer or Transport "
     "(position)",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string object;
       std::string key;
       double number = 0.0;
       std::string text;
       if (!readObject(args, object, false) || !args.text(key, "KEY")) return nullptr;
       // A quoted value: the host reads it as the user typed it.
       const bool fromText = args.nextQuoted();
       if (fromText ? !args.text(text, "TEXT") : !args.real(number, "NUMBER|\"TEXT\""))
         return nullptr;
       if (object == "Transport" && (key != "position" || fromText))
         return args.refuse("the transport takes only position NUMBER");
       return [object, key, fromText, number, text](Simulation& simulation, std::string* why) {
         SimHost& host = simulation.host();
         if (object == "Transport") {
           host.setPosition(number);
           return true;
         }
         return simulation.hostStep([&] {
           return fromText ? host.setValueText(object, key, text, why)
                           : host.setValue(object, key, number, why);
         });
       };
     }},
    {"select", "\"TRACK\"|none",
     "the user selects that track (a folder too; the mixer's \"selected\" follows when it has a "
     "channel), or none",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string track;
       const bool none = args.takeWord("none");  // no track selected
       if (!none && !args.text(track, "TRACK")) return nullptr;
       return [none, track](Simulation& simulation, std::string* why) {
         SimHost& host = simulation.host();
         return simulation.hostStep(
             [&] { return none ? host.selectNoTrack(why) : host.selectTrack(track, why); });
       };
     }},
    {"route", "\"TRACK\" \"INSTRUMENT\"",
     "a MIDI track plays another instrument (its output text and the connections change)",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string track;
       std::string instrument;
       if (!args.text(track, "TRACK") || !args.text(instrument, "INSTRUMENT")) return nullptr;
       return [track, instrument](Simulation& simulation, std::string* why) {
         return simulation.hostStep(
             [&] { return simulation.host().routeTrack(track, instrument, why); });
       };
     }},
    {"remove", "\"TRACK\"",
     "the track (a folder with its tracks) and its channel go away, with their notifications",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string track;
       if (!args.text(track, "TRACK")) return nullptr;
       return [track](Simulation& simulation, std::string* why) {
         return simulation.hostStep([&] { return simulation.host().removeTrack(track, why); });
       };
     }},
    {"query", "\"CATEGORY\" \"NAME\"",
     "the host asks the module's action with the query-only flag, as it does to fill a menu "
     "(expect answer checks what it answered)",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string category;
       std::string name;
       if (!readCommand(args, category, name)) return nullptr;
       return [category, name](Simulation& simulation, std::string* why) {
         SimHost& host = simulation.host();
         if (simulation.hostStep([&] { return host.query(category, name); })) return true;
         if (!host.isRunning())
           *why = "the host is not running";
         else
           *why = "the query reached no action of the module: " + quoted(category + "/" + name) +
                  " is not a command the module registered, or the command catalogue is "
                  "withdrawn; registered: " +
                  listed(host.registeredActions());
         return false;
       };
     }},
    {"menu", "\"TITLE\"",
     "the user picks that entry of the host's \"Devices\" menu: its command runs through the "
     "command catalogue",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string title;
       if (!args.text(title, "TITLE")) return nullptr;
       return [title](Simulation& simulation, std::string* why) {
         SimHost& host = simulation.host();
         std::string reason;
         const bool picked =
             simulation.hostStep([&] { return host.pickMenuEntry("Devices", title, &reason); });
         if (picked && host.panelProblems().empty()) return true;
         if (!picked) *why = reason + "; entries: " + listed(host.menuTitles("Devices"));
         // What the skin engine found (a package that did not load, a control without its
         // value) is the module's fault, and usually why the entry or its window is missing.
         std::string problems;
         if (!windowsWork(simulation, &problems))
           *why += std::string(why->empty() ? "" : "; ") + problems;
         return false;
       };
     }},
    {"panel press", "NAME",
     "the user clicks a control of the open window's visible view: a push switch goes on and off "
     "again, an \"on\" switch or tab goes on, a checkbox toggles",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       if (!args.text(name, "NAME")) return nullptr;
       return inWindow(
           [name](HostWindow& window, std::string* why) { return window.press(name, why); });
     }},
    {"panel choose", "NAME \"ENTRY\"",
     "the user picks that entry of a menu of the open window's visible view", Section::kHost,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       std::string entry;
       if (!args.text(name, "NAME") || !args.text(entry, "ENTRY")) return nullptr;
       return inWindow([name, entry](HostWindow& window, std::string* why) {
         return window.choose(name, entry, why);
       });
     }},
    {"panel type", "NAME \"TEXT\"",
     "the user types TEXT into an edit field of the open window's visible view and leaves it",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string name;
       std::string text;
       if (!args.text(name, "NAME") || !args.text(text, "TEXT")) return nullptr;
       return inWindow([name, text](HostWindow& window, std::string* why) {
         return window.type(name, text, why);
       });
     }},
    {"panel close", "", "the user closes the open window", Section::kHost, Addressing::kHost,
     Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) {
         if (openWindow(simulation, why) == nullptr) return false;
         return simulation.hostStep([&] { return simulation.host().closeWindow(); }) &&
                windowsWork(simulation, why);
       };
     }},
    {"dialog save", "\"FILE\"",
     "the next file selector, a save selector, answers with FILE (relative to the scenario)",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) { return answerDialog(args, DialogKind::kSave); }},
    {"dialog open", "\"FILE\"",
     "the next file selector, an open selector, answers with FILE; a selector without a queued "
     "answer, or of the other kind, is cancelled",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) { return answerDialog(args, DialogKind::kOpen); }},
    {"dialog cancel", "", "the next file selector is cancelled", Section::kHost, Addressing::kHost,
     Effect::kChanges,
     [](ArgumentReader& args) { return answerDialog(args, DialogKind::kCancel); }},
    {"alert", "N",
     "the next alert box answers with its button N (1-based); without one it answers with its "
     "last button",
     Section::kHost, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int button = 1;
       if (!args.integer(button, "N", 1, 3)) return nullptr;
       return [button](Simulation& simulation, std::string*) {
         simulation.host().queueAlertAnswer(button);
         return true;
       };
     }},
};

}  // namespace

std::span<const CommandRow> hostRows() { return kRows; }

}  // namespace QentSim
