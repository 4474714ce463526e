// plugscan [options] PATH...
// Runs plugprobe over a plug-in collection, one process per module, N at a time, with a time
// limit, a cache of what earlier scans found, and reports.
#include <atomic>
#include <chrono>
#include <cstdio>

#include "QentVersion.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "scanner/AtomicFile.h"
#include "scanner/JUnitReport.h"
#include "scanner/JsonReport.h"
#include "scanner/ModuleFinder.h"
#include "scanner/ProgressLine.h"
#include "scanner/ScanCache.h"
#include "scanner/ScanOptions.h"
#include "scanner/ScanRun.h"
#include "scanner/ScanSummary.h"
#include "scanner/Scanner.h"

namespace {

using namespace Brennholt;
using namespace Brennholt::Scan;

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt() { interrupted.store(true); }

void say(const std::string& message) { std::fprintf(stderr, "plugscan: %s\n", message.c_str()); }

int usageError(const std::string& why) {
  say(why);
  std::fputs(Scan::scanUsage(), stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string why;
  std::optional<ScanOptions> options = parseScanOptions(arguments, &why);
  if (!options) return usageError(why);
  if (options->help) {
    std::fputs(scanUsage(), stdout);
    return 0;
  }
  if (options->version) {
    std::puts("plugscan " QENT_VERSION);
    return 0;
  }
  if (Platform::fileKind(options->settings.plugprobe.c_str()) != Platform::FileKind::kFile)
    return usageError("plugprobe not found at " + options->settings.plugprobe +
                      " (name it with --plugprobe PATH)");

  Platform::setInterruptHandler(onInterrupt);
  const auto start = std::chrono::steady_clock::now();
  FoundModules found = findModules(options->paths);
  if (!found.missing.empty()) {
    Platform::setInterruptHandler(nullptr);
    return usageError("no such file or folder: " + found.missing.front());
  }
  for (const std::string& warning : found.warnings) say(warning);

  std::optional<ScanCache> cache;
  if (options->cacheFile.empty()) {
    say("no cache folder (set XDG_CACHE_HOME or HOME, or use --cache FILE): nothing is kept");
  } else {
    cache.emplace(options->cacheFile);
    for (const std::string& message : cache->load()) say(message);
  }

  ProgressLine progress(stderr, Platform::isTerminal(Platform::StandardStream::kError));
  Scanner scanner(options->settings, cache ? &*cache : nullptr, interrupted);
  ScanRun run;
  run.outcomes =
      scanner.run(found.modules, [&](const ScanProgress& status) { progress.show(status); });
  progress.clear();
  run.options = *options;
  run.probed = scanner.probesStarted();
  run.interrupted = interrupted.load();
  run.elapsedMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  if (cache && !cache->save(&why)) say("the cache was not written: " + why);
  if (!options->reportFile.empty() &&
      !writeFileAtomically(options->reportFile, jsonReportText(run), &why))
    say("the report was not written: " + why);
  if (!options->junitFile.empty() &&
      !writeFileAtomically(options->junitFile, junitReport(run), &why))
    say("the JUnit report was not written: " + why);
  std::fputs(scanSummary(run).c_str(), stdout);
  std::fflush(stdout);
  return scanExitCode(run);
}
