// The keyboard service in the reference host, on the module of the same build: a knob turn until
// its value text reaches the keyboard, and the service's idle call with nothing to do and with
// 24 bound knobs.
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

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>

#include "sim/host/ProjectDescription.h"
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

std::string projectText() {
  std::ostringstream json;
  json << R"({ "tracks": [ { "name": "Lead", "kind": "instrument", "instrument": "Bench Synth",)"
       << R"( "selected": true } ], "instruments": [ { "name": "Bench Synth",)"
       << R"( "effectType": "Bench Synth", "parameters": [)";
  for (int p = 1; p <= kParameters; ++p) {
    json << (p > 1 ? ", " : "") << R"({ "id": )" << p << R"(, "title": "Param )" << p
         << R"(", "min": 0, "max": 100, "value": 50, "format": "%.3f" })";
  }
  json << "] } ] }";
  return json.str();
}

// A running host with one keyboard, detection done and settled; with `project`, the project
// above is open and the keyboard holds the assignments for its target.
class Rig {
 public:
  explicit Rig(bool project) : out_(&nothing_), sim_(MODULE_PATH, out_) {
    host().setKeyboardCount(1);
    if (project) {
      ProjectDescription description;
      if (!ProjectDescription::parse(projectText(), "bench", &description, &error_)) return;
      host().openProject(description);
      for (int knob = 0; knob < kParameters; ++knob) {
        KnobSetting setting;
        setting.mode = 0;
        setting.parameterId = static_cast<std::uint32_t>(knob + 1);
        sim_.keyboard(1).storeAssignment(kTargetName, knob, setting);
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
// on the keyboard changes. Between rounds that saw nothing the benchmark sleeps briefly, so the
// channel workers can deliver without the host spinning. A turn whose text has not arrived after
// kMaxRounds rounds and kMaxWait counts as not reached; after the first such turn the remaining
// iterations do nothing, and the label says why (the service may not send knob values yet).
void BM_KnobTurnToKeyboard(benchmark::State& state) {
  constexpr int kMaxRounds = 100;
  constexpr auto kMaxWait = std::chrono::milliseconds(200);
  Rig rig(true);
  if (!rig.ready()) {
    state.SkipWithError(("host not ready: " + rig.error()).c_str());
    return;
  }
  const int bound = rig.boundKnobs();
  std::uint64_t turns = 0, reached = 0, rounds = 0, cpuNs = 0;
  std::uint64_t fewest = ~std::uint64_t{0}, most = 0;
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
      std::this_thread::sleep_for(std::chrono::microseconds(50));
      cpuWaiting += threadCpuNs() - sleepStart;
    }
    const std::uint64_t cpu = threadCpuNs() - cpuStart - cpuWaiting;
    ++turns;
    if (!arrived) {
      gaveUp = true;
      continue;
    }
    ++reached;
    rounds += static_cast<std::uint64_t>(round);
    cpuNs += cpu;
    fewest = std::min<std::uint64_t>(fewest, static_cast<std::uint64_t>(round));
    most = std::max<std::uint64_t>(most, static_cast<std::uint64_t>(round));
  }
  state.counters["bound"] = bound;
  state.counters["reached"] =
      turns != 0 ? static_cast<double>(reached) / static_cast<double>(turns) : 0.0;
  if (reached == 0) {
    state.SetLabel("the value text never reached the keyboard within 100 rounds: not measured");
    return;
  }
  state.counters["rounds"] = static_cast<double>(rounds) / static_cast<double>(reached);
  state.counters["rounds_min"] = static_cast<double>(fewest);
  state.counters["rounds_max"] = static_cast<double>(most);
  state.counters["cpu_us"] = static_cast<double>(cpuNs) / static_cast<double>(reached) / 1000.0;
  if (gaveUp) state.SetLabel("a value text stopped arriving part way");
}
BENCHMARK(BM_KnobTurnToKeyboard)->Iterations(2000)->Unit(benchmark::kMicrosecond);

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

}  // namespace

BENCHMARK_MAIN();
