// The module's message channels as the remotes and the service use them: a producer posts a
// complete message (lock, append, unlock, signal) and the channel's worker wakes and hands it to
// the receiver.
//
// Latency: each producer posts one message, waits until the receiver has it and 100 µs more,
// then posts the next, so every message meets a worker that has gone back to waiting, as a
// keyboard message does (one takes at least 3 ms on the MIDI cable); the time runs from just
// before the post to the receiver's delivery. Without the gap a producer would post while the
// worker is still closing its pass and wait for the channel lock, which no keyboard does.
// Throughput: each producer posts its share as fast as it can; the time runs until the last one is
// delivered.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "remote/channels/ExtensionThread.h"
#include "remote/channels/IReceiver.h"
#include "remote/channels/SysExChannel.h"
#include "remote/protocol/SysExBuffer.h"

namespace {

using Brennholt::ExtensionThread;
using Brennholt::IReceiver;
using Brennholt::SysExChannel;
using Brennholt::SysExPtr;
using Clock = std::chrono::steady_clock;

constexpr int kMaxProducers = 8;
constexpr std::int64_t kGapNs = 100000;

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

// Lets the gap between two posts pass.
void gap() {
  const std::int64_t end = nowNs() + kGapNs;
  while (nowNs() < end) std::this_thread::yield();
}

// F0, producer, sequence in three 7-bit bytes, six bytes of payload, F7: the size of a short
// keyboard message.
SysExPtr message(int producer, std::uint32_t sequence) {
  SysExPtr bytes = SysExPtr::allocate(12);
  bytes[0] = 0xF0;
  bytes[1] = static_cast<Brennholt::uint8>(producer);
  for (int i = 0; i < 3; ++i) {
    bytes[2 + i] = static_cast<Brennholt::uint8>((sequence >> (7 * i)) & 0x7F);
  }
  bytes[11] = 0xF7;
  return bytes;
}

// Records, per producer, the last sequence delivered and when.
class Receiver : public IReceiver {
 public:
  void deliver(SysExPtr bytes) noexcept override {
    const std::int64_t at = nowNs();
    const int producer = bytes[1];
    std::uint32_t sequence = 0;
    for (int i = 0; i < 3; ++i) sequence |= static_cast<std::uint32_t>(bytes[2 + i]) << (7 * i);
    slots[producer].at.store(at, std::memory_order_relaxed);
    slots[producer].sequence.store(sequence, std::memory_order_release);
    total.fetch_add(1, std::memory_order_release);
  }
  struct alignas(64) Slot {
    std::atomic<std::uint32_t> sequence{0x7FFFFFFF};
    std::atomic<std::int64_t> at{0};
  };
  Slot slots[kMaxProducers];
  std::atomic<std::uint64_t> total{0};
};

// A channel with its worker for the length of one benchmark.
struct Rig {
  Rig() : channel("BenchChannel") { worker = ExtensionThread::startWorker(&receiver, &channel); }
  ~Rig() { ExtensionThread::stopWorker(worker, &channel); }
  SysExChannel channel;
  Receiver receiver;
  ExtensionThread* worker = nullptr;
};

double percentile(std::vector<double>& values, double fraction) {
  if (values.empty()) return 0.0;
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                   values.end());
  return values[index];
}

void BM_ChannelLatency(benchmark::State& state) {
  const int producers = static_cast<int>(state.range(0));
  constexpr std::uint32_t kPerProducer = 2000;
  Rig rig;
  if (!rig.worker) {
    state.SkipWithError("no worker");
    return;
  }
  std::vector<double> latencies;
  std::uint32_t base = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    std::vector<std::vector<double>> perProducer(static_cast<std::size_t>(producers));
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
      threads.emplace_back([&, p] {
        std::vector<double>& mine = perProducer[static_cast<std::size_t>(p)];
        mine.reserve(kPerProducer);
        Receiver::Slot& slot = rig.receiver.slots[p];
        for (std::uint32_t i = 0; i < kPerProducer; ++i) {
          const std::uint32_t sequence = (base + i) & 0x1FFFFF;
          const std::int64_t start = nowNs();
          rig.channel.post(message(p, sequence));
          while (slot.sequence.load(std::memory_order_acquire) != sequence) {
            std::this_thread::yield();
          }
          mine.push_back(static_cast<double>(slot.at.load(std::memory_order_relaxed) - start) /
                         1000.0);
          gap();
        }
      });
    }
    for (std::thread& t : threads) t.join();
    for (auto& mine : perProducer) latencies.insert(latencies.end(), mine.begin(), mine.end());
    base += kPerProducer;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(latencies.size()));
  state.counters["p50_us"] = percentile(latencies, 0.50);
  state.counters["p99_us"] = percentile(latencies, 0.99);
  state.counters["max_us"] = percentile(latencies, 1.0);
}
// The floor under the latency on this machine: the same closed loop through nothing but a
// mutex, a condition variable and a waiting thread, as bare as a hand-off between two threads
// gets. What the channel adds is the difference; what both share is the scheduler's wake-up.
void BM_BareWakeupLatency(benchmark::State& state) {
  constexpr std::uint32_t kMessages = 2000;
  std::mutex lock;
  std::condition_variable wake;
  std::uint32_t posted = 0;
  bool stop = false;
  std::atomic<std::uint32_t> taken{0};
  std::atomic<std::int64_t> takenAt{0};
  std::thread waiter([&] {
    std::uint32_t seen = 0;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
      wake.wait(guard, [&] { return stop || posted != seen; });
      if (stop) return;
      seen = posted;
      takenAt.store(nowNs(), std::memory_order_relaxed);
      taken.store(seen, std::memory_order_release);
    }
  });
  std::vector<double> latencies;
  std::uint32_t sequence = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    for (std::uint32_t i = 0; i < kMessages; ++i) {
      ++sequence;
      const std::int64_t start = nowNs();
      {
        std::lock_guard<std::mutex> guard(lock);
        posted = sequence;
      }
      wake.notify_one();
      while (taken.load(std::memory_order_acquire) != sequence) std::this_thread::yield();
      latencies.push_back(static_cast<double>(takenAt.load(std::memory_order_relaxed) - start) /
                          1000.0);
      gap();
    }
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    stop = true;
  }
  wake.notify_one();
  waiter.join();
  state.SetItemsProcessed(static_cast<std::int64_t>(latencies.size()));
  state.counters["p50_us"] = percentile(latencies, 0.50);
  state.counters["p99_us"] = percentile(latencies, 0.99);
  state.counters["max_us"] = percentile(latencies, 1.0);
}
BENCHMARK(BM_BareWakeupLatency)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_ChannelLatency)
    ->Arg(1)
    ->Arg(4)
    ->ArgName("producers")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ChannelThroughput(benchmark::State& state) {
  const int producers = static_cast<int>(state.range(0));
  constexpr std::uint32_t kMessages = 200000;
  const std::uint32_t perProducer = kMessages / static_cast<std::uint32_t>(producers);
  Rig rig;
  if (!rig.worker) {
    state.SkipWithError("no worker");
    return;
  }
  std::uint64_t delivered = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    const std::uint64_t target = rig.receiver.total.load() +
                                 std::uint64_t{perProducer} * static_cast<std::uint64_t>(producers);
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
      threads.emplace_back([&, p] {
        for (std::uint32_t i = 0; i < perProducer; ++i) rig.channel.post(message(p, i & 0x1FFFFF));
      });
    }
    for (std::thread& t : threads) t.join();
    while (rig.receiver.total.load(std::memory_order_acquire) < target) std::this_thread::yield();
    delivered += std::uint64_t{perProducer} * static_cast<std::uint64_t>(producers);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(delivered));
}
BENCHMARK(BM_ChannelThroughput)
    ->Arg(1)
    ->Arg(4)
    ->ArgName("producers")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
