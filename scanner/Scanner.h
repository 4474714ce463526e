// Runs a scan: takes what the cache still answers for, probes the rest N at a time, and
// records each result in the cache as it comes in.
//
// Threads: the calling (main) thread owns the cache, the outcomes and the progress calls; N
// worker threads each take the next module to probe from a shared counter, run its probe to its
// end and hand the result over through a queue under one lock, which also guards the table of
// running probes the progress line shows. An interrupt stops the workers from taking more; the
// probes that run are killed, and their modules keep no result.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scanner/ModuleFinder.h"
#include "scanner/ProbeResult.h"
#include "scanner/ScanCache.h"

namespace Brennholt::Scan {

// Which modules the cache answers for are probed all the same.
enum class Rescan {
  kChanged,  // none: only what is new or changed is probed
  kFailed,   // those whose result was a problem (crashed, timed out, not loadable, failed)
  kAll,      // every one
};

struct ScanSettings {
  std::string plugprobe;
  unsigned jobs = 1;
  std::chrono::milliseconds timeout{10000};
  Rescan rescan = Rescan::kChanged;
};

struct ModuleOutcome {
  FoundModule module;
  std::optional<ProbeResult> result;  // nothing when the scan was interrupted before it ended
  bool fromCache = false;
};

struct ScanProgress {
  std::size_t done = 0;  // modules with a result, from the cache included
  std::size_t total = 0;
  std::size_t running = 0;
  std::size_t problems = 0;  // results so far in a problem state
  double elapsedMs = 0;
  std::string slowestRunning;  // the module whose running probe started first
  double slowestRunningMs = 0;
};

class Scanner {
 public:
  // cache may be null: then every module is probed and nothing is kept.
  Scanner(ScanSettings settings, ScanCache* cache, const std::atomic<bool>& interrupted);

  // Scans the modules; progress is called after each result and a few times a second while
  // probes run. Returns one outcome per module, in their order. [main thread]
  std::vector<ModuleOutcome> run(const std::vector<FoundModule>& modules,
                                 const std::function<void(const ScanProgress&)>& progress);

  // Probes started by the last run.
  std::size_t probesStarted() const { return probesStarted_; }

 private:
  bool needsProbe(const FoundModule& module, const CacheKey& key) const;

  ScanSettings settings_;
  ScanCache* cache_;
  const std::atomic<bool>& interrupted_;
  std::size_t probesStarted_ = 0;
};

}  // namespace Brennholt::Scan
