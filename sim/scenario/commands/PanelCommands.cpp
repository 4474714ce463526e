#include "sim/scenario/commands/PanelCommands.h"

#include "sim/host/panels/HostWindow.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"
#include "sim/scenario/commands/HostCommands.h"

namespace QentSim {

namespace {

// False with the reason when the skin engine found faults.
bool windowsWork(Simulation& simulation, std::string* why) {
  const std::vector<std::string>& problems = simulation.host().panelProblems();
  if (problems.empty()) return true;
  *why = "the skin engine reported: ";
  for (std::size_t i = 0; i < problems.size(); ++i) *why += (i ? "; " : "") + problems[i];
  return false;
}

// The open window; null with the reason when there is none.
HostWindow* openWindow(Simulation& simulation, std::string* why) {
  if (!windowsWork(simulation, why)) return nullptr;
  HostWindow* window = simulation.host().activeWindow();
  if (window == nullptr) *why = "no window is open";
  return window;
}

// One user action in the open window, as a host step of its own.
template <class Action>
bool act(Simulation& simulation, std::string* why, Action action) {
  HostWindow* window = openWindow(simulation, why);
  if (window == nullptr) return false;
  // The module's reactions may report faults (a notification circle); they fail the step.
  return simulation.hostStep([&] { return action(*window); }) && windowsWork(simulation, why);
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

// ---- panel press ----

const CommandSpec PanelPressCommand::spec = {
    "panel press",
    "NAME",
    "the user clicks a control of the open window's visible view: a push switch goes on and off "
    "again, an \"on\" switch or tab goes on, a checkbox toggles",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<PanelPressCommand>};

bool PanelPressCommand::read(ArgumentReader& args) { return args.text(name, "NAME"); }

bool PanelPressCommand::run(Simulation& simulation, std::string* why) const {
  return act(simulation, why, [&](HostWindow& window) { return window.press(name, why); });
}

// ---- panel choose ----

const CommandSpec PanelChooseCommand::spec = {
    "panel choose",
    "NAME \"ENTRY\"",
    "the user picks that entry of a menu of the open window's visible view",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<PanelChooseCommand>};

bool PanelChooseCommand::read(ArgumentReader& args) {
  return args.text(name, "NAME") && args.text(entry, "ENTRY");
}

bool PanelChooseCommand::run(Simulation& simulation, std::string* why) const {
  return act(simulation, why, [&](HostWindow& window) { return window.choose(name, entry, why); });
}

// ---- panel type ----

const CommandSpec PanelTypeCommand::spec = {
    "panel type",
    "NAME \"TEXT\"",
    "the user types TEXT into an edit field of the open window's visible view and leaves it",
    Section::kHost,
    Addressing::kHost,
    Effect::kChanges,
    make<PanelTypeCommand>};

bool PanelTypeCommand::read(ArgumentReader& args) {
  return args.text(name, "NAME") && args.text(text, "TEXT");
}

bool PanelTypeCommand::run(Simulation& simulation, std::string* why) const {
  return act(simulation, why, [&](HostWindow& window) { return window.type(name, text, why); });
}

// ---- panel close ----

const CommandSpec PanelCloseCommand::spec = {"panel close",
                                             "",
                                             "the user closes the open window",
                                             Section::kHost,
                                             Addressing::kHost,
                                             Effect::kChanges,
                                             make<PanelCloseCommand>};

bool PanelCloseCommand::run(Simulation& simulation, std::string* why) const {
  if (openWindow(simulation, why) == nullptr) return false;
  return simulation.hostStep([&] { return simulation.host().closeWindow(); }) &&
         windowsWork(simulation, why);
}

// ---- panel show ----

const CommandSpec PanelShowCommand::spec = {"panel show",
                                            "",
                                            "draw the open window's visible view with its values",
                                            Section::kOther,
                                            Addressing::kHost,
                                            Effect::kLooks,
                                            make<PanelShowCommand>};

bool PanelShowCommand::run(Simulation& simulation, std::string* why) const {
  if (!simulation.settle(why)) return false;
  HostWindow* window = openWindow(simulation, why);
  if (window == nullptr) return false;
  simulation.out() << window->draw();
  return true;
}

// ---- expect panel ----

const CommandSpec PanelValueCheck::spec = {
    "expect panel",
    "NAME \"VALUE\"",
    "the open window's value of that control (shown in the visible view or not) is VALUE: "
    "\"on\"/\"off\", a number, a text, or a menu's selected entry",
    Section::kCheck,
    Addressing::kHost,
    Effect::kLooks,
    make<PanelValueCheck>};

bool PanelValueCheck::read(ArgumentReader& args) {
  return args.text(name, "NAME") && args.text(value, "VALUE");
}

bool PanelValueCheck::check(Simulation& simulation, std::string* why) const {
  HostWindow* window = openWindow(simulation, why);
  if (window == nullptr) return false;
  std::string shown;
  if (!window->valueOf(name, &shown, why)) return false;
  if (trimmed(shown) == trimmed(value)) return true;
  *why = "expected " + quoted(name) + " to be " + quoted(value) + ", it is " + quoted(shown);
  return false;
}

// ---- expect panel-entries ----

const CommandSpec PanelEntriesCheck::spec = {
    "expect panel-entries", "NAME N",          "the open window's menu of that name has N entries",
    Section::kCheck,        Addressing::kHost, Effect::kLooks,
    make<PanelEntriesCheck>};

bool PanelEntriesCheck::read(ArgumentReader& args) {
  return args.text(name, "NAME") && args.integer(count, "N", 0, INT32_MAX);
}

bool PanelEntriesCheck::check(Simulation& simulation, std::string* why) const {
  HostWindow* window = openWindow(simulation, why);
  if (window == nullptr) return false;
  int seen = 0;
  if (!window->entriesOf(name, &seen, why)) return false;
  if (seen == count) return true;
  *why = "expected menu " + quoted(name) + " to have " + std::to_string(count) +
         " entries, it has " + std::to_string(seen);
  return false;
}

// ---- expect panel-open ----

const CommandSpec PanelOpenCheck::spec = {
    "expect panel-open", "yes|no",          "whether a window of the module is open",
    Section::kCheck,     Addressing::kHost, Effect::kLooks,
    make<PanelOpenCheck>};

bool PanelOpenCheck::read(ArgumentReader& args) {
  if (args.takeWord("yes")) return true;
  open = false;
  return args.takeWord("no") || args.fail("expected yes or no");
}

bool PanelOpenCheck::check(Simulation& simulation, std::string* why) const {
  if (!windowsWork(simulation, why)) return false;
  const bool seen = simulation.host().activeWindow() != nullptr;
  if (seen == open) return true;
  *why = open ? "expected a window to be open, none is" : "expected no window, one is open";
  return false;
}

}  // namespace QentSim
