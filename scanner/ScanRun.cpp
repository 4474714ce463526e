#include "scanner/ScanRun.h"

namespace Brennholt::Scan {

bool isSlow(const ModuleOutcome& outcome, double slowMs) {
  // A probe killed at the time limit is a problem, listed as such, not also a slow one.
  return outcome.result && outcome.result->state != ModuleState::kDuplicate &&
         outcome.result->state != ModuleState::kTimedOut && outcome.result->durationMs > slowMs;
}

int scanExitCode(const ScanRun& run) {
  if (run.interrupted) return 130;
  for (const ModuleOutcome& outcome : run.outcomes) {
    if (outcome.result && isProblem(outcome.result->state)) return 1;
  }
  return 0;
}

}  // namespace Brennholt::Scan
