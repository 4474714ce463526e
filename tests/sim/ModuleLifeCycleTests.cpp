// The module loaded, driven and unloaded again and again in one process, as a host does when the
// user switches it off and on: after every cycle the process has as many threads and open file
// descriptors as after the first, and (without the address sanitizer, whose quarantine keeps
// freed memory on purpose) its resident memory after the last cycle lies within a megabyte of
// that after the first. Leaks show under LeakSanitizer in the native preset when the program
// ends.
//
// 50 cycles by default; QENT_LIFE_CYCLES=1000 build/release/tests/lifecycle_tests runs the long
// version.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/scenario/ScenarioRunner.h"
#include "tests/support/ArtifactPath.h"

#if defined(__linux__)
#include <unistd.h>
#endif

using namespace QentSim;

namespace {

// One cycle on the demo project: the keyboard follows the selected track, a knob is turned, a
// function key runs its command, the setup window is opened from the Devices menu and closed
// again, and the module is shut down and unloaded.
std::string cycleScenario() {
  return R"(project demo
kb-assign "LeadSynth" 1 0 100
start
settle
expect target "LeadSynth"
turn AsgnKnob1 1
settle
tap F1
settle
menu "QENT6/QENT8 Extension Setup"
expect panel-open yes
panel close
expect panel-open no
stop
)";
}

int cycles() {
  const char* text = std::getenv("QENT_LIFE_CYCLES");
  return text && std::atoi(text) > 1 ? std::atoi(text) : 50;
}

#if defined(__linux__)
int entriesIn(const char* folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

// Threads, open descriptors and resident kilobytes of this process.
struct Footprint {
  int threads = entriesIn("/proc/self/task");
  int descriptors = entriesIn("/proc/self/fd");
  long residentKb = [] {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
  }();
};
#endif

TEST(ModuleLifeCycle, LoadDriveUnloadLeavesNoThreadDescriptorOrGrowingMemory) {
  const std::string scenario = cycleScenario();
  const int total = cycles();
  // A host of its own per cycle, as a user who quits and starts the host again: what the host
  // records (the keyboards' logs, the idle rounds) does not pile up across cycles.
  auto runCycle = [&scenario] {
    std::ostringstream out;
    ScenarioRunner runner(QentTest::artifactPath("qentlink.hox3"), out);
    return runner.runText(scenario);
  };

  // The first cycle pays for what a process sets up once (the loader's caches, the C library).
  ScenarioResult result = runCycle();
  ASSERT_TRUE(result.passed) << "cycle 1, line " << result.line << ": " << result.message;
#if defined(__linux__)
  const Footprint first;
#endif
  for (int cycle = 2; cycle <= total; ++cycle) {
    result = runCycle();
    ASSERT_TRUE(result.passed) << "cycle " << cycle << ", line " << result.line << ": "
                               << result.message;
#if defined(__linux__)
    const Footprint now;
    ASSERT_EQ(now.threads, first.threads) << "after cycle " << cycle;
    ASSERT_EQ(now.descriptors, first.descriptors) << "after cycle " << cycle;
#endif
  }
#if defined(__linux__)
  const Footprint last;
  std::printf(
      "[ measure  ] %d cycles: %d threads, %d descriptors, resident %ld kB after the "
      "first, %ld kB after the last\n",
      total, last.threads, last.descriptors, first.residentKb, last.residentKb);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(last.residentKb - first.residentKb, 1024);
#endif
#endif
}

}  // namespace
