#include "scanner/ScanSummary.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace Brennholt::Scan {

namespace {

std::string milliseconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f ms", value);
  return text;
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string scanSummary(const ScanRun& run) {
  std::map<ModuleState, std::size_t> counts;
  std::size_t fromCache = 0;
  std::size_t unprobed = 0;
  for (const ModuleOutcome& outcome : run.outcomes) {
    if (!outcome.result) {
      ++unprobed;
      continue;
    }
    ++counts[outcome.result->state];
    if (outcome.fromCache) ++fromCache;
  }
  std::ostringstream out;
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f s", run.elapsedMs / 1000.0);
  out << "plugscan: " << run.outcomes.size() << " modules, " << run.probed << " probed, "
      << fromCache << " from the cache, in " << elapsed << "\n";
  for (ModuleState state : kAllStates) {
    out << "  " << padded(std::string(stateName(state)), 15) << counts[state] << "\n";
  }
  if (run.interrupted) out << "interrupted: " << unprobed << " modules not probed\n";

  bool heading = false;
  for (const ModuleOutcome& outcome : run.outcomes) {
    if (!outcome.result || !isProblem(outcome.result->state)) continue;
    if (!heading) out << "problems:\n";
    heading = true;
    out << "  " << padded(std::string(stateName(outcome.result->state)), 13) << outcome.module.path
        << ": " << outcome.result->reason
        << (outcome.fromCache ? " (from the cache; --rescan failed probes it again)" : "") << "\n";
  }
  heading = false;
  for (const ModuleOutcome& outcome : run.outcomes) {
    if (!isSlow(outcome, run.options.slowMs)) continue;
    if (!heading) out << "slow (over " << milliseconds(run.options.slowMs) << "):\n";
    heading = true;
    out << "  " << padded(milliseconds(outcome.result->durationMs), 10) << outcome.module.path
        << "\n";
  }
  return out.str();
}

}  // namespace Brennholt::Scan
