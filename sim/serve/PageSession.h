// The host behind the page: one simulation (the host, its module and nine keyboards) set up as
// `qentsim serve` was asked, on a real clock, with the project the page shows and the track the
// user selected in the host.
//
// The clock: the page's host gives idle rounds about 30 times a second (kRoundMs), each with the
// clock at the real time elapsed since start. A request from the page is followed at once by
// rounds until the simulation rests (settle), with the clock standing, so what the module
// answers reaches the page without waiting for the next round. The host waits for the module's
// threads after each call, as in scenarios: the answer to a request is then complete within
// that one settle. A host that does not wait (as the benchmarks run it) was measured slower
// here: the module's answer then arrives a round or two later, 33 ms each.
//
// Threading: the host thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/host/project/ProjectDescription.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

struct ServeOptions {
  int port = 8765;
  std::string modulePath;
  std::string project = "demo";  // "demo" or a project file
  int keyboards = 1;             // 1..9
  std::string settingsFile;      // empty: the settings live only as long as the run
};

class PageSession {
 public:
  static constexpr std::uint32_t kRoundMs = 33;

  explicit PageSession(ServeOptions options);
  ~PageSession();  // stops in order when still running
  PageSession(const PageSession&) = delete;
  PageSession& operator=(const PageSession&) = delete;

  // Sets the host up (keyboards, settings, project; for the demo project the knob assignments
  // the demo's keyboard player stored) and starts it. False with *error when the module, the
  // project or the settings file cannot be used.
  bool start(std::string* error);
  // Orderly shutdown: the host closes the module's window, detaches its remotes, terminates and
  // releases its service and unloads it. Returns what the module left registered or held, empty
  // when nothing.
  std::string stop();
  bool running() const { return simulation_ && simulation_->host().isRunning(); }

  // One idle round with the clock at `elapsedMs` after start.
  void round(std::uint32_t elapsedMs);
  // Rounds until the simulation rests. False with *why when it does not.
  bool settle(std::string* why);

  Simulation& simulation() { return *simulation_; }
  SimHost& host() { return simulation_->host(); }
  const ServeOptions& options() const { return options_; }
  const ProjectDescription& project() const { return project_; }
  // The track the user selected in the host; empty when none.
  const std::string& selectedTrack() const { return selected_; }
  void setSelectedTrack(const std::string& track) { selected_ = track; }
  // A folder of this run for the files the page and the module exchange; removed at stop.
  const std::string& folder() const { return folder_; }

 private:
  ServeOptions options_;
  std::unique_ptr<Simulation> simulation_;
  ProjectDescription project_;
  std::string selected_;
  std::string folder_;
  std::uint32_t startClock_ = 0;
};

}  // namespace QentSim
