// Runs plugprobe the way the companion tool does: as a separate process whose exit code and files
// are all it reports. Natively the child is started with posix_spawn; in the Windows build (also
// under Wine) with CreateProcess. The child's console output is caught in a file, since plugprobe
// must never print anything.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ProbeRun {

struct Outcome {
  int exitCode = -1;
  bool finished = false;     // false when it crashed, hung past the time limit or never started
  std::string console;       // everything it wrote to stdout and stderr
  double cpuSeconds = 0;     // user and system time of the finished child; 0 when unknown
  double peakMegabytes = 0;  // its largest resident (working) set; 0 when unknown
};

// Starts `program` with `args` (each passed as one argument, empty ones included), waits at
// most `timeoutMs` and collects the outcome. Console output goes through `consoleFile`.
Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& consoleFile, int timeoutMs);

// Sets or clears an environment variable of this process, inherited by the programs it starts.
void setEnvironment(const char* name, const char* value);

// The platform's separator: the tests build paths as the companion tool would pass them.
char separator();

// One line per entry, each ended with CR LF: how plugprobe's output file is expected to look.
std::string crlfLines(const std::vector<std::string>& lines);

// Each test gets an empty work folder for output files and the stand-in plug-ins' trace.
class ProbeRunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs plugprobe with the arguments; checks that it finished and printed nothing and returns
  // its exit code.
  int probe(const std::vector<std::string>& args);
  // The same, returning the whole outcome with the child's resource figures.
  Outcome probeOutcome(const std::vector<std::string>& args);

  // A path in this test's work folder.
  std::string work(const std::string& name) const;
  // A stand-in plug-in; `relative` uses '/' and is turned into the platform's form.
  static std::string plugin(const std::string& relative);

  static std::optional<std::string> readFile(const std::string& path);
  static void writeFile(const std::string& path, const std::string& content);
  static bool exists(const std::string& path);
  // Lines the stand-in plug-ins traced during this test, in order.
  std::vector<std::string> trace() const;
  // Whether a module of that tag was loaded during this test.
  bool loaded(const std::string& tag) const;
  // Files in the work folder other than the harness's own (console and trace).
  std::vector<std::string> producedFiles() const;

 private:
  std::string workDir_;
};

}  // namespace ProbeRun
