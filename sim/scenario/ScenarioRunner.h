// Runs scenarios against a simulated host with up to nine virtual keyboards.
//
// A scenario is parsed completely first and then runs command by command until the first one
// that fails. A runner keeps one simulation for all it runs; `qentsim run` gives each file a
// runner of its own, so nothing carries over between files.
//
// Threading: one runner, one thread (the simulated host thread).
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "sim/scenario/Simulation.h"

namespace QentSim {

struct ScenarioResult {
  bool passed = true;
  int line = 0;  // the failing line; 0 when the file as a whole failed (unreadable)
  std::string message;
};

class ScenarioRunner {
 public:
  // `out` receives what show and say print (and, when watching, the keyboard as it changes).
  ScenarioRunner(const std::string& modulePath, std::ostream& out);

  // Draws the keyboards after every command that changed what they show (the demo).
  void setWatching(bool on) { watching_ = on; }

  // Parses and runs one scenario; the files it names resolve against `directory` (empty: the
  // working directory).
  ScenarioResult runText(std::string_view text, const std::string& directory = {});
  // Reads a file and runs it; the files it names resolve against its folder.
  ScenarioResult runFile(const std::string& path);

  // The simulated host and keyboard 1..9 the scenarios run on.
  SimHost& host() { return simulation_.host(); }
  VirtualKeyboard& keyboard(int number) { return simulation_.keyboard(number); }

 private:
  Simulation simulation_;
  bool watching_ = false;
};

}  // namespace QentSim
