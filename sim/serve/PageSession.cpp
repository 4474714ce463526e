#include "sim/serve/PageSession.h"

#include <chrono>
#include <filesystem>
#include <iostream>

namespace QentSim {

namespace {

// The knobs the demo's keyboard player stored for the demo project's "LeadSynth" (kind 0,
// parameter id): the same as `qentsim demo`, so the page opens with knobs named and valued.
constexpr struct {
  int knob;
  std::uint32_t parameter;
} kDemoKnobs[] = {{0, 100}, {1, 101}, {2, 102}, {3, 103}, {4, 7}};

// The first selected track of the description, depth first; empty when none.
std::string selectedIn(const std::vector<TrackDescription>& tracks) {
  for (const TrackDescription& t : tracks) {
    if (t.selected) return t.name;
    std::string inner = selectedIn(t.tracks);
    if (!inner.empty()) return inner;
  }
  return {};
}

}  // namespace

PageSession::PageSession(ServeOptions options) : options_(std::move(options)) {}

PageSession::~PageSession() {
  if (simulation_) stop();
}

bool PageSession::start(std::string* error) {
  std::error_code ignored;
  folder_ = (std::filesystem::temp_directory_path(ignored) /
             ("qentsim-serve-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
                .string();
  std::filesystem::create_directories(folder_, ignored);

  if (options_.project == "demo") {
    project_ = ProjectDescription::demo();
  } else if (!ProjectDescription::readFile(options_.project, &project_, error)) {
    return false;
  }
  // What the simulation prints (nothing here: serve has no scenario) goes nowhere.
  static std::ostream silent(nullptr);
  simulation_ = std::make_unique<Simulation>(options_.modulePath, silent);
  SimHost& h = simulation_->host();
  h.setKeyboardCount(options_.keyboards);
  if (!options_.settingsFile.empty()) {
    std::string report;
    if (!h.useSettingsFile(options_.settingsFile, &report)) {
      // A damaged file was set aside and the run goes on with fresh settings, as a host does.
      std::cerr << "qentsim serve: " << report << '\n';
    }
  }
  h.openProject(project_);
  if (options_.project == "demo") {
    for (int k = 1; k <= options_.keyboards; ++k) {
      for (const auto& knob : kDemoKnobs) {
        simulation_->keyboard(k).storeAssignment("LeadSynth", knob.knob,
                                                 KnobSetting{0, knob.parameter});
      }
    }
  }
  selected_ = selectedIn(project_.tracks);
  startClock_ = h.clock();
  if (!h.start(error)) return false;
  simulation_->markChanged();
  return settle(error);
}

std::string PageSession::stop() {
  if (!simulation_) return {};
  SimHost& h = simulation_->host();
  h.stop();
  std::string left = h.leftBehind();
  simulation_.reset();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  return left;
}

void PageSession::round(std::uint32_t elapsedMs) {
  SimHost& h = simulation_->host();
  // The clock never runs backwards, even when a settle moved it.
  const std::uint32_t now = startClock_ + elapsedMs;
  if (static_cast<std::int32_t>(now - h.clock()) > 0) h.setClock(now);
  simulation_->idleRound();
}

bool PageSession::settle(std::string* why) {
  simulation_->markChanged();
  return simulation_->settle(why);
}

}  // namespace QentSim
