#include "hostaccess/hoverknob/CHoverKnobManager.h"

#include <cstdlib>
#include <cstring>

#include "sdk/host/HostKernel.h"
#include "sdk/host/HostServices.h"
#include "sdk/host/RemoteDevice.h"

namespace Brennholt {

namespace {

constexpr const char* kModeNames[] = {"Hover Knob Mode", "Jog Mode", "Restless Mode"};
constexpr int32 kModeCount = 3;

constexpr uint32 kRepeatMs = 50;
constexpr uint32 kHoldMs = 200;
constexpr uint32 kTickGapMs = 500;
constexpr uint32 kPressDelayMs = 200;
constexpr int32 kMaxUnchangedRepeats = 9;
constexpr int32 kCommandFlags = 769;

const char* orDefault(const char* name, const char* fallback) { return name ? name : fallback; }

bool oppositeSigns(int32 a, int32 b) { return (a < 0 && b > 0) || (a > 0 && b < 0); }

}  // namespace

CHoverKnobManager::CHoverKnobManager(bool hoverFirst) : mode_(hoverFirst ? kHover : kJog) {
  queue(-1, mode_);
}

CHoverKnobManager::~CHoverKnobManager() = default;

void CHoverKnobManager::declareBindings(Hox::IBindingTarget* target, const Descriptor& descriptor) {
  dial_ = descriptor.dial;
  jog_ = descriptor.jog;
  lock_ = descriptor.lock;
  play_ = descriptor.play;
  record_ = descriptor.record;
  stop_ = descriptor.stop;
  declared_ = true;
  if (!target) return;

  const char* dial = orDefault(descriptor.dialName, "DataDial");
  const char* jog = orDefault(descriptor.jogName, "Jog");
  const char* lock = orDefault(descriptor.lockName, "Lock");
  const char* hoverPage = kModeNames[kHover];
  const char* jogPage = kModeNames[kJog];
  const char* restlessPage = kModeNames[kRestless];

  // A refused declaration loses only that binding; the rest still goes through.
  for (const char* page : kModeNames) target->addPage(page);
  target->bindCommand(jogPage, lock, "Remote", restlessPage, kCommandFlags);
  target->bindCommand(restlessPage, lock, "Remote", jogPage, kCommandFlags);
  target->bindCommand(jogPage, jog, "Remote", hoverPage, kCommandFlags);
  target->bindCommand(restlessPage, jog, "Remote", hoverPage, kCommandFlags);

  IPtr<Hox::IHostFunction> wheel;
  if (target->findFunction("Jog", "Wheel", 0, -1, wheel.put()) != kResultOk) wheel.reset();
  if (wheel) {
    wheel->assignParameter("wheel", dial, jogPage);
    wheel->assignParameter("wheel", dial, restlessPage);
  }

  IPtr<Hox::IHostFunction> hoverKnob;
  if (target->findFunction("HoverKnob", "Encoder", 1, -1, hoverKnob.put()) != kResultOk) {
    hoverKnob.reset();
  }
  if (hoverKnob) {
    hoverKnob->assignParameter("1:dial", dial, hoverPage);
    hoverKnob->assignParameter("1:switch", lock, hoverPage);
    hoverKnob->setAttribute("Default:Assignable");
  }
}

bool CHoverKnobManager::handleInput(Hox::IHostKernel* kernel, int32 element, int32& value,
                                    bool convert) {
  if (!declared_) return false;

  if (element == dial_) {
    // The device sends sign and magnitude (65 is -1); the host's wheel reads two's complement.
    if (convert && value > 64) value = 192 - value;
    if (mode_ == kHover) return false;
    return !jogTick(kernel, value);
  }

  if (element == jog_) {
    if (mode_ != kHover || value == 0) return false;
    // Back to the last jog-type mode; the remote shows its name and the host switches the page.
    queue(-1, restless_ ? kRestless : kJog);
    return true;
  }

  if (element == play_ || element == record_) {
    if (mode_ == kHover) return false;
    // While presses are held back, later ones (and their releases) wait behind them so the host
    // sees them in the order they were made.
    if (velocity_ == 0 && pendingPresses_.isEmpty()) return false;
    if (value > 0) {
      if (!pressTimer_.running()) pressTimer_.start(kernel);
      stopJogging();
      pendingPresses_.add(element);
    }
    return true;
  }

  if (element == stop_) {
    if (mode_ != kHover) stopJogging();
    return false;
  }

  return false;
}

bool CHoverKnobManager::jogTick(Hox::IHostKernel* kernel, int32 value) {
  const int32 tick = value >= 64 ? value - 128 : value;

  if (holdTimer_.running()) {
    // A larger tick is a real turn and ends the hold; so does its time running out without an
    // idle call in between.
    if (std::abs(tick) == 1 && !holdTimer_.expired(kernel, kHoldMs)) return false;
    holdTimer_.stop();
  }

  uint32 now = 0;
  if (!HostTimer::currentTime(kernel, now)) return true;

  const int32 velocityBefore = velocity_;
  bool reversal = false;
  if (oppositeSigns(history_[kHistory - 1], tick)) {
    clearJog();
    reversal = std::abs(tick) == 1;
  } else if (tickTimer_.expired(now, kTickGapMs)) {
    clearJog();
  } else {
    for (int i = 0; i + 1 < kHistory; ++i) history_[i] = history_[i + 1];
  }
  tickTimer_.start(now);

  if (reversal) {
    // A lone tick against the direction is usually the dial settling back; swallow it and the
    // single ticks right after it.
    holdTimer_.start(now);
    return false;
  }

  history_[kHistory - 1] = tick;
  for (int32 entry : history_) {
    if (std::abs(entry) > std::abs(velocity_)) velocity_ = entry;
  }
  if (std::abs(velocity_) == 1 && !restless_) velocity_ = 0;

  // Repeats start one period after the tick that started the movement, and a still dial is
  // measured from its last tick.
  if (velocityBefore == 0) repeatTimer_.start(now);
  return true;
}

void CHoverKnobManager::idleStep(Hox::IHostKernel* kernel) {
  uint32 now = 0;
  if (!HostTimer::currentTime(kernel, now)) return;

  if (mode_ != kHover) {
    if (velocity_ != 0 && repeatTimer_.expired(now, kRepeatMs, true)) {
      queue(dial_, velocity_ <= 0 ? velocity_ + 128 : velocity_);
      decay();
      if (mode_ == kRestless) checkStall(kernel);
    }
    if (velocity_ == 0 && history_[kHistory - 1] != 0 && repeatTimer_.expired(now, kTickGapMs)) {
      clearJog();
    }
    if (holdTimer_.running() && holdTimer_.expired(now, kHoldMs)) holdTimer_.stop();
  }

  if (!pendingPresses_.isEmpty() && pressTimer_.expired(now, kPressDelayMs)) {
    for (int32 i = 0; i < pendingPresses_.count(); ++i) {
      queue(pendingPresses_[i], 127);
      queue(pendingPresses_[i], 0);
    }
    pendingPresses_.removeAll();
    pressTimer_.stop();
  }
}

void CHoverKnobManager::checkStall(Hox::IHostKernel* kernel) {
  auto transport = Hox::getService<Hox::ITransportPosition>(kernel);
  if (!transport) return;
  const double position = transport->currentPosition();
  if (position != lastPosition_) {
    lastPosition_ = position;
    stallCount_ = 0;
  } else if (++stallCount_ > kMaxUnchangedRepeats) {
    // The host stopped moving (start or end of the project): stop scrolling into nothing.
    stopJogging();
  }
}

void CHoverKnobManager::decay() {
  if (restless_ || velocity_ == 0) return;
  if (!noInertia_.load()) {
    const int32 magnitude = std::abs(velocity_);
    const int32 step = magnitude <= 9 ? 1 : magnitude <= 29 ? 2 : 6;
    const int32 next = velocity_ > 0 ? velocity_ - step : velocity_ + step;
    if (next != 0 && !oppositeSigns(next, velocity_)) {
      velocity_ = next;
      return;
    }
  }
  stopJogging();
}

void CHoverKnobManager::stopJogging() {
  velocity_ = 0;
  stallCount_ = 0;
}

void CHoverKnobManager::clearJog() {
  for (int32& entry : history_) entry = 0;
  stopJogging();
}

void CHoverKnobManager::queue(int32 element, int32 value) { outputs_.add(Output{element, value}); }

bool CHoverKnobManager::hasOutputs() const { return !outputs_.isEmpty(); }

CHoverKnobManager::Output CHoverKnobManager::takeOutput() {
  if (outputs_.isEmpty()) return {-2, 0};
  const Output out = outputs_[0];
  outputs_.removeAt(0);
  return out;
}

const char* CHoverKnobManager::modeName(int32 index) const {
  if (index < 0) return kModeNames[mode_];
  if (index < kModeCount) return kModeNames[index];
  return "";
}

bool CHoverKnobManager::setModeByName(const char* name) {
  if (!name) return false;
  for (int32 i = 0; i < kModeCount; ++i) {
    if (std::strcmp(name, kModeNames[i]) != 0) continue;
    clearJog();
    mode_ = i;
    if (i == kJog) restless_ = false;
    if (i == kRestless) restless_ = true;
    return true;
  }
  return false;
}

bool CHoverKnobManager::lampValues(int32& jog, int32& lock) const {
  if (!declared_) return false;
  jog = mode_ == kHover ? 0 : 127;
  lock = mode_ == kHover ? -1 : mode_ == kJog ? 0 : 127;
  return true;
}

void CHoverKnobManager::setNoInertia(bool flag) { noInertia_.store(flag); }

}  // namespace Brennholt
