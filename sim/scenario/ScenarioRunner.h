// Runs scenario files against a fresh simulated host with up to nine virtual keyboards.
//
// Each file gets its own host (nothing carries over between files), is parsed completely first
// and then runs line by line until the first failing line. Checks settle the simulation before
// they look: idle rounds until neither the host nor any keyboard has seen anything new for 5
// rounds and 20 ms of real time (the channel workers are real threads), failing after 5 s.
//
// Threading: one runner, one thread (the simulated host thread).
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/host/SimHost.h"
#include "sim/keyboard/VirtualKeyboard.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

struct ScenarioResult {
  bool passed = true;
  int line = 0;  // the failing line; 0 when the file as a whole failed (unreadable)
  std::string message;
};

class ScenarioRunner {
 public:
  static constexpr int kMaxKeyboards = 9;

  // `out` receives what show and say print (and, when watching, the keyboard as it changes).
  ScenarioRunner(std::string modulePath, std::ostream& out);
  ~ScenarioRunner();
  ScenarioRunner(const ScenarioRunner&) = delete;
  ScenarioRunner& operator=(const ScenarioRunner&) = delete;

  // Draws the keyboards after every command that changed what they show (the demo).
  void setWatching(bool on) { watching_ = on; }

  // Parses and runs one scenario. `name` only labels messages.
  ScenarioResult runText(std::string_view text);
  // Reads a file and runs it.
  ScenarioResult runFile(const std::string& path);

  // Runs one parsed command; false with *why when it (or its check) failed.
  bool execute(const ScenarioCommand& command, std::string* why);

  SimHost& host() { return *host_; }
  VirtualKeyboard& keyboard(int number);

 private:
  bool settle(std::string* why);
  void hostRound(bool idle);
  void pumpKeyboards();
  std::uint64_t activity() const;
  bool check(const ScenarioCommand& command, std::string* why);
  bool keyboardAction(const ScenarioCommand& command, std::string* why);
  void drawChanged();
  void reportHost();
  void draw(int keyboard);
  // A value the simulated host keeps, by object and key (Transport, Mixer, host functions).
  bool hostValue(const std::string& object, const std::string& key, double* value) const;

  std::string modulePath_;
  std::ostream& out_;
  std::unique_ptr<SimHost> host_;
  std::vector<std::unique_ptr<VirtualKeyboard>> keyboards_;
  std::uint64_t round_ = 0;
  std::set<std::uint64_t> idleRounds_;
  bool dirty_ = true;
  bool watching_ = false;
  std::vector<std::string> lastDrawn_;
  // What watching has already reported of the host's records.
  std::size_t executedSeen_ = 0;
  std::size_t valuesSeen_ = 0;
  bool playingSeen_ = false;
  bool recordingSeen_ = false;
  bool detectRan_ = false;
  DetectOutcome lastDetect_;
};

}  // namespace QentSim
