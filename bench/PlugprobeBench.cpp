// Wall time of one plugprobe run on a component stand-in, against a process that only loads and
// unloads the same module. Both pay the same process start, so the difference is the finder's
// own work; the interleaved benchmark reports the ratio directly. The crowd benchmarks do the
// same on a stand-in with 10 000, 50 000 and 100 000 parameters and report the peak memory of
// both processes too, so that time and memory per parameter can be compared across sizes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
extern char** environ;
#endif

namespace {

#ifndef _WIN32
// Runs a program to its end; returns its exit code (-1 when it could not be started) and, where
// asked for, its peak resident memory in kB and its CPU time (user and system) in seconds.
int runCounted(const std::vector<std::string>& args, long* peakKb, double* cpuSeconds) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) return -1;
  if (peakKb) *peakKb = usage.ru_maxrss;
  if (cpuSeconds)
    *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return WEXITSTATUS(status);
}
#endif

// Runs a program to its end; returns its exit code, or -1 when it could not be started.
int runProgram(const std::vector<std::string>& args) {
#ifdef _WIN32
  std::string command;
  for (const std::string& arg : args) command += "\"" + arg + "\" ";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
#else
  return runCounted(args, nullptr, nullptr);
#endif
}

double medianOf(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  return values[middle];
}

void runMeasured(benchmark::State& state, const std::vector<std::string>& command) {
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (runProgram(command) != 0) {
      state.SkipWithError("the program did not complete with exit code 0");
      break;
    }
  }
}

void BM_PlugprobeRun(benchmark::State& state, const char* module) {
  runMeasured(state, {PLUGPROBE_PATH, module, OUTPUT_PATH});
}
void BM_LoadUnloadOnly(benchmark::State& state, const char* module) {
  runMeasured(state, {BASELINE_PATH, module, OUTPUT_PATH});
}

// Alternates the two so that both see the same machine load; reports mean times and the ratio.
// With freshOutput the output file is removed before each probe: on Linux file systems that
// flush a file rewritten in place when it is closed, that flush alone can outweigh the probe.
void BM_ProbeOverBaseline(benchmark::State& state, const char* module, bool freshOutput) {
  using Clock = std::chrono::steady_clock;
  const std::vector<std::string> probeCommand = {PLUGPROBE_PATH, module, OUTPUT_PATH};
  const std::vector<std::string> baselineCommand = {BASELINE_PATH, module, OUTPUT_PATH};
  double probeSeconds = 0.0;
  double baselineSeconds = 0.0;
  std::vector<double> probeRuns;
  std::vector<double> baselineRuns;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (freshOutput) std::remove(OUTPUT_PATH);
    auto t0 = Clock::now();
    int probe = runProgram(probeCommand);
    auto t1 = Clock::now();
    int baseline = runProgram(baselineCommand);
    auto t2 = Clock::now();
    if (probe != 0 || baseline != 0) {
      state.SkipWithError("a program did not complete with exit code 0");
      break;
    }
    probeSeconds += std::chrono::duration<double>(t1 - t0).count();
    baselineSeconds += std::chrono::duration<double>(t2 - t1).count();
    probeRuns.push_back(std::chrono::duration<double>(t1 - t0).count());
    baselineRuns.push_back(std::chrono::duration<double>(t2 - t1).count());
  }
  double n = static_cast<double>(state.iterations());
  if (n > 0 && baselineSeconds > 0) {
    state.counters["probe_ms"] = 1000.0 * probeSeconds / n;
    state.counters["baseline_ms"] = 1000.0 * baselineSeconds / n;
    state.counters["ratio"] = probeSeconds / baselineSeconds;
    // On a shared machine a few runs wait long for a core; medians and minima see past them.
    const double probeMedian = medianOf(probeRuns);
    const double baselineMedian = medianOf(baselineRuns);
    state.counters["probe_median_ms"] = 1000.0 * probeMedian;
    state.counters["baseline_median_ms"] = 1000.0 * baselineMedian;
    if (baselineMedian > 0) state.counters["ratio_median"] = probeMedian / baselineMedian;
    const double probeMin = *std::min_element(probeRuns.begin(), probeRuns.end());
    const double baselineMin = *std::min_element(baselineRuns.begin(), baselineRuns.end());
    if (baselineMin > 0) state.counters["ratio_min"] = probeMin / baselineMin;
  }
}

#if !defined(_WIN32) && defined(CROWD_MODULE_PATH)

// plugprobe and the bare load alternately on the crowd stand-in with `parameters` parameters.
// Wall time includes writing the output (2.3 MB at 100 000 parameters), which a busy disk can
// stretch; CPU time and peak memory are the figures to compare across sizes.
void BM_CrowdOverBaseline(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const std::string parameters = std::to_string(state.range(0));
  setenv("HOSTILE_PARAMETERS", parameters.c_str(), 1);
  const std::vector<std::string> probeCommand = {PLUGPROBE_PATH, CROWD_MODULE_PATH, OUTPUT_PATH};
  const std::vector<std::string> baselineCommand = {BASELINE_PATH, CROWD_MODULE_PATH, OUTPUT_PATH};
  double probeSeconds = 0.0;
  double baselineSeconds = 0.0;
  long probePeak = 0;
  long baselinePeak = 0;
  double probeCpu = 0.0;
  double baselineCpu = 0.0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    std::remove(OUTPUT_PATH);
    long peak = 0;
    double cpu = 0.0;
    auto t0 = Clock::now();
    int probe = runCounted(probeCommand, &peak, &cpu);
    auto t1 = Clock::now();
    probePeak = std::max(probePeak, peak);
    probeCpu += cpu;
    int baseline = runCounted(baselineCommand, &peak, &cpu);
    auto t2 = Clock::now();
    baselinePeak = std::max(baselinePeak, peak);
    baselineCpu += cpu;
    if (probe != 0 || baseline != 0) {
      state.SkipWithError("a program did not complete with exit code 0");
      break;
    }
    probeSeconds += std::chrono::duration<double>(t1 - t0).count();
    baselineSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  unsetenv("HOSTILE_PARAMETERS");
  double n = static_cast<double>(state.iterations());
  if (n > 0 && baselineSeconds > 0) {
    state.counters["probe_ms"] = 1000.0 * probeSeconds / n;
    state.counters["baseline_ms"] = 1000.0 * baselineSeconds / n;
    state.counters["ratio"] = probeSeconds / baselineSeconds;
    state.counters["probe_cpu_ms"] = 1000.0 * probeCpu / n;
    state.counters["baseline_cpu_ms"] = 1000.0 * baselineCpu / n;
    state.counters["probe_peak_kb"] = static_cast<double>(probePeak);
    state.counters["baseline_peak_kb"] = static_cast<double>(baselinePeak);
    FILE* output = std::fopen(OUTPUT_PATH, "rb");
    if (output != nullptr) {
      std::fseek(output, 0, SEEK_END);
      state.counters["output_bytes"] = static_cast<double>(std::ftell(output));
      std::fclose(output);
    }
  }
}
#endif

}  // namespace

#if !defined(_WIN32) && defined(CROWD_MODULE_PATH)
BENCHMARK(BM_CrowdOverBaseline)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->ArgName("parameters")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
#endif

// One instrument with one parameter, and the full stand-in: five instruments, nested units, a
// message round trip between the halves including one from a second thread.
BENCHMARK_CAPTURE(BM_PlugprobeRun, single, SINGLE_MODULE_PATH)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadUnloadOnly, single, SINGLE_MODULE_PATH)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ProbeOverBaseline, single, SINGLE_MODULE_PATH, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK_CAPTURE(BM_ProbeOverBaseline, single_fresh_output, SINGLE_MODULE_PATH, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK_CAPTURE(BM_ProbeOverBaseline, ensemble_fresh_output, ENSEMBLE_MODULE_PATH, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

BENCHMARK_MAIN();
