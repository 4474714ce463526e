// plugscan's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scanner/Scanner.h"

namespace Brennholt::Scan {

struct ScanOptions {
  std::vector<std::string> paths;
  ScanSettings settings;  // plugprobe, jobs, timeout, rescan
  std::string cacheFile;
  std::string reportFile;  // empty: no JSON report
  std::string junitFile;   // empty: no JUnit report
  double slowMs = 1000;
  bool help = false;
  bool version = false;  // --version: print the version and nothing else
};

// The options of a command line (without the program name); nothing for a usage error, with
// the error in *why. Defaults: jobs the number of cores, plugprobe beside this program, the cache
// in the user's cache folder.
std::optional<ScanOptions> parseScanOptions(const std::vector<std::string>& arguments,
                                            std::string* why);

// The usage text for --help and usage errors.
const char* scanUsage();

// The user's cache folder's plugscan cache: $XDG_CACHE_HOME or ~/.cache on POSIX,
// %LOCALAPPDATA% on Windows; empty when none of them is set.
std::string defaultCacheFile();
// plugprobe beside the running program.
std::string defaultPlugprobe();

}  // namespace Brennholt::Scan
