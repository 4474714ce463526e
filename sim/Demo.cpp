#include "sim/Demo.h"

#include "sim/CommandLine.h"
#include "sim/scenario/ScenarioRunner.h"

namespace QentSim {

const char* demoScenario() {
  return R"demo(# The demo: one keyboard on a supported host.
say "== qentsim demo: a QENT6/QENT8 keyboard plugged into the simulated host"
host "Tessaly Studio" "7.5.0" "Build 100"
keyboards 1
say "== The host loads the module; detection finds the keyboard's ports and sets up a remote."
start
settle
say "== Hello: the remote greets the keyboard, which answers that it is in remote mode."
say "   The service answers with the text line, the state flag and blank knobs."
show
say "== Transport buttons run the host's default bindings."
say "-- Play"
tap Play
settle
say "-- Record"
tap Record
settle
say "-- Stop"
tap Stop
settle
say "-- Top (return to zero)"
tap Top
settle
say "== The dial in Jog Mode: a tick of 5 scrolls, and repeats while the dial is fast."
page "Jog Mode"
settle
turn DataDial 5
advance 100
settle
say "-- one slow tick passes once"
advance 600
turn DataDial 1
advance 100
settle
say "== Lock switches to Restless Mode: the jog keeps going until Stop."
tap Lock
settle
page "Restless Mode"
settle
turn DataDial 3
advance 200
tap Stop
advance 100
settle
say "== Jog returns to Hover Knob Mode: the dial drives the hover knob."
tap Jog
settle
page "Hover Knob Mode"
settle
turn DataDial 2
settle
say "== The host shuts down in order."
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
