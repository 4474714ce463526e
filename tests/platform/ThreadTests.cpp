// Threads, events and locks of the platform layer: the Win32 life cycle on both platforms.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/Platform.h"

using namespace Brennholt;
using namespace Brennholt::Platform;

namespace {

struct Counter {
  std::atomic<int> runs{0};
  uint32 threadId = 0;
};

uint32 countAndReturnSeven(void* argument) {
  auto* counter = static_cast<Counter*>(argument);
  counter->threadId = currentThreadId();
  ++counter->runs;
  return 7;
}

TEST(Threads, SuspendedThreadRunsOnlyAfterResume) {
  Counter counter;
  uint32 id = 0;
  ThreadHandle thread = createThreadSuspended(countAndReturnSeven, &counter, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_FALSE(waitThread(thread, 50));
  EXPECT_EQ(counter.runs.load(), 0);
  uint32 code = 0;
  EXPECT_FALSE(threadExitCode(thread, &code)) << "still suspended";

  ASSERT_TRUE(resumeThread(thread));
  ASSERT_TRUE(waitThread(thread, kWaitForever));
  EXPECT_EQ(counter.runs.load(), 1);
  EXPECT_EQ(counter.threadId, id);
  EXPECT_NE(id, currentThreadId());
  ASSERT_TRUE(threadExitCode(thread, &code));
  EXPECT_EQ(code, 7u);
  closeThread(thread);
}

uint32 exitEarly(void*) { exitThread(11); }

TEST(Threads, ExitThreadEndsWithItsCode) {
  ThreadHandle thread = createThreadSuspended(exitEarly, nullptr, nullptr);
  ASSERT_NE(thread, nullptr);
  resumeThread(thread);
  ASSERT_TRUE(waitThread(thread, 5000));
  uint32 code = 0;
  ASSERT_TRUE(threadExitCode(thread, &code));
  EXPECT_EQ(code, 11u);
  closeThread(thread);
}

uint32 waitForever(void* argument) {
  waitEvent(static_cast<EventHandle>(argument), -1);
  return 1;
}

TEST(Threads, TerminateEndsAThreadThatWaitsForever) {
  EventHandle never = createEvent(nullptr);
  ThreadHandle thread = createThreadSuspended(waitForever, never, nullptr);
  ASSERT_NE(thread, nullptr);
  resumeThread(thread);
  EXPECT_FALSE(waitThread(thread, 100));
  terminateThread(thread, 3);
  // Already ended: the caller may free what the thread waited on straight away.
  uint32 code = 0;
  ASSERT_TRUE(threadExitCode(thread, &code));
  EXPECT_EQ(code, 3u);
  ASSERT_TRUE(waitThread(thread, 5000));
  closeThread(thread);
  closeEvent(never);
}

TEST(Threads, TerminateEndsASuspendedThread) {
  Counter counter;
  ThreadHandle thread = createThreadSuspended(countAndReturnSeven, &counter, nullptr);
  ASSERT_NE(thread, nullptr);
  terminateThread(thread, 0);
  EXPECT_TRUE(threadExitCode(thread, nullptr)) << "ended when terminate returns";
  ASSERT_TRUE(waitThread(thread, 5000));
  EXPECT_EQ(counter.runs.load(), 0);
  closeThread(thread);
}

TEST(Threads, PriorityIsAppliedAndUnknownValuesAreRefused) {
  Counter counter;
  ThreadHandle thread = createThreadSuspended(countAndReturnSeven, &counter, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(getThreadPriority(thread), kPriorityNormal);
  // Lowering is allowed everywhere; raising may need privileges on POSIX.
  ASSERT_TRUE(setThreadPriority(thread, kPriorityBelowNormal));
  EXPECT_EQ(getThreadPriority(thread), kPriorityBelowNormal);
  EXPECT_FALSE(setThreadPriority(thread, 7));
  EXPECT_EQ(getThreadPriority(thread), kPriorityBelowNormal);
  EXPECT_TRUE(setThreadPriority(thread, kPriorityIdle));
  EXPECT_EQ(getThreadPriority(thread), kPriorityIdle);
  resumeThread(thread);
  waitThread(thread, kWaitForever);
  closeThread(thread);
}

TEST(Events, AutoResetReleasesOneWaitAndNoMore) {
  EventHandle event = createEvent(nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_FALSE(waitEvent(event, 0)) << "created not signalled";
  setEvent(event);
  EXPECT_TRUE(waitEvent(event, 0));
  EXPECT_FALSE(waitEvent(event, 20));
  setEvent(event);
  resetEvent(event);
  EXPECT_FALSE(waitEvent(event, 0));
  closeEvent(event);
}

struct Waiters {
  EventHandle event;
  std::atomic<int> released{0};
};

uint32 waitOnce(void* argument) {
  auto* waiters = static_cast<Waiters*>(argument);
  if (waitEvent(waiters->event, 2000)) ++waiters->released;
  return 0;
}

TEST(Events, OneSetReleasesExactlyOneOfTwoWaiters) {
  Waiters waiters{createEvent(nullptr)};
  ThreadHandle a = createThreadSuspended(waitOnce, &waiters, nullptr);
  ThreadHandle b = createThreadSuspended(waitOnce, &waiters, nullptr);
  resumeThread(a);
  resumeThread(b);
  sleepMilliseconds(100);
  setEvent(waiters.event);
  sleepMilliseconds(300);
  EXPECT_EQ(waiters.released.load(), 1);
  setEvent(waiters.event);
  waitThread(a, kWaitForever);
  waitThread(b, kWaitForever);
  EXPECT_EQ(waiters.released.load(), 2);
  closeThread(a);
  closeThread(b);
  closeEvent(waiters.event);
}

TEST(Events, ANameSharesTheEventWithinTheProcess) {
  EventHandle first = createEvent("QentPlatformTestEvent");
  EventHandle second = createEvent("QentPlatformTestEvent");
  EventHandle other = createEvent("QentPlatformTestOther");
  setEvent(first);
  EXPECT_FALSE(waitEvent(other, 0));
  EXPECT_TRUE(waitEvent(second, 0));
  closeEvent(first);
  setEvent(second);  // still open through the second handle
  EXPECT_TRUE(waitEvent(second, 0));
  closeEvent(second);
  closeEvent(other);
}

TEST(Events, TimedWaitTakesAboutItsTime) {
  EventHandle event = createEvent(nullptr);
  auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(waitEvent(event, 120));
  auto elapsed = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(elapsed, std::chrono::milliseconds(100));
  EXPECT_LT(elapsed, std::chrono::milliseconds(2000));
  closeEvent(event);
}

struct Contender {
  CriticalSection* lock;
  bool acquired = true;
};

uint32 tryFromOtherThread(void* argument) {
  auto* contender = static_cast<Contender*>(argument);
  contender->acquired = tryEnterLock(*contender->lock);
  if (contender->acquired) leaveLock(*contender->lock);
  return 0;
}

bool otherThreadGets(CriticalSection& lock) {
  Contender contender{&lock};
  ThreadHandle thread = createThreadSuspended(tryFromOtherThread, &contender, nullptr);
  resumeThread(thread);
  waitThread(thread, kWaitForever);
  closeThread(thread);
  return contender.acquired;
}

TEST(Locks, ReentrantForTheOwnerAndExclusiveForOthers) {
  CriticalSection lock;
  initLock(lock);
  enterLock(lock);
  EXPECT_TRUE(tryEnterLock(lock));
  leaveLock(lock);
  EXPECT_FALSE(otherThreadGets(lock)) << "still held once";
  leaveLock(lock);
  EXPECT_TRUE(otherThreadGets(lock));
  destroyLock(lock);
}

}  // namespace

namespace {

struct RestProbe {
  EventHandle wake = createEvent(nullptr);
  std::atomic<bool> spin{true};
  std::atomic<bool> woken{false};
};

uint32 spinUntilReleased(void* argument) {
  auto* probe = static_cast<RestProbe*>(argument);
  while (probe->spin.load()) {
  }
  return 0;
}

uint32 waitThenSpin(void* argument) {
  auto* probe = static_cast<RestProbe*>(argument);
  waitEvent(probe->wake, -1);
  probe->woken = true;
  while (probe->spin.load()) {
  }
  return 0;
}

// Calls until the answer is `wanted`; false when it never comes within a generous bound.
bool answersWithin(ThreadsAtRest wanted, std::chrono::seconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    if (otherThreadsAtRest() == wanted) return true;
    sleepMilliseconds(1);
  }
  return false;
}

}  // namespace

// The reference host's settle rests on this: a busy thread is never reported at rest, a
// blocked one is, and a thread woken by an event is busy from the moment the event is set.
TEST(ThreadsAtRest, BusyThreadsAreSeenAndBlockedOnesRest) {
  RestProbe probe;
  ThreadHandle spinner = createThreadSuspended(spinUntilReleased, &probe, nullptr);
  ASSERT_NE(spinner, nullptr);
  resumeThread(spinner);
  for (int i = 0; i < 20; ++i) {
    const ThreadsAtRest answer = otherThreadsAtRest();
    ASSERT_NE(answer, ThreadsAtRest::kUnknown) << "this system cannot tell thread states";
    EXPECT_EQ(answer, ThreadsAtRest::kNo) << "a spinning thread was reported at rest";
  }
  probe.spin = false;
  waitThread(spinner, kWaitForever);
  closeThread(spinner);

  probe.spin = true;
  ThreadHandle waiter = createThreadSuspended(waitThenSpin, &probe, nullptr);
  ASSERT_NE(waiter, nullptr);
  resumeThread(waiter);
  // The caller itself reads while it runs, yet counts for nothing.
  ASSERT_TRUE(answersWithin(ThreadsAtRest::kYes, std::chrono::seconds(30)))
      << "a thread blocked in a wait never came to rest";
  setEvent(probe.wake);
  EXPECT_EQ(otherThreadsAtRest(), ThreadsAtRest::kNo) << "a thread woken by an event was at rest";
  probe.spin = false;
  waitThread(waiter, kWaitForever);
  EXPECT_TRUE(probe.woken);
  closeThread(waiter);
  closeEvent(probe.wake);
  EXPECT_TRUE(answersWithin(ThreadsAtRest::kYes, std::chrono::seconds(30)));
}
