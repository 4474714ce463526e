#include "sim/Demo.h"

#include "sim/CommandLine.h"
#include "sim/scenario/ScenarioRunner.h"

namespace QentSim {

const char* demoScenario() {
  return R"demo(# The demo: one keyboard on a supported host.
say "== qentsim demo: a QENT6/QENT8 keyboard plugged into the simulated host"
host "Tessaly Studio" "7.5.0" "Build 100"
keyboards 1
project demo
say "== The host opens its demo project (track \"Lead\" selected) and loads the module; detection"
say "   finds the keyboard's \"-2\" ports and sets up a remote. Its first idle call says hello;"
say "   the keyboard answers that it is in remote mode, and the remote lights the lamps: SF bank"
say "   1, the dial in Hover Knob Mode."
start
settle
say "== Transport buttons run the host's default bindings; the host lights Play and Record."
say "-- Play"
tap Play
settle
say "-- Record"
tap Record
settle
say "-- Stop"
tap Stop
settle
say "-- Top"
tap Top
settle
say "== Hover Knob Mode: the dial and Lock drive the host's hover knob."
turn DataDial 2
turn DataDial -1
tap Lock
settle
say "== Jog switches the dial to Jog Mode. A tick of 5 scrolls and repeats once 50 ms later."
tap Jog
settle
turn DataDial 5
advance 100
settle
say "-- a slow tick passes once and does not repeat"
advance 600
turn DataDial 1
advance 100
settle
say "== Lock switches to Restless Mode: a tick of 3 repeats every 50 ms until Stop."
tap Lock
settle
turn DataDial 3
advance 200
settle
say "-- Play while jogging stops the jog; the press reaches the host 200 ms later."
tap Play
advance 100
settle
advance 150
settle
tap Stop
settle
say "== Jog returns to Hover Knob Mode."
tap Jog
settle
say "== The host shuts down in order: the remote is deactivated and detached, the service"
say "   terminated, the module unloaded."
stop
say "== done"
)demo";
}

int runDemo(const std::string& modulePath, std::ostream& out, std::ostream& err) {
  ScenarioRunner runner(modulePath, out);
  runner.setWatching(true);
  const ScenarioResult result = runner.runText(demoScenario());
  if (!result.passed) {
    err << "qentsim demo: line " << result.line << ": " << result.message << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace QentSim
