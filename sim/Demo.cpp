#include "sim/Demo.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "sim/CommandLine.h"
#include "sim/scenario/ScenarioRunner.h"

namespace QentSim {

namespace {

// The setup window's part of the demo. Files go to the demo's own temporary folder.
const char* const kPanelPart =
    R"demo(say "== The player opens \"QENT6/QENT8 Extension Setup\" from the host's Devices menu, picks"
say "   memory 1, button SF3, and assigns it \"Editors\" / \"Open Drum Editor\" with the label"
say "   \"DrumEd\", which the keyboard shows at once; F3 then runs the new command."
menu "QENT6/QENT8 Extension Setup"
panel press Page1
panel press Button3
panel choose Category "Editors"
panel choose Action "Open Drum Editor"
panel type DisplayName "DrumEd"
panel show
expect fkey 3 "DrumEd"
tap F3
settle
expect executed "Editors" "Open Drum Editor"
say "== The setup is saved to a file, the memory reset to its factory assignments, and the file"
say "   loaded back: the label returns."
dialog save "demo-setup.kqe"
panel press SaveButton
alert 1
panel press ResetButton
expect fkey 3 "VZoom+"
dialog open "demo-setup.kqe"
panel press LoadButton
expect fkey 3 "DrumEd"
panel close
say "== The host restarts: the assignments are kept in its settings."
restart
settle
expect fkey 3 "DrumEd"
)demo";

const char* const kSessionPart =
    R"demo(# The demo: one keyboard on a supported host, played as a keyboard player would.
say "== qentsim demo: a QENT6/QENT8 keyboard plugged into the simulated host"
host "Tessaly Studio" "7.5.0" "Build 100"
keyboards 1
project demo
# The keyboard keeps the knob assignments its player stored for the instrument "LeadSynth".
kb-assign "LeadSynth" 1 0 100
kb-assign "LeadSynth" 2 0 101
kb-assign "LeadSynth" 3 0 102
kb-assign "LeadSynth" 4 0 103
kb-assign "LeadSynth" 5 0 7
say "== The host opens its demo project, track \"Lead\" selected, and loads the module; detection"
say "   sets up a remote for the keyboard. The display shows the track's name on the text line,"
say "   its instrument \"LeadSynth\" as the target, and the names of the instrument's parameters"
say "   on the knobs the player assigned; knobs 13 to 24 work the channel's equaliser."
start
settle
expect line "Lead"
expect target "LeadSynth"
expect knob 1 name "Cutoff"
say "== Knob 1 (Cutoff): one tick up moves it a little; a fast turn of eight ticks moves it"
say "   further, accelerated; one tick down. The value follows on the display each time."
turn AsgnKnob1 1
settle
turn AsgnKnob1 8
settle
turn AsgnKnob1 -1
settle
say "== Knob 3 (Drive) takes whole steps: one tick moves it by one."
turn AsgnKnob3 1
settle
expect knob 3 value "1"
say "== The player selects the MIDI track \"Seq\", which plays \"Pads\", and then \"Lead\" again."
select "Seq"
settle
expect line "Seq"
select "Lead"
settle
expect knob 1 name "Cutoff"
say "== F1 runs the command that memory 1 assigns to it."
tap F1
settle
expect executed "Zoom" "Zoom In"
say "== SF bank 2 switches to memory 2: its name and its six key labels; F4 runs its command."
tap SFBank2
settle
expect memory-name "Project Window"
tap F4
settle
expect executed "Editors" "Open List Editor"
)demo";

const char* const kClosingPart =
    R"demo(say "== Play and Stop go to the host's transport, which lights Play while it plays."
tap Play
settle
tap Stop
settle
say "== Jog turns the dial into a jog wheel for the transport; Jog again gives it back."
tap Jog
settle
turn DataDial 5
advance 100
settle
tap Jog
settle
say "== The host shuts down: the remote is detached, the service terminated, the module unloaded."
stop
say "== done"
)demo";

}  // namespace

std::string demoScenario() {
  // The keyboard player's session, the setup window's part, then the transport and shutdown.
  return std::string(kSessionPart) + kPanelPart + kClosingPart;
}

int runDemo(const std::string& modulePath, std::ostream& out, std::ostream& err) {
  std::error_code ignored;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path(ignored) /
      ("qentsim-demo-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder, ignored);
  ScenarioRunner runner(modulePath, out);
  runner.setWatching(true);
  const ScenarioResult result = runner.runText(demoScenario(), folder.string());
  std::filesystem::remove_all(folder, ignored);
  if (!result.passed) {
    err << "qentsim demo: line " << result.line << ": " << result.message << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace QentSim
