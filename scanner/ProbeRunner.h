// Runs plugprobe on one module as a process of its own and turns how it ended into a result.
//
// The probe runs in a process tree of its own with standard input and output on the null
// device, so a plug-in that prints, hangs or crashes takes nothing else down. It writes to an
// output file of its own in the work folder, which is read and removed once it has ended.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "scanner/ProbeResult.h"

namespace Brennholt::Scan {

class ProbeRunner {
 public:
  // interrupted is read while probes run; once true, running probes are killed.
  ProbeRunner(std::string plugprobe, std::filesystem::path workFolder,
              std::chrono::milliseconds timeout, const std::atomic<bool>& interrupted);

  // Probes the module; nothing when interrupted before the probe ended (its tree is killed
  // then). outputName names the probe's output file in the work folder and must differ between
  // probes that run at the same time. [worker threads, any number at once]
  std::optional<ProbeResult> probe(const std::string& modulePath,
                                   const std::string& outputName) const;

 private:
  ProbeResult judge(int exitCode, const std::filesystem::path& output) const;

  std::string plugprobe_;
  std::filesystem::path workFolder_;
  std::chrono::milliseconds timeout_;
  const std::atomic<bool>& interrupted_;
};

}  // namespace Brennholt::Scan
