#include "sim/scenario/Simulation.h"

#include <filesystem>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace QentSim {

namespace {

using Clock = std::chrono::steady_clock;

// Idle rounds in a row with nothing new: the service does one kind of work per idle call, so a
// chain of its steps may pass a few rounds unseen.
constexpr int kQuietRounds = 5;
// Where the system cannot tell whether the module's threads rest: a round counts as quiet only
// after this much real time without a change.
constexpr auto kUnknownQuietTime = std::chrono::milliseconds(20);
// Rounds in a row that each brought something new: something keeps sending.
constexpr int kMovingRoundsLimit = 100000;

}  // namespace

Simulation::Simulation(const std::string& modulePath, std::ostream& out)
    : out_(out), host_(std::make_unique<SimHost>()) {
  host_->setModulePath(modulePath);
  for (int k = 1; k <= kMaxKeyboards; ++k) {
    keyboards_.push_back(std::make_unique<VirtualKeyboard>(k));
    VirtualKeyboard& kb = *keyboards_.back();
    host_->connectKeyboard(k, &kb);
    kb.connect([this, k](const std::uint8_t* bytes, std::size_t length) {
      host_->sendFromKeyboard(k, bytes, length);
    });
  }
  lastDrawn_.resize(kMaxKeyboards);
}

Simulation::~Simulation() { host_.reset(); }

VirtualKeyboard& Simulation::keyboard(int number) {
  return *keyboards_[static_cast<std::size_t>(std::clamp(number, 1, kMaxKeyboards) - 1)];
}

std::uint64_t Simulation::activity() const {
  std::uint64_t total = host_->activity();
  for (const auto& kb : keyboards_) total += kb->activity();
  return total;
}

void Simulation::pumpKeyboards() {
  const std::string& shown = host_->lastShownText();
  for (auto& kb : keyboards_) {
    kb->setModeText(shown);
    kb->sendPendingAnswers();
  }
}

void Simulation::hostRound(bool idle) {
  ++round_;
  if (idle) idleRounds_.insert(round_);
  for (auto& kb : keyboards_) kb->setRound(round_);
  if (idle) host_->idleRound();
  pumpKeyboards();
}

bool Simulation::hostStep(const std::function<bool()>& action) {
  hostRound(false);
  const bool done = action();
  host_->moduleThreads().await();
  pumpKeyboards();
  return done;
}

bool Simulation::settle(std::string* why) {
  if (!changed_) return true;
  ModuleThreads& threads = host_->moduleThreads();
  Clock::time_point lastChange = Clock::now();
  std::uint64_t last = activity();
  int quiet = 0;
  int moving = 0;
  while (quiet < kQuietRounds) {
    hostRound(true);
    if (!threads.failure().empty()) {
      *why = threads.failure();
      threads.clearFailure();
      return false;
    }
    const std::uint64_t now = activity();
    if (now != last) {
      last = now;
      quiet = 0;
      lastChange = Clock::now();
      if (++moving > kMovingRoundsLimit) {
        *why = "the simulation did not settle: " + std::to_string(kMovingRoundsLimit) +
               " idle rounds in a row each brought something new (something keeps sending)";
        return false;
      }
      continue;
    }
    moving = 0;
    if (threads.known() || Clock::now() - lastChange >= kUnknownQuietTime) {
      ++quiet;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  changed_ = false;
  return true;
}

std::string Simulation::resolve(const std::string& file) const {
  const std::filesystem::path path(file);
  if (path.is_absolute() || baseDirectory_.empty()) return path.string();
  return (std::filesystem::path(baseDirectory_) / path).lexically_normal().string();
}

void Simulation::forgetRecords() {
  for (auto& kb : keyboards_) kb->clearLog();
  host_->clearRecords();
  host_->clearLifecycleLog();
  idleRounds_.clear();
}

int Simulation::shownKeyboards() const { return std::max(1, host_->keyboardCount()); }

void Simulation::draw(int number) {
  std::ostringstream picture;
  keyboard(number).draw(picture);
  lastDrawn_[static_cast<std::size_t>(std::clamp(number, 1, kMaxKeyboards) - 1)] = picture.str();
  out_ << picture.str();
}

void Simulation::drawAll() {
  for (int k = 1; k <= shownKeyboards(); ++k) draw(k);
}

void Simulation::reportHost() {
  const auto& executed = host_->executedCommands();
  executedSeen_ = std::min(executedSeen_, executed.size());
  for (; executedSeen_ < executed.size(); ++executedSeen_) {
    out_ << "   host ran command \"" << executed[executedSeen_].first << "\" \""
         << executed[executedSeen_].second << "\"\n";
  }
  const auto& values = host_->parameterValues();
  valuesSeen_ = std::min(valuesSeen_, values.size());
  if (valuesSeen_ < values.size()) {
    out_ << "   host function values:";
    for (; valuesSeen_ < values.size(); ++valuesSeen_) {
      out_ << ' ' << values[valuesSeen_].function << '.' << values[valuesSeen_].parameter << '='
           << values[valuesSeen_].value;
    }
    out_ << '\n';
  }
  if (host_->playing() != playingSeen_ || host_->recording() != recordingSeen_) {
    playingSeen_ = host_->playing();
    recordingSeen_ = host_->recording();
    out_ << "   transport: " << (playingSeen_ ? "playing" : "stopped")
         << (recordingSeen_ ? ", recording" : "") << '\n';
  }
}

void Simulation::drawChanges() {
  std::string ignored;
  if (!settle(&ignored)) return;
  reportHost();
  for (int k = 1; k <= shownKeyboards(); ++k) {
    std::ostringstream picture;
    keyboard(k).draw(picture);
    std::string& last = lastDrawn_[static_cast<std::size_t>(k - 1)];
    if (picture.str() == last) continue;
    if (last.empty()) {
      draw(k);
      continue;
    }
    // Only the rows that changed, so a long demo stays readable.
    std::istringstream now(picture.str());
    std::istringstream before(last);
    std::string row;
    std::string old;
    while (std::getline(now, row)) {
      std::getline(before, old);
      if (row != old) out_ << row << "   <- keyboard " << k << '\n';
    }
    last = picture.str();
  }
}

}  // namespace QentSim
