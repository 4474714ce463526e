// The module loaded, driven and unloaded again and again in one process, as a host does when the
// user switches it off and on: after every cycle the process has as many threads and open file
// descriptors (on Windows: handles) as after the first, and (without the address sanitizer,
// whose quarantine keeps freed memory on purpose) its resident memory (working set) after the
// last cycle lies within a megabyte of that after the first. Leaks show under LeakSanitizer in the
// native preset when the program ends.
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
#elif defined(_WIN32)
#include <windows.h>
// After windows.h, which they build on.
#include <psapi.h>
#include <tlhelp32.h>
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
#elif defined(_WIN32)
int threadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

// Open handles of this process. Wine answers the count with 0, so there every handle value is
// asked for in turn (handle values are multiples of 4, handed out lowest first).
int handlesOfThisProcess() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return int(count);
  int valid = 0;
  DWORD flags = 0;
  for (ULONG_PTR value = 4; value < 65536; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++valid;
  return valid;
}

// Threads, open handles and working-set kilobytes of this process (the snapshot's own handle is
// closed before the handles are counted).
struct Footprint {
  int threads = threadsOfThisProcess();
  int descriptors = handlesOfThisProcess();
  long residentKb = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? long(counters.WorkingSetSize / 1024)
               : -1L;
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
#if defined(__linux__) || defined(_WIN32)
  const Footprint first;
  ASSERT_GT(first.threads, 0);
  ASSERT_GT(first.descriptors, 0);
#endif
  for (int cycle = 2; cycle <= total; ++cycle) {
    result = runCycle();
    ASSERT_TRUE(result.passed) << "cycle " << cycle << ", line " << result.line << ": "
                               << result.message;
#if defined(__linux__) || defined(_WIN32)
    const Footprint now;
    ASSERT_EQ(now.threads, first.threads) << "after cycle " << cycle;
    ASSERT_EQ(now.descriptors, first.descriptors) << "after cycle " << cycle;
#endif
  }
#if defined(__linux__) || defined(_WIN32)
  const Footprint last;
  std::printf(
      "[ measure  ] %d cycles: %d threads, %d descriptors or handles, resident %ld kB after the "
      "first, %ld kB after the last\n",
      total, last.threads, last.descriptors, first.residentKb, last.residentKb);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LE(last.residentKb - first.residentKb, 1024);
#endif
#endif
}

}  // namespace
