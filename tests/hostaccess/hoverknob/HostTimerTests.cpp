#include "hostaccess/hoverknob/HostTimer.h"

#include <gtest/gtest.h>

#include "sim/host/BareHost.h"

using Brennholt::HostTimer;
using Brennholt::uint32;
using QentSim::BareHost;
using QentSim::HostService;

TEST(HostTimer, ExpiresAfterThePeriodAndRestartsAtTheCurrentTime) {
  BareHost host;
  HostTimer t;
  ASSERT_TRUE(t.start(host.kernel()));
  EXPECT_TRUE(t.running());
  host.advance(49);
  EXPECT_FALSE(t.expired(host.kernel(), 50, true));
  host.advance(1);
  EXPECT_TRUE(t.expired(host.kernel(), 50, true));
  // Restarted at 50 ms, so the next period is counted from there.
  host.advance(30);
  EXPECT_FALSE(t.expired(host.kernel(), 50));
  host.advance(20);
  EXPECT_TRUE(t.expired(host.kernel(), 50));
  EXPECT_TRUE(t.expired(host.kernel(), 50));  // without restart it stays expired
  t.stop();
  EXPECT_FALSE(t.running());
}

TEST(HostTimer, CountsAcrossTheClockWrapAndExpiresWhenTheClockGoesBack) {
  HostTimer t;
  t.start(0xFFFFFFF0u);
  EXPECT_FALSE(t.expired(uint32{5}, 50));  // 21 ms across the wrap
  EXPECT_TRUE(t.expired(uint32{34}, 50));  // 50 ms across the wrap

  t.start(1000);
  EXPECT_TRUE(t.expired(uint32{999}, 50));  // negative elapsed time
}

TEST(HostTimer, HostTimeZeroIsAValidStart) {
  BareHost host;
  host.setClock(0);
  HostTimer t;
  ASSERT_TRUE(t.start(host.kernel()));
  EXPECT_TRUE(t.running());
  EXPECT_FALSE(t.expired(host.kernel(), 200));
  host.setClock(199);
  EXPECT_FALSE(t.expired(host.kernel(), 200));
  host.setClock(200);
  EXPECT_TRUE(t.expired(host.kernel(), 200));
}

TEST(HostTimer, StoppedTimerReadsExpiredAndRestartStartsIt) {
  HostTimer t;
  EXPECT_TRUE(t.expired(uint32{10}, 50));
  EXPECT_FALSE(t.running());
  EXPECT_TRUE(t.expired(uint32{10}, 50, true));
  EXPECT_TRUE(t.running());
  EXPECT_FALSE(t.expired(uint32{20}, 50));
}

TEST(HostTimer, WithoutAClockNothingStartsOrExpires) {
  BareHost host;
  host.setServiceEnabled(HostService::kIdle, false);
  HostTimer t;
  EXPECT_FALSE(t.start(host.kernel()));
  EXPECT_FALSE(t.running());
  EXPECT_FALSE(t.expired(host.kernel(), 0, true));
  EXPECT_FALSE(t.running());
  EXPECT_FALSE(t.start(nullptr));
  EXPECT_FALSE(t.expired(nullptr, 0));

  // A running timer is left as it was.
  t.start(100);
  EXPECT_FALSE(t.expired(host.kernel(), 0, true));
  EXPECT_TRUE(t.running());
  EXPECT_EQ(t.startTime(), 100u);
  EXPECT_EQ(host.kernelReferences(), 0);
}
