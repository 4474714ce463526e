// FThread, FLock with its guard, ThreadEvent, and the process-wide lock and slot list.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "base/FLock.h"
#include "base/FThread.h"
#include "base/ThreadEvent.h"

using namespace Brennholt;

namespace {

class ReturnsFive : public FThread {
 public:
  ReturnsFive() : FThread("FThread") {}
  uint32 run() override {
    ranOn = Platform::currentThreadId();
    return 5;
  }
  std::atomic<uint32> ranOn{0};
};

TEST(FThread, StartsInitialisedAndExitsWithTheCodeOfRun) {
  ReturnsFive thread;
  EXPECT_EQ(thread.priority(), 2);
  EXPECT_FALSE(thread.started());
  EXPECT_EQ(thread.threadId(), 0u);
  EXPECT_STREQ(thread.name().text8(), "FThread");
  ASSERT_TRUE(thread.start());
  EXPECT_TRUE(thread.started());
  ASSERT_TRUE(thread.waitDone(5000));
  uint32 code = 0;
  ASSERT_TRUE(thread.exitCode(&code));
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(thread.ranOn.load(), thread.threadId());
  EXPECT_FALSE(thread.start()) << "started once";
}

TEST(FThread, WaitDoneWithoutStartIsTrueAtOnce) {
  ReturnsFive thread;
  EXPECT_TRUE(thread.waitDone(0));
  thread.terminate();  // nothing to end
  EXPECT_FALSE(thread.started());
}

// Waits on its event until told to stop; never told in the terminate test.
class Worker : public FThread {
 public:
  Worker() : FThread("FThread") {}
  uint32 run() override {
    running.set();
    wake.wait();
    woke = true;
    return 1;
  }
  ThreadEvent running;
  ThreadEvent wake;
  std::atomic<bool> woke{false};
};

TEST(FThread, TerminateEndsAThreadThatWaitsForever) {
  Worker worker;
  ASSERT_TRUE(worker.start());
  ASSERT_TRUE(worker.running.waitFor(5000));
  EXPECT_FALSE(worker.waitDone(50));
  worker.terminate();
  EXPECT_TRUE(worker.waitDone(0)) << "no handle left to wait for";
  // A thread still waiting would take this signal and wake up.
  Platform::sleepMilliseconds(200);
  worker.wake.set();
  Platform::sleepMilliseconds(200);
  EXPECT_FALSE(worker.woke.load());
  EXPECT_TRUE(worker.wake.waitFor(0)) << "nobody took the signal";
}

TEST(FThread, ATerminatedThreadIsGoneBeforeItsObjectIs) {
  // The owner may destroy the object, and the event the thread waits on, right after
  // terminate; the thread must not touch either any more by then.
  for (int round = 0; round < 200; ++round) {
    Worker worker;
    ASSERT_TRUE(worker.start());
    ASSERT_TRUE(worker.running.waitFor(5000));
    worker.terminate();
  }
}

TEST(FThread, PriorityLevelsOutsideTheTableAreRefusedButKept) {
  Worker worker;
  EXPECT_TRUE(worker.setPriority(7)) << "before the thread exists";
  EXPECT_EQ(worker.priority(), 7);
  EXPECT_TRUE(worker.setPriority(1));
  ASSERT_TRUE(worker.start());
  ASSERT_TRUE(worker.running.waitFor(5000));
  EXPECT_FALSE(worker.setPriority(7));
  EXPECT_EQ(worker.priority(), 7);
  EXPECT_FALSE(worker.setPriority(-1));
  EXPECT_TRUE(worker.setPriority(0)) << "lowering is always allowed";
  worker.wake.set();
  EXPECT_TRUE(worker.waitDone(5000));
}

TEST(FThread, LevelsMapOntoTheColumnOfTheProcessPriorityClass) {
  using namespace Platform;
  const bool normalClass = isNormalPriorityClass();
  // Level by level, the platform priority in a normal class and in any other one.
  const int32 expected[6][2] = {
      {kPriorityIdle, kPriorityIdle},           {kPriorityBelowNormal, kPriorityLowest},
      {kPriorityNormal, kPriorityBelowNormal},  {kPriorityAboveNormal, kPriorityNormal},
      {kPriorityHighest, kPriorityAboveNormal}, {kPriorityTimeCritical, kPriorityTimeCritical},
  };
  auto mapped = [&](int32 level) { return expected[level][normalClass ? 0 : 1]; };
  Worker worker;
  EXPECT_EQ(worker.platformPriority(), kPriorityNormal) << "no thread yet";
  ASSERT_TRUE(worker.start());
  ASSERT_TRUE(worker.running.waitFor(5000));
  EXPECT_EQ(worker.platformPriority(), mapped(2)) << "start applies the stored level";
  // Downwards only: raising a thread's priority may need privileges the tests lack.
  ASSERT_TRUE(worker.setPriority(1));
  EXPECT_EQ(worker.platformPriority(), mapped(1));
  ASSERT_TRUE(worker.setPriority(0));
  EXPECT_EQ(worker.platformPriority(), mapped(0));
  for (int32 level = 3; level <= 5; ++level) {
    if (worker.setPriority(level)) {
      EXPECT_EQ(worker.platformPriority(), mapped(level)) << level;
    }
  }
  worker.wake.set();
  EXPECT_TRUE(worker.waitDone(5000));
}

TEST(ThreadEvent, AnUnlimitedWaitIsReleasedOnceAndNotAgain) {
  Worker worker;
  ASSERT_TRUE(worker.start());
  ASSERT_TRUE(worker.running.waitFor(-1));
  EXPECT_FALSE(worker.waitDone(50)) << "waits without a limit";
  worker.wake.set();
  ASSERT_TRUE(worker.waitDone(5000));
  EXPECT_FALSE(worker.wake.waitFor(0)) << "the release used the signal up";
}

TEST(ThreadEvent, ResetAndCloseAndSharedNames) {
  ThreadEvent event;
  event.set();
  event.reset();
  EXPECT_FALSE(event.waitFor(0));
  ThreadEvent first("QentBaseTestEvent");
  ThreadEvent second("QentBaseTestEvent");
  first.set();
  EXPECT_TRUE(second.waitFor(0));
  event.close();
  EXPECT_FALSE(event.isOpen());
  EXPECT_FALSE(event.waitFor(0));
  event.set();  // does nothing once closed
  ASSERT_TRUE(event.create("QentBaseTestEvent"));
  EXPECT_FALSE(event.waitFor(0)) << "created not signalled";
  second.set();
  EXPECT_TRUE(event.waitFor(0)) << "created under a shared name";
  ASSERT_TRUE(first.create());
  second.set();
  EXPECT_FALSE(first.waitFor(0)) << "created anew without the name";
}

class TryLock : public FThread {
 public:
  explicit TryLock(ILock* lock) : FThread("FThread"), lock_(lock) {}
  uint32 run() override {
    if (!lock_->tryLock()) return 0;
    lock_->unlock();
    return 1;
  }

 private:
  ILock* lock_;
};

bool otherThreadGets(ILock* lock) {
  TryLock other(lock);
  other.start();
  other.waitDone(Platform::kWaitForever);
  uint32 code = 0;
  other.exitCode(&code);
  return code == 1;
}

TEST(FLock, ReentrantGuardedAndExclusive) {
  FLock lock("QENT_HWRemote");
  {
    FGuard outer(&lock);
    FGuard inner(&lock);  // the same thread again
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
    EXPECT_FALSE(otherThreadGets(&lock));
  }
  EXPECT_TRUE(otherThreadGets(&lock)) << "the guards let go";
  FGuard none(nullptr);
}

TEST(ProcessGlobals, ThreadsCleanUpUnderTheProcessLock) {
  ReturnsFive thread;
  {
    FGuard guard(&processLock());
    EXPECT_TRUE(threadLocalSlots().isEmpty());
    EXPECT_EQ(threadLocalSlots().growthStep(), 10);
    ASSERT_TRUE(thread.start());
    EXPECT_FALSE(thread.waitDone(200)) << "its clean-up waits for the lock";
  }
  EXPECT_TRUE(thread.waitDone(5000));
}

}  // namespace
