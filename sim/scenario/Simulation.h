// The world a scenario runs in: one simulated host, nine virtual keyboards wired to its ports,
// the host rounds that move them, the records checks read, and what the scenario prints.
//
// A host round tags what the keyboards receive from then on with a new round number; an idle
// round also gives the host's idle handlers and remotes their idle call.
//
// Every call the host makes into the module, in a round or a host step, is followed by a wait
// until the module's worker threads have done what it handed them (ModuleThreads), so the
// order of events never depends on their speed. Settling runs idle rounds until 5 in a row
// brought nothing new to the host or any keyboard. Only where the system cannot tell thread
// states does a quiet round also need 20 ms of real time without a change. It fails when
// 100000 rounds in a row each bring something new, or when the workers never rest within 60 s.
//
// Threading: one thread, the simulated host thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "sim/host/SimHost.h"
#include "sim/keyboard/VirtualKeyboard.h"

namespace QentSim {

class Simulation {
 public:
  static constexpr int kMaxKeyboards = 9;
  // The clock moves by this much per idle round of `advance`.
  static constexpr std::uint32_t kRoundMs = 10;

  // A host for the module at `modulePath`, not started; `out` receives what the scenario prints.
  Simulation(const std::string& modulePath, std::ostream& out);
  // Stops the host, and so its module, before the keyboards it talks to go away.
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  SimHost& host() { return *host_; }
  // Keyboard 1..9; other numbers are clamped into that range.
  VirtualKeyboard& keyboard(int number);
  // The folder that files named by a scenario are relative to (the scenario file's own).
  void setBaseDirectory(const std::string& directory) { baseDirectory_ = directory; }
  // `file` relative to the base folder; an absolute path as it is.
  std::string resolve(const std::string& file) const;
  // Where the scenario prints.
  std::ostream& out() { return out_; }

  // ---- moving the simulation ----

  // Something may have changed, so the next settle has work to do.
  void markChanged() { changed_ = true; }
  // Idle rounds until the simulation stands still; nothing when nothing changed since the last
  // settle. False with *why when it never comes to rest (see above).
  bool settle(std::string* why);
  // One idle round.
  void idleRound() { hostRound(true); }
  // A host action outside the idle calls: a new round (without idle calls), the action, then the
  // keyboards see what the host showed and send the answers they owe. Returns what the action
  // returned.
  bool hostStep(const std::function<bool()>& action);

  // ---- records the checks read ----

  // True when `round` was an idle round.
  bool wasIdleRound(std::uint64_t round) const { return idleRounds_.count(round) != 0; }
  // Forgets what the keyboards received, the host's records and life-cycle steps, and the idle
  // rounds; what the displays show stays.
  void forgetRecords();
  // What the last detection answered.
  void noteDetect(const DetectOutcome& outcome) { lastDetect_ = outcome; }
  // Empty until a detection ran.
  const std::optional<DetectOutcome>& lastDetect() const { return lastDetect_; }

  // ---- printing ----

  // Draws keyboard `number`.
  void draw(int number);
  // Draws every keyboard plugged in, at least keyboard 1.
  void drawAll();
  // Settles, then reports what the host did since the last report and draws the rows of each
  // keyboard that changed since it was last drawn (the whole keyboard the first time).
  void drawChanges();

 private:
  void hostRound(bool idle);
  // Gives the keyboards the host's mode text and lets them send the answers they owe.
  void pumpKeyboards();
  std::uint64_t activity() const;
  void reportHost();
  int shownKeyboards() const;

  std::ostream& out_;
  std::string baseDirectory_;
  std::unique_ptr<SimHost> host_;
  std::vector<std::unique_ptr<VirtualKeyboard>> keyboards_;
  std::uint64_t round_ = 0;
  std::set<std::uint64_t> idleRounds_;
  bool changed_ = true;
  std::optional<DetectOutcome> lastDetect_;
  // What the printing has already shown.
  std::vector<std::string> lastDrawn_;
  std::size_t executedSeen_ = 0;
  std::size_t valuesSeen_ = 0;
  bool playingSeen_ = false;
  bool recordingSeen_ = false;
};

}  // namespace QentSim
