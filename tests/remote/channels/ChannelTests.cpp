// Channels and their workers under load: nothing lost, nothing delivered twice, nothing leaked,
// and stops that end promptly. Built into its own program so CI runs it under ThreadSanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ExtensionThread.h"
#include "remote/channels/SysExChannel.h"
#include "remote/protocol/SysExBuffer.h"

// Every message buffer comes from new[] and goes back through delete[]: counting the array
// forms in this program tells whether a run gave back every buffer it made.
namespace {
std::atomic<std::int64_t> liveArrays{0};
void* countedAllocate(std::size_t size) noexcept {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block) liveArrays.fetch_add(1, std::memory_order_relaxed);
  return block;
}
void countedFree(void* block) noexcept {
  if (!block) return;
  liveArrays.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}
}  // namespace

void* operator new[](std::size_t size) {
  void* block = countedAllocate(size);
  if (!block) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return countedAllocate(size);
}
void operator delete[](void* block) noexcept { countedFree(block); }
void operator delete[](void* block, std::size_t) noexcept { countedFree(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { countedFree(block); }

namespace Brennholt {
namespace {

using Clock = std::chrono::steady_clock;

// A message that carries a number: F0, four bytes of it, F7.
SysExPtr numbered(uint32 id) {
  SysExPtr message = SysExPtr::allocate(6);
  message[0] = 0xF0;
  for (int i = 0; i < 4; ++i) message[1 + i] = static_cast<uint8>((id >> (7 * i)) & 0x7F);
  message[5] = 0xF7;
  return message;
}

// The number, read only when the message arrived with the length it was sent with.
uint32 numberOf(const SysExPtr& message) {
  if (message.size() != 6) return 0xFFFFFFFF;
  uint32 id = 0;
  for (int i = 0; i < 4; ++i) id |= static_cast<uint32>(message[1 + i]) << (7 * i);
  return id;
}

// Counts every delivered number under its own lock, as the real receivers do; the message it
// now owns goes with the call.
class CountingReceiver : public IReceiver {
 public:
  explicit CountingReceiver(std::size_t size) : counts(size, 0) {}
  void deliver(SysExPtr message) noexcept override {
    std::lock_guard<std::mutex> guard(lock);
    const uint32 id = numberOf(message);
    if (id < counts.size()) ++counts[id];
    ++total;
  }
  int delivered() {
    std::lock_guard<std::mutex> guard(lock);
    return total;
  }
  std::mutex lock;
  std::vector<int> counts;
  int total = 0;
};

int32 waiting(SysExChannel& channel) {
  channel.lock();
  const int32 count = channel.count();
  channel.unlock();
  return count;
}

// Empty under the channel lock means every removed message has also been delivered: the
// worker delivers while it holds that lock.
void waitDrained(SysExChannel& channel) {
  const auto end = Clock::now() + std::chrono::seconds(20);
  while (waiting(channel) > 0 && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST(SysExChannel, ManyProducersLoseAndRepeatNothingWhileTheWorkerRunsAndWhileItIsStopped) {
  constexpr int kProducers = 4;
  constexpr int kPerProducer = 1500;
  constexpr std::size_t kMessages = std::size_t{kProducers} * kPerProducer;
  SysExChannel channel("StressChannel");
  CountingReceiver receiver(kMessages);
  ExtensionThread* worker = ExtensionThread::startWorker(&receiver, &channel);
  ASSERT_NE(worker, nullptr);

  std::atomic<bool> go{false};
  std::vector<std::thread> producers;
  producers.reserve(kProducers);
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kPerProducer; ++i) {
        ASSERT_TRUE(channel.post(numbered(static_cast<uint32>(p * kPerProducer + i))));
        if (i % 64 == 0) std::this_thread::yield();
      }
    });
  }
  go = true;
  // Stop and restart the worker while the producers keep posting: what arrives in between
  // waits in the channel for the next worker.
  for (int round = 0; round < 5; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_TRUE(ExtensionThread::stopWorker(worker, &channel));
    EXPECT_EQ(worker, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    worker = ExtensionThread::startWorker(&receiver, &channel);
    ASSERT_NE(worker, nullptr);
  }
  for (std::thread& t : producers) t.join();
  waitDrained(channel);
  EXPECT_TRUE(ExtensionThread::stopWorker(worker, &channel));

  std::lock_guard<std::mutex> guard(receiver.lock);
  EXPECT_EQ(static_cast<std::size_t>(receiver.total), kMessages);
  for (std::size_t id = 0; id < receiver.counts.size(); ++id) {
    ASSERT_EQ(receiver.counts[id], 1) << "message " << id;
  }
}

// Blocks in its first delivery until the test opens the gate.
class GatedReceiver : public IReceiver {
 public:
  void deliver(SysExPtr message) noexcept override {
    message.reset();
    if (delivered.fetch_add(1) == 0) {
      entered = true;
      while (!open) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::atomic<int> delivered{0};
  std::atomic<bool> entered{false};
  std::atomic<bool> open{false};
};

TEST(SysExChannel, StopDuringADeliveryEndsAfterItAndKeepsTheRestForTheNextWorker) {
  SysExChannel channel("BusyChannel");
  GatedReceiver receiver;
  ExtensionThread* worker = ExtensionThread::startWorker(&receiver, &channel);
  ASSERT_NE(worker, nullptr);
  channel.lock();
  for (uint32 i = 0; i < 5; ++i) channel.append(numbered(i));
  channel.unlock();
  channel.signal();
  while (!receiver.entered) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  const auto start = Clock::now();
  bool stoppedInTime = false;
  std::thread stopper([&] { stoppedInTime = ExtensionThread::stopWorker(worker, &channel); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  receiver.open = true;
  stopper.join();

  EXPECT_TRUE(stoppedInTime);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(receiver.delivered, 1);
  EXPECT_EQ(waiting(channel), 4);

  worker = ExtensionThread::startWorker(&receiver, &channel);
  ASSERT_NE(worker, nullptr);
  waitDrained(channel);
  EXPECT_TRUE(ExtensionThread::stopWorker(worker, &channel));
  EXPECT_EQ(receiver.delivered, 5);
}

TEST(SysExChannel, StoppingAnIdleWorkerEndsItAtOnceAndLeftoversAreFreedWithTheChannel) {
  GatedReceiver receiver;
  receiver.open = true;
  auto* channel = new SysExChannel("IdleChannel");
  ExtensionThread* worker = ExtensionThread::startWorker(&receiver, channel);
  ASSERT_NE(worker, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto start = Clock::now();
  EXPECT_TRUE(ExtensionThread::stopWorker(worker, channel));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));

  // Posted after the stop: nobody delivers them, the channel frees them (the leak checker
  // would report them otherwise).
  EXPECT_TRUE(channel->post(numbered(1)));
  EXPECT_TRUE(channel->post(numbered(2)));
  EXPECT_FALSE(channel->post(SysExPtr()));
  EXPECT_EQ(waiting(*channel), 2);
  delete channel;
  EXPECT_EQ(receiver.delivered, 0);
}

class RecordingSender : public ISender {
 public:
  void deliver(SysExPtr message) noexcept override {
    std::lock_guard<std::mutex> guard(lock);
    ids.push_back(numberOf(message));
  }
  void notify() noexcept override {}
  std::vector<uint32> received() {
    std::lock_guard<std::mutex> guard(lock);
    return ids;
  }
  std::mutex lock;
  std::vector<uint32> ids;
};

std::string expectedName(int32 index) { return "SysExSending_QENT_" + std::to_string(index + 1); }

TEST(ChannelRegistry, SlotsAndNamesOnlyGrowAndSendingSkipsClosedChannels) {
  RecordingSender senders[4];
  ExtensionThread* workers[4] = {};
  int32 index[4];
  for (int i = 0; i < 3; ++i) {
    index[i] = ChannelRegistry::openOutbound(&senders[i], workers[i]);
    ASSERT_GE(index[i], 0);
    ASSERT_NE(workers[i], nullptr);
  }
  EXPECT_EQ(index[1], index[0] + 1);
  EXPECT_EQ(index[2], index[0] + 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::string(ChannelRegistry::outbound(index[i])->name().text8()),
              expectedName(index[i]));
  }

  ChannelRegistry::closeOutbound(index[1], workers[1]);
  EXPECT_EQ(workers[1], nullptr);
  EXPECT_EQ(ChannelRegistry::outbound(index[1]), nullptr);
  // A second close of the same slot does nothing.
  ChannelRegistry::closeOutbound(index[1], workers[1]);

  index[3] = ChannelRegistry::openOutbound(&senders[3], workers[3]);
  EXPECT_EQ(index[3], index[2] + 1);
  EXPECT_EQ(std::string(ChannelRegistry::outbound(index[3])->name().text8()),
            expectedName(index[3]));
  EXPECT_EQ(ChannelRegistry::outbound(index[1]), nullptr);
  EXPECT_EQ(ChannelRegistry::outboundCount(), index[3] + 1);

  // One fresh buffer per open channel; the closed slot gets nothing.
  uint32 next = 100;
  EXPECT_EQ(ChannelRegistry::sendToAllRemotes([&] { return numbered(next++); }), 3);
  // A build that fails stops the round: no later channel gets that message.
  int builds = 0;
  EXPECT_EQ(ChannelRegistry::sendToAllRemotes(
                [&]() -> SysExPtr { return builds++ == 0 ? numbered(200) : SysExPtr(); }),
            1);
  for (int i : {0, 2, 3}) waitDrained(*ChannelRegistry::outbound(index[i]));

  EXPECT_EQ(senders[0].received(), (std::vector<uint32>{100, 200}));
  EXPECT_TRUE(senders[1].received().empty());
  EXPECT_EQ(senders[2].received(), (std::vector<uint32>{101}));
  EXPECT_EQ(senders[3].received(), (std::vector<uint32>{102}));

  for (int i = 0; i < 4; ++i) ChannelRegistry::closeOutbound(index[i], workers[i]);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ChannelRegistry::outbound(index[i]), nullptr);
}

// Oldest first across a long backlog, with takes and appends interleaved, and the count right
// after every step; the messages never taken are freed with the channel.
TEST(SysExChannel, ALongBacklogLeavesInOrderAndWhatStaysIsFreedWithTheChannel) {
  const std::int64_t arraysBefore = liveArrays.load();
  auto* channel = new SysExChannel("BacklogChannel");
  uint32 nextIn = 0;
  uint32 nextOut = 0;
  bool inOrder = true;
  channel->lock();
  for (int round = 0; round < 40; ++round) {
    const int appends = 10 + (round * 37) % 500;
    const int takes = (round * 53) % 450;
    for (int i = 0; i < appends; ++i) ASSERT_TRUE(channel->append(numbered(nextIn++)));
    for (int i = 0; i < takes && channel->count() > 0; ++i) {
      inOrder = inOrder && numberOf(channel->takeFront()) == nextOut++;
    }
    ASSERT_EQ(channel->count(), static_cast<int32>(nextIn - nextOut)) << "round " << round;
  }
  channel->unlock();
  EXPECT_TRUE(inOrder);
  EXPECT_GT(nextIn - nextOut, 0u);
  delete channel;
  EXPECT_EQ(liveArrays.load(), arraysBefore);
}

// ---- stress ------------------------------------------------------------------------------------

// QENT_CHANNEL_MESSAGES messages in all (at least 20000; 10000000 is the long run). Unless set,
// 300000, or 50000 on Windows, where under Wine every signal is a round trip to the wine server.
std::size_t stressMessages() {
#ifdef _WIN32
  constexpr std::size_t kDefault = 50000;
#else
  constexpr std::size_t kDefault = 300000;
#endif
  const char* text = std::getenv("QENT_CHANNEL_MESSAGES");
  if (text == nullptr || *text == '\0') return kDefault;
  const long long value = std::atoll(text);
  return value > 0 ? std::max<std::size_t>(static_cast<std::size_t>(value), 20000) : kDefault;
}

// Marks each number it is handed; a number handed over twice, or a message that arrived damaged,
// is a fault. Used by one channel's workers at a time, yet taken under a lock as real receivers
// do, so a worker that overlaps its successor shows as a race.
class Tally {
 public:
  explicit Tally(std::size_t size) : seen_(size, 0) {}
  void take(SysExPtr message) {
    std::lock_guard<std::mutex> guard(lock_);
    const uint32 id = numberOf(message);
    if (id >= seen_.size()) {
      ++damaged_;
    } else if (seen_[id]++ != 0) {
      ++repeated_;
    }
    delivered_.fetch_add(1, std::memory_order_relaxed);
    // The message is freed here, on the worker thread, as the receivers free theirs.
  }
  std::size_t delivered() const { return delivered_.load(std::memory_order_relaxed); }
  std::size_t repeated() {
    std::lock_guard<std::mutex> guard(lock_);
    return repeated_;
  }
  std::size_t damaged() {
    std::lock_guard<std::mutex> guard(lock_);
    return damaged_;
  }
  bool seen(std::size_t id) {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_[id] != 0;
  }

 private:
  std::mutex lock_;
  std::vector<uint8> seen_;
  std::size_t repeated_ = 0;
  std::size_t damaged_ = 0;
  std::atomic<std::size_t> delivered_{0};
};

class TallyReceiver : public IReceiver {
 public:
  explicit TallyReceiver(Tally& tally) : tally_(tally) {}
  void deliver(SysExPtr message) noexcept override { tally_.take(std::move(message)); }

 private:
  Tally& tally_;
};

class TallySender : public ISender {
 public:
  explicit TallySender(Tally& tally) : tally_(tally) {}
  void deliver(SysExPtr message) noexcept override { tally_.take(std::move(message)); }
  void notify() noexcept override {}

 private:
  Tally& tally_;
};

// Several producers post numbered messages alternately to an inbound-style channel and to an
// outbound channel of the registry, while the test stops each worker in the middle of its work
// and starts a new one, over and over. At the end both workers are stopped while messages are
// still waiting: the inbound channel is deleted with them, the outbound one closed through the
// registry. Every number must have been delivered at most once, and every buffer made must have
// been given back, whether by its receiver or by the channel that still held it.
TEST(ChannelStress, EveryMessageIsDeliveredOnceOrFreedWhileWorkersAreStoppedMidStream) {
  constexpr int kProducers = 4;
  const std::size_t total = stressMessages();
  const std::size_t perProducer = total / kProducers;
  const std::size_t posted = perProducer * kProducers;
  const std::int64_t arraysBefore = liveArrays.load();

  Tally tally(posted);
  TallyReceiver receiver(tally);
  TallySender sender(tally);
  auto* inbound = new SysExChannel("StressInbound");
  ExtensionThread* inboundWorker = ExtensionThread::startWorker(&receiver, inbound);
  ASSERT_NE(inboundWorker, nullptr);
  ExtensionThread* outboundWorker = nullptr;
  const int32 outboundIndex = ChannelRegistry::openOutbound(&sender, outboundWorker);
  ASSERT_GE(outboundIndex, 0);
  SysExChannel* outbound = ChannelRegistry::outbound(outboundIndex);
  ASSERT_NE(outbound, nullptr);

  // Each producer posts its last kReserve messages only once both workers have been stopped
  // for good, so the channels certainly hold messages when they go.
  constexpr std::size_t kReserve = 500;
  std::atomic<int> atGate{0};
  std::atomic<bool> gateOpen{false};
  std::atomic<std::size_t> refused{0};
  std::vector<std::thread> producers;
  producers.reserve(kProducers);
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      const std::size_t first = static_cast<std::size_t>(p) * perProducer;
      for (std::size_t i = 0; i < perProducer; ++i) {
        if (i == perProducer - kReserve) {
          atGate.fetch_add(1);
          while (!gateOpen.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        const auto id = static_cast<uint32>(first + i);
        SysExChannel* channel = (id & 1) != 0 ? outbound : inbound;
        if (!ChannelRegistry::post(channel, numbered(id))) refused.fetch_add(1);
        // Now and then let a worker catch up, as a remote between two MIDI packets would.
        if (i % 256 == 255) std::this_thread::yield();
      }
    });
  }

  // Stop each worker once it has delivered more since it started, so every stop meets a worker
  // with work in hand, then start its successor at once. The same number of restarts whatever
  // the count: a thread start costs far more than a message, above all under ThreadSanitizer,
  // and under Wine (tens of milliseconds) more still.
#ifdef _WIN32
  constexpr std::size_t kRestarts = 200;
#else
  constexpr std::size_t kRestarts = 2000;
#endif
  const std::size_t perRestart = std::max<std::size_t>(64, posted / kRestarts);
  std::size_t restarts = 0;
  bool restarted = true;
  while (restarted && atGate.load() < kProducers) {
    const std::size_t mark = tally.delivered();
    while (tally.delivered() < mark + perRestart && atGate.load() < kProducers) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const bool inboundTurn = (restarts & 1) == 0;
    ExtensionThread*& worker = inboundTurn ? inboundWorker : outboundWorker;
    SysExChannel* channel = inboundTurn ? inbound : outbound;
    EXPECT_TRUE(ExtensionThread::stopWorker(worker, channel));
    worker = inboundTurn ? ExtensionThread::startWorker(&receiver, channel)
                         : ExtensionThread::startWorker(&sender, channel);
    restarted = worker != nullptr;
    ++restarts;
  }

  // The final stops, possibly mid-pass: the inbound worker as the service stops it; the outbound
  // one only asked to stop, so that closing the channel through the registry below still finds
  // it, ends it and frees what the channel holds.
  EXPECT_TRUE(ExtensionThread::stopWorker(inboundWorker, inbound));
  outbound->requestStop();
  outbound->signal();
  gateOpen = true;
  for (std::thread& t : producers) t.join();
  ASSERT_TRUE(restarted) << "a worker could not be started again";

  const std::size_t leftInbound = static_cast<std::size_t>(waiting(*inbound));
  const std::size_t leftOutbound = static_cast<std::size_t>(waiting(*outbound));
  delete inbound;
  ChannelRegistry::closeOutbound(outboundIndex, outboundWorker);
  EXPECT_EQ(outboundWorker, nullptr);
  EXPECT_EQ(ChannelRegistry::outbound(outboundIndex), nullptr);
  const std::size_t delivered = tally.delivered();

  EXPECT_EQ(refused.load(), 0u);
  EXPECT_EQ(tally.repeated(), 0u);
  EXPECT_EQ(tally.damaged(), 0u);
  // Whatever was posted after the final stops stayed in the channels and nothing else did.
  EXPECT_GE(leftInbound + leftOutbound, kReserve * kProducers);
  EXPECT_EQ(delivered + leftInbound + leftOutbound, posted);
  // Every buffer is back: delivered ones freed by the receivers, the rest by their channels.
  EXPECT_EQ(liveArrays.load(), arraysBefore);
  // A number never delivered must have been among the leftovers of its own channel.
  std::size_t missing[2] = {0, 0};
  for (std::size_t id = 0; id < posted; ++id) {
    if (!tally.seen(id)) ++missing[id & 1];
  }
  EXPECT_EQ(missing[0], leftInbound);
  EXPECT_EQ(missing[1], leftOutbound);
  EXPECT_GT(restarts, 0u);
  // The figures of the run, for the long run's report.
  std::cout << "channel stress: " << posted << " messages from " << kProducers << " producers, "
            << delivered << " delivered, " << leftInbound + leftOutbound << " freed undelivered ("
            << leftInbound << " inbound, " << leftOutbound << " outbound), " << restarts
            << " worker restarts\n";
}

}  // namespace
}  // namespace Brennholt
