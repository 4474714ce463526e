// Channels and their workers under load: nothing lost, nothing delivered twice, nothing leaked,
// and stops that end promptly. Built into its own program so CI runs it under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ExtensionThread.h"
#include "remote/channels/SysExChannel.h"
#include "remote/protocol/SysExBuffer.h"

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

}  // namespace
}  // namespace Brennholt
