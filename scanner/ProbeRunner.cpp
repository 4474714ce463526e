#include "scanner/ProbeRunner.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/ChildProcess.h"
#include "scanner/ProbeExitCode.h"
#include "scanner/ProbeOutputReader.h"

namespace Brennholt::Scan {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting probe looks at the interrupt flag; its end is seen at once regardless.
constexpr std::chrono::milliseconds kInterruptCheck{50};

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

ProbeRunner::ProbeRunner(std::string plugprobe, std::filesystem::path workFolder,
                         std::chrono::milliseconds timeout, const std::atomic<bool>& interrupted)
    : plugprobe_(std::move(plugprobe)),
      workFolder_(std::move(workFolder)),
      timeout_(timeout),
      interrupted_(interrupted) {}

std::optional<ProbeResult> ProbeRunner::probe(const std::string& modulePath,
                                              const std::string& outputName) const {
  std::filesystem::path output = workFolder_ / outputName;
  std::error_code ignored;
  std::filesystem::remove(output, ignored);

  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + timeout_;
  std::string error;
  Platform::ProcessHandle process =
      Platform::startProcess(plugprobe_, {modulePath, output.string()}, &error);
  if (!process) {
    ProbeResult result;
    result.state = ModuleState::kFailed;
    result.reason = "plugprobe could not be started: " + error;
    result.probed = false;
    return result;
  }
  bool timedOut = false;
  bool stopped = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    auto slice = std::clamp(left, std::chrono::milliseconds(0), kInterruptCheck);
    if (Platform::waitProcess(process, static_cast<uint32>(slice.count()))) break;
    if (interrupted_.load()) {
      stopped = true;
    } else if (Clock::now() >= deadline) {
      timedOut = true;
    } else {
      continue;
    }
    Platform::killProcessTree(process);
    break;
  }
  Platform::ProcessEnd end;
  Platform::closeProcess(process, &end);
  const double duration = millisecondsSince(start);

  ProbeResult result;
  if (stopped) {
    std::filesystem::remove(output, ignored);
    return std::nullopt;
  }
  if (timedOut) {
    result.state = ModuleState::kTimedOut;
    std::ostringstream seconds;
    seconds << std::chrono::duration<double>(timeout_).count();
    result.reason =
        "still running after " + seconds.str() + " s: killed with everything it started";
  } else if (end.kind == Platform::ProcessEnd::Kind::kCrashed) {
    result.state = ModuleState::kCrashed;
    result.crashCode = end.crashCode;
    result.reason = "plugprobe died of " + Platform::describeCrash(end.crashCode);
  } else {
    result = judge(end.exitCode, output);
  }
  result.durationMs = duration;
  std::filesystem::remove(output, ignored);
  return result;
}

ProbeResult ProbeRunner::judge(int exitCode, const std::filesystem::path& output) const {
  ProbeResult result;
  result.exitCode = exitCode;
  ExitCodeMeaning meaning = probeExitCodeMeaning(exitCode);
  result.state = meaning.state;
  result.reason = meaning.meaning;
  if (meaning.state != ModuleState::kOk) {
    if (meaning.state == ModuleState::kFailed)
      result.reason = "exit code " + std::to_string(exitCode) + ": " + meaning.meaning;
    return result;
  }
  std::optional<std::string> text = readWholeFile(output);
  if (!text) {
    // plugprobe completes without a file when none of the instruments could be listed.
    if (exitCode == 0) {
      result.state = ModuleState::kNoInstrument;
      result.reason = "probe completed, but no instrument could be listed";
    } else {
      result.state = ModuleState::kFailed;
      result.reason = "exit code " + std::to_string(exitCode) + " without an output file";
    }
    return result;
  }
  std::string why;
  std::optional<std::vector<Instrument>> instruments = readProbeOutput(*text, &why);
  if (!instruments) {
    result.state = ModuleState::kFailed;
    result.reason = "plugprobe's output cannot be read: " + why;
    return result;
  }
  result.instruments = std::move(*instruments);
  return result;
}

}  // namespace Brennholt::Scan
