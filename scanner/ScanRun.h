// A finished scan as the reports see it: the outcomes and how the scan was run.
#pragma once

#include <string>
#include <vector>

#include "scanner/ScanOptions.h"
#include "scanner/Scanner.h"

namespace Brennholt::Scan {

struct ScanRun {
  ScanOptions options;
  std::vector<ModuleOutcome> outcomes;
  double elapsedMs = 0;
  std::size_t probed = 0;  // probe processes started
  bool interrupted = false;
};

// True when the module's probe took longer than the --slow limit (a cached result keeps the
// time it was probed in).
bool isSlow(const ModuleOutcome& outcome, double slowMs);
// 130 interrupted, 1 any module in a problem state, else 0.
int scanExitCode(const ScanRun& run);

}  // namespace Brennholt::Scan
