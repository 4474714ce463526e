// plugscan's figures on stand-in modules whose probes take about 20 ms (they sleep while being
// loaded):
//   - a scan of 200 such modules with --jobs 1 and with --jobs <cores>, and the speed-up;
//   - a rescan of 1000 unchanged modules, answered from the cache without starting a process;
//   - the time plugscan adds per module over running plugprobe on each module one after another.
// The speed-up, its goal and the overhead are printed after the benchmarks' table.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kWork = fs::path(BENCH_WORK_DIR);

// Runs a program to its end (output discarded); false when it could not be started.
bool run(const std::string& program, const std::vector<std::string>& arguments) {
  std::string error;
  Brennholt::Platform::ProcessHandle process =
      Brennholt::Platform::startProcess(program, arguments, &error);
  if (!process) return false;
  Brennholt::Platform::waitProcess(process, Brennholt::Platform::kWaitForever);
  Brennholt::Platform::closeProcess(process, nullptr);
  return true;
}

// A folder of count copies of a module (made once, kept between runs).
fs::path collection(const std::string& name, const char* module, int count) {
  fs::path folder = kWork / name;
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "M%04d.hox3", i);
    if (!fs::exists(folder / file)) fs::copy_file(module, folder / file);
  }
  return folder;
}

nlohmann::json readReport(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return nlohmann::json::parse(text.str(), nullptr, false);
}

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

unsigned cores() { return std::max(1u, std::thread::hardware_concurrency()); }

// Seconds per scan of the 200 modules, by job count; per-module overhead, filled as they run.
double scanSeconds[2] = {0, 0};
double directSeconds = 0;
double rescanSeconds = 0;
int rescanProbed = -1;

// Scans 200 modules of about 20 ms with --jobs 1 (range 0) or --jobs <cores> (range 1).
void BM_Scan200(benchmark::State& state) {
  fs::path folder = collection("sleepy200", SLEEPY_MODULE, 200);
  unsigned jobs = state.range(0) == 0 ? 1 : cores();
  double total = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    run(PLUGSCAN_PATH, {"--jobs", std::to_string(jobs), "--rescan", "all", "--cache",
                        (kWork / "scan200.cache").string(), folder.string()});
    double elapsed = seconds(start);
    state.SetIterationTime(elapsed);
    total += elapsed;
  }
  scanSeconds[state.range(0)] = total / static_cast<double>(state.iterations());
  state.counters["jobs"] = jobs;
  state.counters["modules/s"] = benchmark::Counter(200.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Scan200)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// plugprobe alone on the same 200 modules, one after another: what --jobs 1 is measured against.
void BM_PlugprobeAlone200(benchmark::State& state) {
  fs::path folder = collection("sleepy200", SLEEPY_MODULE, 200);
  std::vector<std::string> modules;
  for (const auto& entry : fs::directory_iterator(folder)) modules.push_back(entry.path().string());
  double total = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    for (const std::string& module : modules)
      run(PLUGPROBE_PATH, {module, (kWork / "alone.txt").string()});
    double elapsed = seconds(start);
    state.SetIterationTime(elapsed);
    total += elapsed;
  }
  directSeconds = total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PlugprobeAlone200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// A rescan of 1000 unchanged modules: every answer from the cache.
void BM_Rescan1000Unchanged(benchmark::State& state) {
  fs::path folder = collection("quick1000", QUICK_MODULE, 1000);
  fs::path cache = kWork / "rescan1000.cache";
  fs::path report = kWork / "rescan1000.json";
  run(PLUGSCAN_PATH, {"--cache", cache.string(), folder.string()});  // fills the cache
  double total = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    run(PLUGSCAN_PATH, {"--cache", cache.string(), "--report", report.string(), folder.string()});
    double elapsed = seconds(start);
    state.SetIterationTime(elapsed);
    total += elapsed;
  }
  rescanSeconds = total / static_cast<double>(state.iterations());
  nlohmann::json json = readReport(report);
  rescanProbed = json.is_object() ? json["probed"].get<int>() : -1;
  state.counters["probes_started"] = rescanProbed;
  if (rescanProbed != 0) state.SkipWithError("the rescan started probes");
}
BENCHMARK(BM_Rescan1000Unchanged)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  fs::create_directories(kWork);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (scanSeconds[0] > 0 && scanSeconds[1] > 0) {
    double speedUp = scanSeconds[0] / scanSeconds[1];
    std::printf("speed-up of --jobs %u over --jobs 1 on 200 modules of ~20 ms: %.2f (goal %.2f)\n",
                cores(), speedUp, 0.8 * cores());
  }
  if (scanSeconds[0] > 0 && directSeconds > 0) {
    std::printf(
        "plugscan --jobs 1: %.1f ms per module; plugprobe alone: %.1f ms; overhead %.2f ms "
        "per module\n",
        scanSeconds[0] * 1000 / 200, directSeconds * 1000 / 200,
        (scanSeconds[0] - directSeconds) * 1000 / 200);
  }
  if (rescanProbed >= 0) {
    std::printf(
        "rescan of 1000 unchanged modules: %.0f ms, %d probes started (goal under 1 s, "
        "none)\n",
        rescanSeconds * 1000, rescanProbed);
  }
  return 0;
}
