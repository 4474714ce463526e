#include "hostaccess/ParameterController2.h"

namespace Brennholt {

void ParameterController2::unbind() {
  ParameterController::unbind();
  searchFactor_ = 0;
  baselineText_.clear();
  baselineValue_ = 0;
}

void ParameterController2::endEdit() {
  ParameterController::endEdit();
  // A search whose last report never came still holds its tick; it must not join the next
  // turn of the knob.
  if (searchFactor_ != 0 && !hasMoves()) clearMoves();
  searchFactor_ = 0;
}

void ParameterController2::applyRelative(int32 curve) {
  if (!isBound() || kind() != kRelative || !isCaught() || curve < 0 || curve > kMaxCurve) {
    clearMoves();
    return;
  }
  if (searchFactor_ > 1) {
    // New ticks arrived while a search waited for the host: the search ends, the ticks count.
    stopSearch();
    if (!hasQueue()) return;
  }
  const int32 ticks = sum();
  clearMoves();
  Hox::IHostParameter* parameter = hostParameter();
  const bool wanted =
      (curve == 0 || curve == 1) && (ticks == 1 || ticks == -1) && parameter->kindCode() >= 2;
  if (!wanted) {
    searchFactor_ = 0;
  } else if (searchFactor_ == 0) {
    searchFactor_ = 1;
    pushMove(ticks, true);
  }
  takeBaseline();
  stepValue(curve, ticks);
  if (isAtDefault() || (ticks > 0 && baselineValue_ == parameter->plainMaximum()) ||
      (ticks < 0 && baselineValue_ == parameter->plainMinimum())) {
    stopSearch();
  }
}

void ParameterController2::continueStepSearch(int32 curve) {
  if (!isBound() || kind() != kRelative || !isCaught() || searchFactor_ < 1 || !hasQueue() ||
      curve < 0 || curve > 1) {
    return;
  }
  if (searchFactor_ > kMaxSearchFactor) {
    stopSearch();
    return;
  }
  const std::u16string text = parameterText();
  double normalized = 0;
  if (text.empty() || text != baselineText_ || searchFactor_ >= kMaxSearchFactor ||
      !value(normalized, true)) {
    // The display moved (done), or the search is exhausted.
    stopSearch();
    return;
  }
  const int32 ticks = sum();
  clearMoves();
  if ((ticks > 0 && normalized == 1.0) || (ticks < 0 && normalized == 0.0)) {
    searchFactor_ = 0;
    return;
  }
  if (ticks == 1 || ticks == -1) {
    searchFactor_ = static_cast<int8>(searchFactor_ * 2);
    pushMove(ticks, false);
  } else {
    searchFactor_ = 0;
  }
  if (searchFactor_ > 1) {
    setValue(baselineValue_, false);
    for (int8 i = 0; i < searchFactor_; ++i) {
      stepValue(curve, ticks);
      if (isAtDefault()) {
        stopSearch();
        break;
      }
    }
  } else {
    takeBaseline();
    stepValue(curve, ticks);
  }
}

void ParameterController2::stopSearch() {
  dropFirstMove();
  searchFactor_ = 0;
}

void ParameterController2::takeBaseline() {
  baselineText_ = parameterText();
  if (!value(baselineValue_, false)) baselineValue_ = 0;
}

}  // namespace Brennholt
