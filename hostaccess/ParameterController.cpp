#include "hostaccess/ParameterController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/StringConversion.h"
#include "hostaccess/HostText.h"

namespace Brennholt {

namespace {

// Divisors of the value range per curve and tick band (|ticks| 1..3, 4..7, 8..11, 12..14,
// 15 and more). Curve 5 (EQ frequency) moves by whole units for slow turns: 0 marks that.
constexpr double kDivisors[ParameterController::kMaxCurve + 1][5] = {
    {1024, 512, 256, 128, 64}, {1024, 128, 128, 128, 128}, {512, 512, 256, 128, 64},
    {200, 128, 96, 75, 64},    {480, 128, 96, 75, 64},     {0, 1024, 256, 128, 96},
    {120, 128, 96, 75, 64},
};

int32 band(int64 magnitude) {
  if (magnitude <= 3) return 0;
  if (magnitude <= 7) return 1;
  if (magnitude <= 11) return 2;
  if (magnitude <= 14) return 3;
  return 4;
}

// EQ frequencies below this move by a tenth of a hertz per slow tick, by text.
constexpr double kFineFrequencyLimit = 150.0;

std::string formatHz(double frequency) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f Hz", frequency);
  return text;
}

}  // namespace

void ParameterController::unbind() {
  value_.reset();
  parameter_.reset();
  kind_ = kNone;
  editTimer_.stop();
  pickup_ = kPickupUnknown;
  lastValue_ = kNoValue;
  clearMoves();
  // An edit left open belongs to the released value; the next binding starts without one.
  editOpen_ = false;
  watching_ = false;
}

Hox::IHostValue* ParameterController::parameter() const { return value_.get(); }

bool ParameterController::bind(Hox::IHostValue* value, uint8 kind, uint8 pickup) {
  auto parameter = queryInterface<Hox::IHostParameter>(value);
  if (!parameter) {
    unbind();
    return false;
  }
  value_ = IPtr<Hox::IHostValue>::share(value);
  parameter_ = std::move(parameter);
  kind_ = kind;
  pickup_ = pickup;
  return true;
}

bool ParameterController::isBound() const { return parameter_.get() != nullptr; }

uint8 ParameterController::kind() const { return kind_; }

void ParameterController::setPickup(uint8 state) { pickup_ = state; }

uint8 ParameterController::pickup() const { return pickup_; }

bool ParameterController::watch(Hox::IHostKernel* kernel, Hox::IDependent* dependent) {
  if (!value_ || !dependent) return false;
  if (watching_) return true;
  auto dependencies = Hox::getService<Hox::IDependencyService>(kernel);
  watching_ = dependencies && dependencies->addDependent(value_.get(), dependent) == kResultOk;
  return watching_;
}

bool ParameterController::unwatch(Hox::IHostKernel* kernel, Hox::IDependent* dependent) {
  if (!watching_ || !value_ || !dependent) return false;
  watching_ = false;
  auto dependencies = Hox::getService<Hox::IDependencyService>(kernel);
  return dependencies && dependencies->removeDependent(value_.get(), dependent) == kResultOk;
}

void ParameterController::queueMove(int32 ticks) {
  if (isBound()) pushMove(ticks, true);
}

bool ParameterController::hasMoves() const { return movesPending_; }

bool ParameterController::value(double& out, bool normalized) const {
  if (!parameter_) return false;
  if (normalized) return parameter_->getNormalized(&out) == kResultOk;
  out = parameter_->plainValue();
  return true;
}

bool ParameterController::setValue(double x, bool normalized) {
  if (!parameter_) return false;
  const tresult result =
      normalized ? parameter_->setNormalized(x, 1) : parameter_->setPlainValue(x, 1);
  readBack();
  return result == kResultOk;
}

double ParameterController::lastValue() const { return lastValue_; }

bool ParameterController::isUnchanged() const {
  return parameter_ && parameter_->plainValue() == lastValue_;
}

void ParameterController::updatePickup(double position) {
  double current = 0;
  if (isCaught() || !value(current, true)) return;
  if (position == current || (pickup_ == kPickupBelow && position > current) ||
      (pickup_ == kPickupAbove && position < current)) {
    pickup_ = kPickupCaught;
  } else {
    pickup_ = position < current ? kPickupBelow : kPickupAbove;
  }
}

bool ParameterController::isCaught() const {
  return pickup_ == kPickupCaught || pickup_ == kPickupCaughtOnBind;
}

void ParameterController::apply(Hox::IHostKernel* kernel, bool withEdit, int32 curve) {
  if (moves_.empty()) {
    movesPending_ = false;
    return;
  }
  if (withEdit && kind_ != kAbsolute) beginEdit(kernel);
  if (kind_ == kRelative) {
    applyRelative(curve);
  } else if (kind_ == kAbsolute) {
    // Absolute knobs queue positions 0..127; the latest one counts.
    const double position = std::clamp(moves_.back(), 0, 127) / 127.0;
    clearMoves();
    updatePickup(position);
    if (isCaught()) setValue(position, true);
  } else {
    clearMoves();
  }
}

void ParameterController::checkEditTimeout(Hox::IHostKernel* kernel, uint32 ms) {
  if (editOpen_ && editTimedOut(kernel, ms)) endEdit();
}

void ParameterController::beginEdit(Hox::IHostKernel* kernel) {
  if (parameter_ && !editOpen_) editOpen_ = parameter_->edit(1) == kResultOk;
  editTimer_.start(kernel);
}

bool ParameterController::isEditOpen() const { return editOpen_; }

bool ParameterController::editTimedOut(Hox::IHostKernel* kernel, uint32 ms) {
  return editTimer_.running() && editTimer_.expired(kernel, ms);
}

void ParameterController::endEdit() {
  if (editOpen_ && parameter_) {
    parameter_->edit(0);
    editOpen_ = false;
    // Written once more after the gesture so that automation records where it ended.
    double normalized = 0;
    if (parameter_->getNormalized(&normalized) == kResultOk) {
      parameter_->setNormalized(normalized, 1);
    }
  }
  editTimer_.stop();
}

void ParameterController::applyRelative(int32 curve) {
  const int32 ticks = sum();
  clearMoves();
  if (!isBound() || kind_ != kRelative || !isCaught() || curve < 0 || curve > kMaxCurve) return;
  stepValue(curve, ticks);
}

int32 ParameterController::sum() const {
  if (moves_.empty()) return 0;
  int32 direction = moves_.front() > 0 ? 1 : (moves_.front() < 0 ? -1 : 0);
  int64 total = 0;
  for (const int32 entry : moves_) {
    if (entry < -127 || entry > 127) continue;
    if ((entry > 0 && direction < 0) || (entry < 0 && direction > 0)) {
      total = entry;
      direction = -direction;
    } else {
      total += entry;
    }
  }
  // A queue can only grow that long when idle calls stop; keep the count meaningful.
  return static_cast<int32>(std::clamp<int64>(total, -0x7FFFFFFF, 0x7FFFFFFF));
}

std::u16string ParameterController::parameterText() const {
  if (!parameter_) return {};
  return readHostText16(
      [&](char16* text, int32 capacity) { return parameter_->getText(text, capacity); });
}

double ParameterController::step(int32 ticks, int32 curve) const {
  if (!parameter_ || kind_ != kRelative || ticks == 0 || curve < 0 || curve > kMaxCurve) {
    return 0;
  }
  const double range = parameter_->plainMaximum() - parameter_->plainMinimum();
  if (range < 1) return 0;
  if (range == 1) return ticks > 0 ? 1 : -1;
  const double divisor = kDivisors[curve][band(std::abs(static_cast<int64>(ticks)))];
  double change = divisor == 0 ? static_cast<double>(ticks) : range / divisor * ticks;
  if (parameter_->kindCode() == 1 && change > -1 && change < 1) change = ticks > 0 ? 1 : -1;
  return change;
}

bool ParameterController::stepValue(int32 curve, int32 ticks) {
  if (!isBound() || kind_ != kRelative || !isCaught() || curve < 0 || curve > kMaxCurve ||
      ticks == 0) {
    return false;
  }
  if (curve == 5 && ticks > -4 && ticks < 4 && fineFrequencyStep(ticks)) return true;
  const double change = step(ticks, curve);
  const double unit = step(1, curve);
  if (change == 0) return false;
  const double low = parameter_->plainMinimum();
  const double high = parameter_->plainMaximum();
  double target =
      std::clamp(parameter_->plainValue() + change, std::min(low, high), std::max(low, high));
  double standard = 0;
  if (parameter_->getDefault(&standard) == kResultOk && target > standard - unit / 2 &&
      target < standard + unit / 2) {
    target = standard;
  }
  parameter_->setPlainValue(target, 1);
  readBack();
  return true;
}

bool ParameterController::fineFrequencyStep(int32 ticks) {
  // Low EQ frequencies are shown to a tenth of a hertz, finer than any step the range allows:
  // they move by their text.
  std::string text = toText8(parameterText().c_str());
  const auto start = text.find_first_not_of(' ');
  text.erase(0, start == std::string::npos ? text.size() : start);
  char* end = nullptr;
  const double frequency = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !(frequency < kFineFrequencyLimit) || text != formatHz(frequency)) {
    return false;
  }
  const std::u16string next = toText16(formatHz(frequency + (ticks < 1 ? -0.1 : 0.1)).c_str());
  // A host that takes no text gets the ordinary step.
  if (parameter_->setFromText(next.c_str(), 1) != kResultOk) return false;
  readBack();
  return true;
}

bool ParameterController::isAtDefault() const {
  double standard = 0;
  return parameter_ && parameter_->getDefault(&standard) == kResultOk &&
         parameter_->plainValue() == standard;
}

void ParameterController::clearMoves() {
  moves_.clear();
  movesPending_ = false;
}

void ParameterController::pushMove(int32 ticks, bool pending) {
  moves_.push_back(ticks);
  if (pending) movesPending_ = true;
}

void ParameterController::dropFirstMove() {
  if (!moves_.empty()) moves_.erase(moves_.begin());
  if (moves_.empty()) movesPending_ = false;
}

void ParameterController::readBack() {
  if (parameter_) lastValue_ = parameter_->plainValue();
}

}  // namespace Brennholt
