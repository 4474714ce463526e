#include "scanner/ScanOptions.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/Platform.h"

namespace Brennholt::Scan {

namespace fs = std::filesystem;

namespace {

bool readNumber(const std::string& text, double* out) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// This program's own path, from the module that holds this function.
std::string ownPath() {
  static const int marker = 0;
  char16 wide[4096] = {};
  uint32 length = Platform::moduleFileName(Platform::moduleContaining(&marker), wide, 4096);
  if (length == 0) return {};
  int32 size = Platform::wideToMultiByte(0, wide, static_cast<int32>(length), nullptr, 0);
  std::string path(static_cast<std::size_t>(std::max(size, 0)), '\0');
  Platform::wideToMultiByte(0, wide, static_cast<int32>(length), path.data(), size);
  return path;
}

}  // namespace

const char* scanUsage() {
  return "usage: plugscan [options] PATH...\n"
         "Probes every plug-in module under the PATHs (files or folders, walked recursively)\n"
         "with plugprobe, one process per module.\n"
         "  --jobs N            probes at a time (default: the number of cores)\n"
         "  --timeout SECONDS   kill a probe running longer (default 10)\n"
         "  --plugprobe PATH    the plugprobe to run (default: the one beside plugscan)\n"
         "  --cache FILE        the cache (default: plugscan/cache.json in the user's cache\n"
         "                      folder)\n"
         "  --rescan WHAT       changed (default): probe what is new or changed; failed: also\n"
         "                      what crashed, timed out, failed or could not be loaded; all\n"
         "  --report FILE       write a JSON report\n"
         "  --junit FILE        write a JUnit XML report\n"
         "  --slow MS           list probes slower than this (default 1000)\n"
         "  --version           print the version\n"
         "Exit code: 0 every module probed, 1 any crashed, timed out, failed or could not be\n"
         "loaded, 2 usage error, 130 interrupted.\n";
}

std::string defaultCacheFile() {
#ifdef _WIN32
  const char* base = std::getenv("LOCALAPPDATA");
  if (!base || !*base) return {};
  return (fs::path(base) / "plugscan" / "cache.json").string();
#else
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg == '/') return (fs::path(xdg) / "plugscan" / "cache.json").string();
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  return (fs::path(home) / ".cache" / "plugscan" / "cache.json").string();
#endif
}

std::string defaultPlugprobe() {
  fs::path self = ownPath();
  std::error_code error;
  if (self.is_relative()) self = fs::absolute(self, error);
#ifdef _WIN32
  return (self.parent_path() / "plugprobe.exe").string();
#else
  return (self.parent_path() / "plugprobe").string();
#endif
}

std::optional<ScanOptions> parseScanOptions(const std::vector<std::string>& arguments,
                                            std::string* why) {
  ScanOptions options;
  options.settings.jobs = std::max(1u, std::thread::hardware_concurrency());
  bool optionsEnd = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnd || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      options.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    if (argument == "--help") {
      options.help = true;
      continue;
    }
    if (argument == "--version") {
      options.version = true;
      continue;
    }
    std::string name = argument;
    std::string value;
    bool hasValue = false;
    if (std::size_t equals = argument.find('='); equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    static const char* const kWithValue[] = {"--jobs",   "--timeout", "--plugprobe", "--cache",
                                             "--rescan", "--report",  "--junit",     "--slow"};
    bool known = false;
    for (const char* option : kWithValue) known = known || name == option;
    if (!known) {
      *why = "unknown option " + name;
      return std::nullopt;
    }
    if (!hasValue) {
      if (i + 1 >= arguments.size()) {
        *why = name + " needs a value";
        return std::nullopt;
      }
      value = arguments[++i];
    }
    double number = 0;
    if (name == "--jobs") {
      if (!readNumber(value, &number) || number < 1 || number > 1024 ||
          number != static_cast<unsigned>(number)) {
        *why = "--jobs takes a whole number from 1 to 1024, not \"" + value + "\"";
        return std::nullopt;
      }
      options.settings.jobs = static_cast<unsigned>(number);
    } else if (name == "--timeout") {
      if (!readNumber(value, &number) || !(number > 0) || number > 86400) {
        *why = "--timeout takes seconds above 0, up to 86400, not \"" + value + "\"";
        return std::nullopt;
      }
      options.settings.timeout = std::chrono::milliseconds(static_cast<int64>(number * 1000));
      if (options.settings.timeout.count() == 0)
        options.settings.timeout = std::chrono::milliseconds(1);
    } else if (name == "--slow") {
      if (!readNumber(value, &number) || number < 0) {
        *why = "--slow takes milliseconds, 0 or more, not \"" + value + "\"";
        return std::nullopt;
      }
      options.slowMs = number;
    } else if (name == "--rescan") {
      if (value == "changed") {
        options.settings.rescan = Rescan::kChanged;
      } else if (value == "failed") {
        options.settings.rescan = Rescan::kFailed;
      } else if (value == "all") {
        options.settings.rescan = Rescan::kAll;
      } else {
        *why = "--rescan takes changed, failed or all, not \"" + value + "\"";
        return std::nullopt;
      }
    } else if (value.empty()) {
      *why = name + " needs a value";
      return std::nullopt;
    } else if (name == "--plugprobe") {
      options.settings.plugprobe = value;
    } else if (name == "--cache") {
      options.cacheFile = value;
    } else if (name == "--report") {
      options.reportFile = value;
    } else if (name == "--junit") {
      options.junitFile = value;
    }
  }
  if (options.help || options.version) return options;
  if (options.paths.empty()) {
    *why = "no PATH to scan";
    return std::nullopt;
  }
  if (options.settings.plugprobe.empty()) options.settings.plugprobe = defaultPlugprobe();
  if (options.cacheFile.empty()) options.cacheFile = defaultCacheFile();
  return options;
}

}  // namespace Brennholt::Scan
