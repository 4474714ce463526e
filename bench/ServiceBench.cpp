// The keyboard service in the reference host, on the module of the same build: a knob turn until
// its value text reaches the keyboard, the service's idle call with nothing to do and with 24
// bound knobs, the full refresh after a track change, and the setup window's file save and load
// and its settings write.
//
// CPU figures are the host thread's own (CLOCK_THREAD_CPUTIME_ID), so the channel workers and
// the sleeps that wait for them do not count. Allocations are counted by interposing malloc and
// its relatives in this program: the module is a separate shared object, but its operator new
// and its own malloc calls resolve to the program's malloc, so they are counted too. "allocs"
// counts the host thread's calls, "allocs_all" those of every thread in the same span.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "sim/host/panels/HostWindow.h"
#include "sim/host/project/ProjectDescription.h"
#include "sim/keyboard/KnobSetting.h"
#include "sim/scenario/Simulation.h"

// ---- allocation counter -----------------------------------------------------------------------

namespace {

std::atomic<std::uint64_t> allAllocations{0};
thread_local std::uint64_t threadAllocations = 0;

inline void countAllocation() {
  allAllocations.fetch_add(1, std::memory_order_relaxed);
  ++threadAllocations;
}

}  // namespace

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

// Exported so that the module, loaded later, binds to these too.
__attribute__((visibility("default"))) void* malloc(std::size_t size) {
  countAllocation();
  return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
  countAllocation();
  return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* block, std::size_t size) {
  countAllocation();
  return __libc_realloc(block, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment,
                                                           std::size_t size) {
  countAllocation();
  return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
  countAllocation();
  return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t alignment,
                                                          std::size_t size) {
  countAllocation();
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return 12;  // ENOMEM
  *out = block;
  return 0;
}
}

namespace {

using QentSim::KnobSetting;
using QentSim::ProjectDescription;
using QentSim::Simulation;
using QentSim::VirtualKeyboard;

std::uint64_t threadCpuNs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

// True when a malloc through the library's own entry reaches the counter.
bool allocationsCounted() {
  const std::uint64_t before = threadAllocations;
  void* (*const viaLibrary)(std::size_t) =
      reinterpret_cast<void* (*)(std::size_t)>(dlsym(RTLD_DEFAULT, "malloc"));
  void* block = viaLibrary != nullptr ? viaLibrary(24) : nullptr;
  free(block);
  return threadAllocations != before;
}

// A stream that drops what the scenario side prints.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

// One instrument track, selected, on an instrument whose 12 parameters the keyboard has stored
// for knobs 1..12; knobs 13..24 are the channel equaliser's, so all 24 have something to bind.
constexpr int kParameters = 12;
constexpr const char* kTargetName = "BenchSynth";

constexpr const char* kSecondTargetName = "BenchBass";

void instrumentText(std::ostringstream& json, const char* name, const char* prefix) {
  json << R"({ "name": ")" << name << R"(", "effectType": ")" << name << R"(", "parameters": [)";
  for (int p = 1; p <= kParameters; ++p) {
    json << (p > 1 ? ", " : "") << R"({ "id": )" << p << R"(, "title": ")" << prefix << " " << p
         << R"(", "min": 0, "max": 100, "value": 50, "format": "%.3f" })";
  }
  json << "] }";
}

// With `secondTrack`, a second instrument track with an instrument of its own, not selected.
std::string projectText(bool secondTrack = false) {
  std::ostringstream json;
  json << R"({ "tracks": [ { "name": "Lead", "kind": "instrument", "instrument": "Bench Synth",)"
       << R"( "selected": true })";
  if (secondTrack) {
    json << R"(, { "name": "Bass", "kind": "instrument", "instrument": "Bench Bass" })";
  }
  json << R"( ], "instruments": [ )";
  instrumentText(json, "Bench Synth", "Param");
  if (secondTrack) {
    json << ", ";
    instrumentText(json, "Bench Bass", "Bass");
  }
  json << " ] }";
  return json.str();
}

// A running host with one keyboard, detection done and settled; with `project`, the project
// above is open and the keyboard holds the assignments for its target.
class Rig {
 public:
  explicit Rig(bool project, bool secondTrack = false) : out_(&nothing_), sim_(MODULE_PATH, out_) {
    host().setKeyboardCount(1);
    if (project) {
      ProjectDescription description;
      if (!ProjectDescription::parse(projectText(secondTrack), "bench", &description, &error_))
        return;
      host().openProject(description);
      for (int knob = 0; knob < kParameters; ++knob) {
        KnobSetting setting;
        setting.mode = 0;
        setting.parameterId = static_cast<std::uint32_t>(knob + 1);
        sim_.keyboard(1).storeAssignment(kTargetName, knob, setting);
        if (secondTrack) sim_.keyboard(1).storeAssignment(kSecondTargetName, knob, setting);
      }
    }
    if (!host().start(&error_)) return;
    if (!host().serviceAccepted()) {
      error_ = "the module's service refused to start";
      return;
    }
    sim_.markChanged();
    if (!sim_.settle(&error_)) return;
    // The name timer and other short timers run out on a moving clock.
    for (int round = 0; round < 30; ++round) idleRound();
    sim_.markChanged();
    if (!sim_.settle(&error_)) return;
    // Measured as a real host runs the module: without waiting for its threads after each call.
    host().moduleThreads().setWaiting(false);
    ready_ = true;
  }

  bool ready() const { return ready_; }
  const std::string& error() const { return error_; }
  Simulation& sim() { return sim_; }
  QentSim::SimHost& host() { return sim_.host(); }
  VirtualKeyboard& keyboard() { return sim_.keyboard(1); }

  // One idle round of a host whose clock moves 10 ms a round, then the keyboard's answers.
  void idleRound() {
    host().setClock(host().clock() + Simulation::kRoundMs);
    sim_.idleRound();
  }

  // Knobs whose name on the keyboard is a bound parameter's.
  int boundKnobs() {
    int bound = 0;
    for (int knob = 0; knob < VirtualKeyboard::kKnobCount; ++knob) {
      const std::string name = keyboard().knobName(knob);
      if (!name.empty() && name != "*No Assign" && name != "*Not Found") ++bound;
    }
    return bound;
  }

 private:
  NullBuffer nothing_;
  std::ostream out_;
  Simulation sim_;
  std::string error_;
  bool ready_ = false;
};

// (a) One tick of knob 1, alternately up and down, then idle rounds until the knob's value text
// on the keyboard changes. Between rounds that saw nothing the benchmark pauses for `pauseUs`
// (50 µs: rounds nearly back to back; 2000 µs: rounds spaced more like a host's idle timer,
// which still leaves the workers far less time than a real host's 10 ms and more), so the channel
// workers can deliver without the host spinning; the pauses are not counted as host CPU. A turn
// whose text has not arrived within 2 s counts as not reached; after the first such turn the
// remaining iterations do nothing, and the label says why.
//
// With `awaitWorkers` the host waits for the module's workers after every call, as the scenario
// runner does: the rounds are then the fewest the design's path allows (the message handed on by
// the workers between any two calls), which the real-host figure is held against.
double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  return values[middle];
}

void BM_KnobTurnToKeyboard(benchmark::State& state, bool awaitWorkers, int pauseUs) {
  constexpr int kMaxRounds = 100000;
  constexpr auto kMaxWait = std::chrono::seconds(2);
  Rig rig(true);
  if (!rig.ready()) {
    state.SkipWithError(("host not ready: " + rig.error()).c_str());
    return;
  }
  rig.host().moduleThreads().setWaiting(awaitWorkers);
  std::vector<double> roundSamples;
  std::vector<double> cpuSamples;
  const int bound = rig.boundKnobs();
  std::uint64_t turns = 0, reached = 0, cpuNs = 0;
  bool gaveUp = false;
  int direction = 1;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (gaveUp) continue;
    const std::string before = rig.keyboard().knobValue(0);
    const auto wallStart = std::chrono::steady_clock::now();
    const std::uint64_t cpuStart = threadCpuNs();
    std::uint64_t cpuWaiting = 0;
    std::string error;
    rig.keyboard().turn(0, direction, &error);
    direction = -direction;
    int round = 0;
    bool arrived = false;
    while (round < kMaxRounds) {
      rig.idleRound();
      ++round;
      if (rig.keyboard().knobValue(0) != before) {
        arrived = true;
        break;
      }
      if (std::chrono::steady_clock::now() - wallStart > kMaxWait) break;
      const std::uint64_t sleepStart = threadCpuNs();
      std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
      cpuWaiting += threadCpuNs() - sleepStart;
    }
    const std::uint64_t cpu = threadCpuNs() - cpuStart - cpuWaiting;
    ++turns;
    if (!arrived) {
      gaveUp = true;
      continue;
    }
    ++reached;
    roundSamples.push_back(static_cast<double>(round));
    cpuSamples.push_back(static_cast<double>(cpu) / 1000.0);
    cpuNs += cpu;
  }
  state.counters["bound"] = bound;
  state.counters["reached"] =
      turns != 0 ? static_cast<double>(reached) / static_cast<double>(turns) : 0.0;
  if (reached == 0) {
    state.SetLabel("the value text never reached the keyboard within 2 s: not measured");
    return;
  }
  state.counters["rounds_p50"] = median(roundSamples);
  state.counters["rounds_min"] = *std::min_element(roundSamples.begin(), roundSamples.end());
  state.counters["rounds_max"] = *std::max_element(roundSamples.begin(), roundSamples.end());
  std::vector<double> sorted = roundSamples;
  std::sort(sorted.begin(), sorted.end());
  state.counters["rounds_p99"] = sorted[(sorted.size() - 1) * 99 / 100];
  state.counters["cpu_us"] = static_cast<double>(cpuNs) / static_cast<double>(reached) / 1000.0;
  state.counters["cpu_us_p50"] = median(cpuSamples);
  if (gaveUp) state.SetLabel("a value text stopped arriving part way");
}
BENCHMARK_CAPTURE(BM_KnobTurnToKeyboard, real_host, false, 50)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KnobTurnToKeyboard, real_host_paced, false, 2000)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KnobTurnToKeyboard, workers_awaited, true, 0)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// (b) and (c): the service's idle call alone (the host's idle handlers, with nothing due for
// them), or a whole host idle round with the remote's idle call and both MIDI directions. The
// clock stands still, so no timer runs out during the measurement.
void measureIdle(benchmark::State& state, bool project, bool wholeRound) {
  Rig rig(project);
  if (!rig.ready()) {
    state.SkipWithError(("host not ready: " + rig.error()).c_str());
    return;
  }
  const int bound = rig.boundKnobs();
  for (int warm = 0; warm < 100; ++warm) rig.host().callIdleHandlers();
  const bool counted = allocationsCounted();
  const std::uint64_t threadBefore = threadAllocations;
  const std::uint64_t allBefore = allAllocations.load();
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (wholeRound) {
      rig.host().idleRound();
    } else {
      rig.host().callIdleHandlers();
    }
  }
  const double calls = static_cast<double>(state.iterations());
  state.counters["bound"] = bound;
  // The same call outside the benchmark's loop, as many times, call by call: how many calls
  // allocated at all, so that an allocation of the benchmark library itself is not taken for
  // the module's.
  if (counted && !wholeRound) {
    int allocatingCalls = 0;
    const std::int64_t probeCalls = std::min<std::int64_t>(state.iterations(), 5000000);
    for (std::int64_t call = 0; call < probeCalls; ++call) {
      const std::uint64_t before = allAllocations.load();
      rig.host().callIdleHandlers();
      if (allAllocations.load() != before) ++allocatingCalls;
    }
    state.counters["probe_calls"] = static_cast<double>(probeCalls);
    state.counters["allocating_calls"] = allocatingCalls;
  }
  if (counted && calls > 0) {
    state.counters["allocs"] = static_cast<double>(threadAllocations - threadBefore) / calls;
    state.counters["allocs_all"] = static_cast<double>(allAllocations.load() - allBefore) / calls;
  } else {
    state.SetLabel("allocations not counted: malloc is not interposed in this build");
  }
  if (project && bound < VirtualKeyboard::kKnobCount && counted) {
    state.SetLabel("only " + std::to_string(bound) + " of 24 knobs bound");
  }
}

void BM_IdleNothingToDo(benchmark::State& state) { measureIdle(state, false, false); }
void BM_IdleNothingToDoHostRound(benchmark::State& state) { measureIdle(state, false, true); }
void BM_Idle24Knobs(benchmark::State& state) { measureIdle(state, true, false); }
void BM_Idle24KnobsHostRound(benchmark::State& state) { measureIdle(state, true, true); }
BENCHMARK(BM_IdleNothingToDo)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_IdleNothingToDoHostRound)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Idle24Knobs)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Idle24KnobsHostRound)->Unit(benchmark::kNanosecond);

// (d) The selected track changes between two instrument tracks, each with 12 stored knobs: what
// reaches the keyboard until five idle rounds in a row bring nothing more. The host waits for the
// workers after each call, so the rounds count the design's path, not thread timing; the host
// thread's CPU (from the selection until the last message) is measured the same way. The cable's
// time is the bytes at 31.25 kbit/s with 10 bits per byte (start, eight data bits, stop).
void BM_TrackChangeRefresh(benchmark::State& state) {
  constexpr int kQuietRounds = 5;
  constexpr int kMaxRounds = 2000;
  Rig rig(true, true);
  if (!rig.ready()) {
    state.SkipWithError(("host not ready: " + rig.error()).c_str());
    return;
  }
  rig.host().moduleThreads().setWaiting(true);
  std::vector<double> messages, bytes, rounds, cpuUs;
  bool toSecond = true;
  bool complete = true;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    rig.keyboard().clearLog();
    std::string error;
    const std::uint64_t cpuStart = threadCpuNs();
    std::uint64_t cpuAtLast = cpuStart;
    const bool selected = rig.sim().hostStep(
        [&] { return rig.host().selectTrack(toSecond ? "Bass" : "Lead", &error); });
    if (!selected) {
      state.SkipWithError(("track not selected: " + error).c_str());
      return;
    }
    toSecond = !toSecond;
    std::size_t seen = rig.keyboard().received().size();
    if (seen != 0) cpuAtLast = threadCpuNs();
    int round = 0;
    int lastBusy = 0;
    while (round - lastBusy < kQuietRounds && round < kMaxRounds) {
      rig.idleRound();
      ++round;
      if (rig.keyboard().received().size() != seen) {
        seen = rig.keyboard().received().size();
        lastBusy = round;
        cpuAtLast = threadCpuNs();
      }
    }
    if (round >= kMaxRounds) complete = false;
    std::size_t total = 0;
    for (const auto& message : rig.keyboard().received()) total += message.bytes.size();
    messages.push_back(static_cast<double>(seen));
    bytes.push_back(static_cast<double>(total));
    rounds.push_back(static_cast<double>(lastBusy));
    cpuUs.push_back(static_cast<double>(cpuAtLast - cpuStart) / 1000.0);
  }
  const double medianBytes = median(bytes);
  state.counters["messages"] = median(messages);
  state.counters["bytes"] = medianBytes;
  state.counters["rounds"] = median(rounds);
  state.counters["rounds_max"] = *std::max_element(rounds.begin(), rounds.end());
  state.counters["cpu_us"] = median(cpuUs);
  state.counters["wire_ms"] = medianBytes * 10.0 / 31250.0 * 1000.0;
  if (!complete) state.SetLabel("the keyboard never went quiet within 2000 rounds");
}
BENCHMARK(BM_TrackChangeRefresh)->Iterations(40)->Unit(benchmark::kMillisecond);

// (e) The setup window: a save of every memory to a setup file through the host's save selector
// and XML writer, a load of that file through the open selector and XML reader (which also writes
// the model to the settings), and closing the window, which writes the model to the settings.
// Only the host call itself is timed; opening the window again and an idle round afterwards
// (which sends the keyboard what a load changed) are not.
class SetupRig {
 public:
  static constexpr const char* kMenuTitle = "QENT6/QENT8 Extension Setup";

  SetupRig() : rig_(true) {
    file_ = (std::filesystem::temp_directory_path() /
             ("qent-bench-setup-" + std::to_string(::getpid()) + ".kqe"))
                .string();
    if (rig_.ready()) openWindow();
  }
  ~SetupRig() { std::filesystem::remove(file_); }

  bool openWindow() {
    std::string why;
    if (!rig_.host().pickMenuEntry("Devices", kMenuTitle, &why)) {
      error_ = "no setup window: " + why;
      return false;
    }
    window_ = rig_.host().activeWindow();
    if (window_ == nullptr) error_ = "the setup window did not open";
    return window_ != nullptr;
  }
  bool press(const char* button, QentSim::DialogKind answer) {
    rig_.host().queueDialogAnswer(answer, file_);
    std::string why;
    if (window_ == nullptr || !window_->press(button, &why)) {
      error_ = std::string(button) + ": " + why;
      return false;
    }
    return true;
  }

  Rig& rig() { return rig_; }
  bool ready() const { return rig_.ready() && window_ != nullptr; }
  std::string error() const { return rig_.ready() ? error_ : rig_.error(); }
  const std::string& file() const { return file_; }

 private:
  Rig rig_;
  std::string file_;
  QentSim::HostWindow* window_ = nullptr;
  std::string error_;
};

void BM_SetupFileSave(benchmark::State& state) {
  SetupRig setup;
  if (!setup.ready()) {
    state.SkipWithError(setup.error().c_str());
    return;
  }
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (!setup.press("SaveButton", QentSim::DialogKind::kSave)) {
      state.SkipWithError(setup.error().c_str());
      return;
    }
  }
  std::error_code error;
  state.counters["file_bytes"] =
      static_cast<double>(std::filesystem::file_size(setup.file(), error));
}
BENCHMARK(BM_SetupFileSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SetupFileLoad(benchmark::State& state) {
  SetupRig setup;
  if (!setup.ready() || !setup.press("SaveButton", QentSim::DialogKind::kSave)) {
    state.SkipWithError(setup.error().c_str());
    return;
  }
  const std::size_t alertsBefore = setup.rig().host().alertsShown().size();
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (!setup.press("LoadButton", QentSim::DialogKind::kOpen)) {
      state.SkipWithError(setup.error().c_str());
      return;
    }
    state.PauseTiming();
    setup.rig().idleRound();
    state.ResumeTiming();
  }
  if (setup.rig().host().alertsShown().size() != alertsBefore) {
    state.SkipWithError("the module refused its own setup file");
  }
}
BENCHMARK(BM_SetupFileLoad)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SettingsWriteOnClose(benchmark::State& state) {
  SetupRig setup;
  if (!setup.ready()) {
    state.SkipWithError(setup.error().c_str());
    return;
  }
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    if (!setup.rig().host().closeWindow()) {
      state.SkipWithError("the window did not close");
      return;
    }
    state.PauseTiming();
    setup.rig().idleRound();
    const bool reopened = setup.openWindow();
    state.ResumeTiming();
    if (!reopened) {
      state.SkipWithError(setup.error().c_str());
      return;
    }
  }
}
BENCHMARK(BM_SettingsWriteOnClose)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
