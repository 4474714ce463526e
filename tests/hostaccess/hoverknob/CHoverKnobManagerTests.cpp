#include "hostaccess/hoverknob/CHoverKnobManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/host/RemoteDevice.h"
#include "sim/host/BareHost.h"

namespace {

using Brennholt::CHoverKnobManager;
using Brennholt::int32;
using Brennholt::kNoInterface;
using Brennholt::kResultOk;
using Brennholt::tresult;
using Brennholt::TUID;
using Brennholt::uint32;
using Brennholt::Hox::IBindingTarget;
using Brennholt::Hox::IHostFunction;
using QentSim::BareHost;
using QentSim::HostService;

constexpr int32 kDial = 24, kJog = 47, kLock = 48, kPlay = 29, kRecord = 30, kStop = 28;
const CHoverKnobManager::Descriptor kDescriptor{.dialName = "DataDial",
                                                .jogName = "Jog",
                                                .lockName = "Lock",
                                                .dial = kDial,
                                                .jog = kJog,
                                                .lock = kLock,
                                                .play = kPlay,
                                                .record = kRecord,
                                                .stop = kStop};

// Records every declaration as one line; the functions it hands out record into the same log.
class RecordingTarget : public IBindingTarget {
 public:
  class Function : public IHostFunction {
   public:
    Function(RecordingTarget& t, std::string name) : t_(t), name_(std::move(name)) {}
    tresult assignParameter(const char* parameter, const char* element,
                            const char* page) noexcept override {
      t_.log.push_back(name_ + " assign " + parameter + " " + element + " " + page);
      return kResultOk;
    }
    tresult setAttribute(const char* attribute) noexcept override {
      t_.log.push_back(name_ + " attribute " + attribute);
      return kResultOk;
    }
    tresult queryInterface(const TUID, void** object) noexcept override {
      *object = nullptr;
      return kNoInterface;
    }
    uint32 addRef() noexcept override { return static_cast<uint32>(++t_.references); }
    uint32 release() noexcept override { return static_cast<uint32>(--t_.references); }

   private:
    RecordingTarget& t_;
    std::string name_;
  };

  std::vector<std::string> log;
  int references = 0;
  bool offerFunctions = true;

  tresult addPage(const char* page) noexcept override {
    log.push_back(std::string("page ") + page);
    return kResultOk;
  }
  tresult bindValue(const char*, const char*, const char*, int32, const char*,
                    int32) noexcept override {
    log.push_back("bindValue");
    return kResultOk;
  }
  tresult bindCommand(const char* page, const char* element, const char* category,
                      const char* command, int32 flags) noexcept override {
    log.push_back(std::string("command ") + page + " " + element + " " + category + " " + command +
                  " " + std::to_string(flags));
    return kResultOk;
  }
  tresult findFunction(const char* name, const char* category, int32 flag, int32 selector,
                       IHostFunction** function) noexcept override {
    log.push_back(std::string("find ") + name + " " + category + " " + std::to_string(flag) + " " +
                  std::to_string(selector));
    *function = nullptr;
    if (!offerFunctions) return kNoInterface;
    Function* f = std::string(name) == "Jog" ? &wheel_ : &hoverKnob_;
    f->addRef();
    *function = f;
    return kResultOk;
  }
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return 1; }
  uint32 release() noexcept override { return 1; }

 private:
  Function wheel_{*this, "Jog"};
  Function hoverKnob_{*this, "HoverKnob"};
};

struct Out {
  uint32 at;  // host time when it was queued (observed after the idle call)
  int32 element;
  int32 value;
};

class HoverKnob : public ::testing::Test {
 protected:
  BareHost host;
  Brennholt::Hox::IHostKernel* current = host.kernel();
  RecordingTarget target;
  CHoverKnobManager manager{false};

  void SetUp() override {
    manager.declareBindings(&target, kDescriptor);
    drain();  // the start mode's name
  }

  std::vector<Out> drain() {
    std::vector<Out> result;
    while (manager.hasOutputs()) {
      auto o = manager.takeOutput();
      result.push_back({host.clock(), o.element, o.value});
    }
    return result;
  }

  // Idle calls every 10 ms of host time for `ms`, collecting what they queue.
  std::vector<Out> run(uint32 ms) {
    std::vector<Out> result;
    for (uint32 t = 0; t < ms; t += 10) {
      host.advance(10);
      manager.idleStep(current);
      for (const Out& o : drain()) result.push_back(o);
    }
    return result;
  }

  // One dial message as the device sends it; true when the host gets it (as *passed).
  bool turn(int32 deviceValue, int32* passed = nullptr) {
    int32 v = deviceValue;
    bool consumed = manager.handleInput(current, kDial, v, true);
    if (passed) *passed = v;
    return !consumed;
  }

  static std::vector<int32> dialValues(const std::vector<Out>& outs) {
    std::vector<int32> v;
    for (const Out& o : outs) {
      if (o.element == kDial) v.push_back(o.value);
    }
    return v;
  }
};

TEST_F(HoverKnob, StartsInTheChosenModeAndAnnouncesIt) {
  for (bool hoverFirst : {true, false}) {
    CHoverKnobManager m(hoverFirst);
    ASSERT_TRUE(m.hasOutputs());
    auto o = m.takeOutput();
    EXPECT_EQ(o.element, -1);
    EXPECT_EQ(o.value, hoverFirst ? 0 : 1);
    EXPECT_STREQ(m.modeName(o.value), hoverFirst ? "Hover Knob Mode" : "Jog Mode");
    EXPECT_STREQ(m.modeName(-1), m.modeName(o.value));
    EXPECT_FALSE(m.hasOutputs());
    int32 jog = 5, lock = 5;
    EXPECT_FALSE(m.lampValues(jog, lock));  // no elements named yet
    EXPECT_EQ(jog, 5);
  }
  EXPECT_STREQ(manager.modeName(2), "Restless Mode");
  EXPECT_STREQ(manager.modeName(3), "");
}

TEST_F(HoverKnob, DeclaresPagesCommandsAndFunctionParametersInOrder) {
  const std::vector<std::string> expected = {
      "page Hover Knob Mode",
      "page Jog Mode",
      "page Restless Mode",
      "command Jog Mode Lock Remote Restless Mode 769",
      "command Restless Mode Lock Remote Jog Mode 769",
      "command Jog Mode Jog Remote Hover Knob Mode 769",
      "command Restless Mode Jog Remote Hover Knob Mode 769",
      "find Jog Wheel 0 -1",
      "Jog assign wheel DataDial Jog Mode",
      "Jog assign wheel DataDial Restless Mode",
      "find HoverKnob Encoder 1 -1",
      "HoverKnob assign 1:dial DataDial Hover Knob Mode",
      "HoverKnob assign 1:switch Lock Hover Knob Mode",
      "HoverKnob attribute Default:Assignable",
  };
  EXPECT_EQ(target.log, expected);
  EXPECT_EQ(target.references, 0);

  RecordingTarget bare;
  bare.offerFunctions = false;
  CHoverKnobManager m(true);
  m.declareBindings(&bare, kDescriptor);
  EXPECT_EQ(bare.log.size(), 9u);  // pages, commands, the two lookups, nothing assigned
  EXPECT_EQ(bare.log.back(), "find HoverKnob Encoder 1 -1");

  // No target: the elements are still the manager's.
  CHoverKnobManager n(true);
  n.declareBindings(nullptr, kDescriptor);
  int32 jog = 0, lock = 0;
  EXPECT_TRUE(n.lampValues(jog, lock));
}

TEST_F(HoverKnob, DialConvertsSignAndMagnitudeAndHoverModePassesItOn) {
  ASSERT_TRUE(manager.setModeByName("Hover Knob Mode"));
  struct Case {
    int32 in, out;
  } cases[] = {{65, 127}, {127, 65}, {66, 126}, {64, 64}, {1, 1}, {63, 63}};
  for (const auto& c : cases) {
    int32 passed = 0;
    EXPECT_TRUE(turn(c.in, &passed));
    EXPECT_EQ(passed, c.out) << c.in;
  }
  int32 v = 65;
  EXPECT_FALSE(manager.handleInput(current, kDial, v, false));
  EXPECT_EQ(v, 65);
  EXPECT_TRUE(run(1000).empty());
}

TEST_F(HoverKnob, LampsFollowTheMode) {
  struct Case {
    const char* mode;
    int32 jog, lock;
  } cases[] = {{"Hover Knob Mode", 0, -1}, {"Jog Mode", 127, 0}, {"Restless Mode", 127, 127}};
  for (const auto& c : cases) {
    ASSERT_TRUE(manager.setModeByName(c.mode));
    int32 jog = 5, lock = 5;
    ASSERT_TRUE(manager.lampValues(jog, lock));
    EXPECT_EQ(jog, c.jog) << c.mode;
    EXPECT_EQ(lock, c.lock) << c.mode;
    EXPECT_STREQ(manager.modeName(-1), c.mode);
  }
  EXPECT_FALSE(manager.setModeByName("jog mode"));
  EXPECT_FALSE(manager.setModeByName(nullptr));
  EXPECT_STREQ(manager.modeName(-1), "Restless Mode");
}

TEST_F(HoverKnob, JogButtonInHoverModeAsksForTheLastJogMode) {
  int32 v = 127;
  EXPECT_FALSE(
      manager.handleInput(current, kJog, v, true));  // Jog Mode: the host's binding handles it

  manager.setModeByName("Hover Knob Mode");
  v = 0;
  EXPECT_FALSE(manager.handleInput(current, kJog, v, true));
  v = 127;
  EXPECT_TRUE(manager.handleInput(current, kJog, v, true));
  auto outs = drain();
  ASSERT_EQ(outs.size(), 1u);
  EXPECT_EQ(outs[0].element, -1);
  EXPECT_EQ(outs[0].value, 1);

  manager.setModeByName("Restless Mode");
  manager.setModeByName("Hover Knob Mode");
  v = 127;
  EXPECT_TRUE(manager.handleInput(current, kJog, v, true));
  outs = drain();
  ASSERT_EQ(outs.size(), 1u);
  EXPECT_EQ(outs[0].value, 2);
}

TEST_F(HoverKnob, SlowTickPassesWithoutRepeat) {
  EXPECT_TRUE(turn(1));
  EXPECT_TRUE(run(1000).empty());
  EXPECT_TRUE(turn(65));
  host.advance(100);
  EXPECT_TRUE(turn(65));
  EXPECT_TRUE(run(1000).empty());
  host.advance(100);
  EXPECT_TRUE(turn(1));
  EXPECT_TRUE(run(1000).empty());
}

TEST_F(HoverKnob, FastTickRepeatsOnceWithNoInertiaAndDecaysWithout) {
  const uint32 t0 = host.clock();
  EXPECT_TRUE(turn(5));
  auto outs = run(500);
  ASSERT_EQ(outs.size(), 1u);
  EXPECT_EQ(outs[0].value, 5);
  EXPECT_EQ(outs[0].at - t0, 50u);

  manager.setNoInertia(false);
  host.advance(1000);
  const uint32 t1 = host.clock();
  EXPECT_TRUE(turn(69));  // -5
  outs = run(1000);
  EXPECT_EQ(dialValues(outs), (std::vector<int32>{123, 124, 125, 126, 127}));
  for (size_t i = 0; i < outs.size(); ++i) EXPECT_EQ(outs[i].at - t1, 50u * (i + 1));

  // Larger speeds slow down in larger steps.
  host.advance(1000);
  EXPECT_TRUE(turn(35));
  auto v = dialValues(run(300));
  ASSERT_GE(v.size(), 4u);
  EXPECT_EQ(v[0], 35);
  EXPECT_EQ(v[1], 29);
  EXPECT_EQ(v[2], 27);
  EXPECT_EQ(v[3], 25);
}

TEST_F(HoverKnob, RecentFastTicksKeepASlowTickFastUntilTheGapClearsThem) {
  EXPECT_TRUE(turn(5));
  EXPECT_EQ(dialValues(run(100)), std::vector<int32>{5});
  EXPECT_TRUE(turn(1));  // 100 ms later: the 5 is still in the history
  EXPECT_EQ(dialValues(run(100)), std::vector<int32>{5});

  host.advance(600);
  EXPECT_TRUE(turn(1));
  EXPECT_TRUE(run(500).empty());
}

TEST_F(HoverKnob, ReversedSingleTickIsSwallowedAndHoldsOffSingleTicks) {
  manager.setNoInertia(false);
  EXPECT_TRUE(turn(3));
  host.advance(10);
  EXPECT_FALSE(turn(65));  // one tick back: swallowed, and the repeats stop
  host.advance(100);
  EXPECT_FALSE(turn(65));  // held
  EXPECT_FALSE(turn(1));
  EXPECT_TRUE(run(90).empty());
  host.advance(20);  // 210 ms after the reversal
  EXPECT_TRUE(turn(65));

  // A larger tick during the hold goes through and ends it.
  host.advance(1000);
  EXPECT_TRUE(turn(3));
  host.advance(10);
  EXPECT_FALSE(turn(65));
  host.advance(10);
  int32 passed = 0;
  EXPECT_TRUE(turn(67, &passed));
  EXPECT_EQ(passed, 125);
  host.advance(10);
  EXPECT_TRUE(turn(65));  // the hold is over
}

TEST_F(HoverKnob, RestlessRepeatsUntilStopPlayOrRecord) {
  ASSERT_TRUE(manager.setModeByName("Restless Mode"));
  for (int32 stopper : {kStop, kPlay, kRecord}) {
    host.advance(1000);
    EXPECT_TRUE(turn(3));
    std::vector<int32> repeats;
    for (int i = 0; i < 30; ++i) {
      host.setPosition(host.position() + 1);  // the host keeps moving
      for (const Out& o : run(50)) repeats.push_back(o.value);
    }
    EXPECT_EQ(repeats, std::vector<int32>(30, 3));
    int32 v = 127;
    manager.handleInput(current, stopper, v, true);
    v = 0;
    manager.handleInput(current, stopper, v, true);
    EXPECT_TRUE(dialValues(run(1000)).empty()) << stopper;
    drain();
  }

  // A single slow tick also keeps going in this mode.
  host.advance(1000);
  EXPECT_TRUE(turn(65));
  host.setPosition(host.position() + 1);
  EXPECT_EQ(dialValues(run(50)), std::vector<int32>{127});
}

TEST_F(HoverKnob, RestlessStopsAfterTenRepeatsWithoutMovement) {
  ASSERT_TRUE(manager.setModeByName("Restless Mode"));
  host.setPosition(7);
  EXPECT_TRUE(turn(3));
  // The first repeat sees the new position; the next ten see it unchanged.
  EXPECT_EQ(dialValues(run(2000)).size(), 11u);

  // Without a position service the stall check cannot run, and stop still ends it.
  host.setServiceEnabled(HostService::kTransportPosition, false);
  host.advance(1000);
  EXPECT_TRUE(turn(3));
  EXPECT_EQ(dialValues(run(2000)).size(), 40u);
  int32 v = 127;
  EXPECT_FALSE(manager.handleInput(current, kStop, v, true));
  EXPECT_TRUE(run(200).empty());
  EXPECT_EQ(host.kernelReferences(), 0);
}

TEST_F(HoverKnob, PlayWhileJoggingStopsAndArrivesLaterAsPressAndRelease) {
  manager.setNoInertia(false);
  EXPECT_TRUE(turn(20));
  host.advance(60);
  const uint32 pressedAt = host.clock();
  int32 v = 127;
  EXPECT_TRUE(manager.handleInput(current, kPlay, v, true));
  host.advance(30);
  v = 0;
  EXPECT_TRUE(manager.handleInput(current, kPlay, v, true));  // its release waits with it
  v = 127;
  EXPECT_TRUE(manager.handleInput(current, kRecord, v, true));  // queues behind the held play
  v = 0;
  EXPECT_TRUE(manager.handleInput(current, kRecord, v, true));

  auto outs = run(400);
  ASSERT_EQ(outs.size(), 4u);
  EXPECT_EQ(outs[0].at - pressedAt, 200u);
  const int32 seen[4][2] = {{kPlay, 127}, {kPlay, 0}, {kRecord, 127}, {kRecord, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(outs[i].element, seen[i][0]);
    EXPECT_EQ(outs[i].value, seen[i][1]);
  }

  // Not jogging, or hover mode: the host gets the button directly.
  v = 127;
  EXPECT_FALSE(manager.handleInput(current, kPlay, v, true));
  manager.setModeByName("Hover Knob Mode");
  EXPECT_TRUE(turn(20));
  EXPECT_FALSE(manager.handleInput(current, kPlay, v, true));
  EXPECT_TRUE(run(400).empty());
}

TEST_F(HoverKnob, RepeatsKeepTheirPaceAcrossTheClockWrap) {
  manager.setNoInertia(false);
  host.setClock(0xFFFFFFFFu - 75);
  EXPECT_TRUE(turn(5));
  auto outs = run(300);
  EXPECT_EQ(dialValues(outs), (std::vector<int32>{5, 4, 3, 2, 1}));
  for (size_t i = 1; i < outs.size(); ++i) EXPECT_EQ(outs[i].at - outs[i - 1].at, 50u);
}

TEST(HoverKnobWithoutClock, PassesTheDialAndNeverRepeats) {
  for (bool nullKernel : {true, false}) {
    BareHost host;
    host.setServiceEnabled(HostService::kIdle, false);
    Brennholt::Hox::IHostKernel* current = nullKernel ? nullptr : host.kernel();
    CHoverKnobManager m(false);
    m.declareBindings(nullptr, kDescriptor);
    m.takeOutput();
    int32 v = 5;
    EXPECT_FALSE(m.handleInput(current, kDial, v, true));
    v = 127;
    EXPECT_FALSE(m.handleInput(current, kPlay, v, true));
    for (int i = 0; i < 100; ++i) m.idleStep(current);
    EXPECT_FALSE(m.hasOutputs());
    EXPECT_EQ(m.takeOutput().element, -2);
  }
}

// The kernel is the one each call is given: a manager built before the service bound one gets
// the clock once it is there, follows a kernel bound later, and uses none after terminate.
TEST(HoverKnobKernel, UsesTheKernelEachCallIsGiven) {
  BareHost first;
  BareHost second;
  second.setClock(50000);
  Brennholt::Hox::IHostKernel* current = nullptr;
  CHoverKnobManager m(false);
  m.declareBindings(nullptr, kDescriptor);
  m.takeOutput();
  // A fast turn, then 200 ms of idle calls on `clock`; answers the repeat ticks queued.
  auto repeatsAfterTurn = [&m, &current](BareHost& clock) {
    int32 value = 5;
    m.handleInput(current, kDial, value, true);
    int repeats = 0;
    for (int i = 0; i < 20; ++i) {
      clock.advance(10);
      m.idleStep(current);
      while (m.hasOutputs()) {
        if (m.takeOutput().element == kDial) ++repeats;
      }
    }
    return repeats;
  };
  EXPECT_EQ(repeatsAfterTurn(first), 0);
  current = first.kernel();
  EXPECT_GT(repeatsAfterTurn(first), 0);
  current = second.kernel();
  first.setServiceEnabled(HostService::kIdle, false);
  EXPECT_GT(repeatsAfterTurn(second), 0);
  current = nullptr;
  EXPECT_EQ(repeatsAfterTurn(second), 0);
  EXPECT_EQ(first.kernelReferences(), 0);
  EXPECT_EQ(second.kernelReferences(), 0);
}

}  // namespace
