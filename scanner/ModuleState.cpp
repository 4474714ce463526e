#include "scanner/ModuleState.h"

namespace Brennholt::Scan {

std::string_view stateName(ModuleState state) {
  switch (state) {
    case ModuleState::kOk:
      return "ok";
    case ModuleState::kNoInstrument:
      return "no-instrument";
    case ModuleState::kExcluded:
      return "excluded";
    case ModuleState::kNotLoadable:
      return "not-loadable";
    case ModuleState::kFailed:
      return "failed";
    case ModuleState::kCrashed:
      return "crashed";
    case ModuleState::kTimedOut:
      return "timed-out";
    case ModuleState::kDuplicate:
      return "duplicate";
  }
  return "failed";
}

std::optional<ModuleState> stateFromName(std::string_view name) {
  for (ModuleState state : kAllStates) {
    if (stateName(state) == name) return state;
  }
  return std::nullopt;
}

bool isProblem(ModuleState state) {
  return state == ModuleState::kNotLoadable || state == ModuleState::kFailed ||
         state == ModuleState::kCrashed || state == ModuleState::kTimedOut;
}

bool isRetriedOnRequest(ModuleState state) { return isProblem(state); }

}  // namespace Brennholt::Scan
