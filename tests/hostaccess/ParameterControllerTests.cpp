#include "hostaccess/ParameterController2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/hostaccess/FakeHostTree.h"
#include "tests/hostaccess/hoverknob/FakeHostKernel.h"

namespace {

using Brennholt::int32;
using Brennholt::ParameterController;
using Brennholt::ParameterController2;
using Brennholt::Test::FakeHostKernel;
using Brennholt::Test::FakeTree;
using Brennholt::Test::FakeValue;
using Brennholt::Test::widen;

class ParameterControllers : public testing::Test {
 protected:
  void TearDown() override {
    controller.unbind();
    other.unbind();
    EXPECT_EQ(tree.references, 0) << "a host reference was kept";
    EXPECT_EQ(clock.references, 0);
  }

  FakeValue* parameter(double minimum, double maximum, double plain) {
    FakeValue* v = tree.value();
    v->minimum = minimum;
    v->maximum = maximum;
    v->plain = plain;
    return v;
  }
  // Binds as every knob of the keyboard binds: relative and caught.
  void bind(ParameterController& c, FakeValue* v) {
    ASSERT_TRUE(
        c.bind(v, ParameterController::kRelative, ParameterController::kPickupCaughtOnBind));
  }
  // One idle round with `ticks` queued on `curve`.
  void turn(ParameterController& c, int32 ticks, int32 curve = 1) {
    c.queueMove(ticks);
    c.apply(&clock, true, curve);
  }

  FakeTree tree;
  FakeHostKernel clock;
  ParameterController2 controller;
  ParameterController other;
};

TEST_F(ParameterControllers, StepsFollowTheCurveOfEachTickBand) {
  // Divisors of the range by curve for 3, 4, 7, 8, 11, 12, 14 and 15 ticks; 0 is a whole unit.
  const double divisors[7][8] = {
      {1024, 512, 512, 256, 256, 128, 128, 64}, {1024, 128, 128, 128, 128, 128, 128, 128},
      {512, 512, 512, 256, 256, 128, 128, 64},  {200, 128, 128, 96, 96, 75, 75, 64},
      {480, 128, 128, 96, 96, 75, 75, 64},      {0, 1024, 1024, 256, 256, 128, 128, 96},
      {120, 128, 128, 96, 96, 75, 75, 64}};
  const int32 ticks[8] = {3, 4, 7, 8, 11, 12, 14, 15};
  FakeValue* v = parameter(0, 100, 0);
  bind(other, v);
  for (int32 curve = 0; curve < 7; ++curve) {
    for (int i = 0; i < 8; ++i) {
      v->plain = 0;
      turn(other, ticks[i], curve);
      const double expected =
          divisors[curve][i] == 0 ? ticks[i] : 100 / divisors[curve][i] * ticks[i];
      EXPECT_DOUBLE_EQ(v->plain, expected) << "curve " << curve << ", " << ticks[i] << " ticks";
    }
  }
  // One tick and a burst of four, downwards.
  v->plain = 50;
  turn(other, 1);
  EXPECT_DOUBLE_EQ(v->plain, 50 + 100.0 / 1024);
  turn(other, -4);
  EXPECT_DOUBLE_EQ(v->plain, 50 + 100.0 / 1024 - 4 * 100.0 / 128);
  EXPECT_EQ(other.lastValue(), v->plain);
  EXPECT_TRUE(other.isUnchanged());
  v->plain = 10;
  EXPECT_FALSE(other.isUnchanged());
}

TEST_F(ParameterControllers, RangeOfOneBelowOneAndIntegerValues) {
  FakeValue* toggle = parameter(0, 1, 0);
  bind(other, toggle);
  turn(other, 1);
  EXPECT_EQ(toggle->plain, 1);
  turn(other, -3);
  EXPECT_EQ(toggle->plain, 0);

  FakeValue* narrow = parameter(0, 0.5, 0.25);
  bind(other, narrow);
  turn(other, 15);
  EXPECT_EQ(narrow->plain, 0.25);
  EXPECT_EQ(narrow->writes, 0);

  FakeValue* count = parameter(0, 10, 5);
  count->kind = 1;
  bind(other, count);
  turn(other, 1);
  EXPECT_EQ(count->plain, 6);
  turn(other, -4);  // 10/128 per tick is still less than a whole one
  EXPECT_EQ(count->plain, 5);
}

TEST_F(ParameterControllers, SnapsToTheDefaultWithinHalfASingleTickStep) {
  FakeValue* pan = parameter(-1, 1, -0.0015);
  pan->standard = 0;
  bind(other, pan);
  turn(other, 1);  // lands 0.00045 from the default; half a tick is 0.00098
  EXPECT_EQ(pan->plain, 0);

  pan->plain = -0.01;
  turn(other, 1);
  EXPECT_DOUBLE_EQ(pan->plain, -0.01 + 2.0 / 1024);
  // A burst that lands near the default keeps its place: the margin is a single tick's.
  pan->plain = -0.0645;
  turn(other, 4);
  EXPECT_DOUBLE_EQ(pan->plain, -0.0645 + 4 * 2.0 / 128);
}

TEST_F(ParameterControllers, LowEqFrequenciesMoveByATenthByText) {
  FakeValue* freq = parameter(20, 20000, 100);
  freq->format = [](double hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f Hz", hz);
    return widen(text);
  };
  bind(other, freq);
  turn(other, 1, 5);
  ASSERT_EQ(freq->textsSet.size(), 1u);
  EXPECT_EQ(freq->textsSet[0], u"100.1 Hz");
  turn(other, -1, 5);
  EXPECT_EQ(freq->textsSet.back(), u"100.0 Hz");

  // From 150 Hz on, and for faster turns, the ordinary step.
  freq->plain = 150;
  turn(other, 1, 5);
  EXPECT_EQ(freq->plain, 151);
  freq->plain = 100;
  turn(other, 4, 5);
  EXPECT_DOUBLE_EQ(freq->plain, 100 + 4 * 19980.0 / 1024);
  EXPECT_EQ(freq->textsSet.size(), 2u);

  // A host that refuses the text still moves the value.
  freq->acceptsText = false;
  freq->plain = 100;
  turn(other, 1, 5);
  EXPECT_EQ(freq->plain, 101);
}

TEST_F(ParameterControllers, QueuedTicksSumFromTheLastChangeOfDirection) {
  FakeValue* v = parameter(0, 100, 50);
  bind(other, v);
  EXPECT_EQ(other.sum(), 0);
  for (int32 t : {3, 2, 200, -1, -4}) other.queueMove(t);
  EXPECT_TRUE(other.hasMoves());
  EXPECT_EQ(other.sum(), -5);
  other.apply(&clock, false, 1);
  EXPECT_DOUBLE_EQ(v->plain, 50 - 5 * 100.0 / 128);
  EXPECT_FALSE(other.hasMoves());

  other.unbind();
  other.queueMove(1);
  EXPECT_FALSE(other.hasMoves());
}

TEST_F(ParameterControllers, EditsCloseTwoSecondsAfterTheLastMove) {
  FakeValue* v = parameter(0, 100, 50);
  bind(other, v);
  turn(other, 1);
  clock.advance(1500);
  turn(other, 1);
  EXPECT_EQ(v->editsOpened, 1);
  EXPECT_TRUE(other.isEditOpen());

  clock.advance(1999);
  other.checkEditTimeout(&clock, 2000);
  EXPECT_TRUE(other.isEditOpen());
  const int writes = v->writes;
  const double where = v->plain;
  clock.advance(1);
  other.checkEditTimeout(&clock, 2000);
  EXPECT_FALSE(other.isEditOpen());
  EXPECT_EQ(v->editsClosed, 1);
  EXPECT_EQ(v->writes, writes + 1);  // the end of the gesture is written once more
  EXPECT_DOUBLE_EQ(v->plain, where);

  // An edit left open by an unbind does not carry over to the next value.
  turn(other, 1);
  other.unbind();
  FakeValue* next = parameter(0, 100, 50);
  bind(other, next);
  turn(other, 1);
  EXPECT_EQ(next->editsOpened, 1);
}

TEST_F(ParameterControllers, StepSearchDoublesUntilTheDisplayMoves) {
  // A stepped value shown in whole units of 10: a single tick (1000/1024) does not move it.
  FakeValue* v = parameter(0, 1000, 0);
  v->kind = 2;
  int32 shownUnit = 100;
  v->format = [&](double x) { return widen(std::to_string(static_cast<int>(x / shownUnit))); };
  const double tick = 1000.0 / 1024;
  bind(controller, v);

  turn(controller, 1);
  EXPECT_EQ(controller.searchFactor(), 1);
  EXPECT_DOUBLE_EQ(v->plain, tick);
  for (int factor : {2, 4, 8, 16}) {
    controller.continueStepSearch(1);  // the host reports the change; the display did not move
    EXPECT_EQ(controller.searchFactor(), factor);
    EXPECT_DOUBLE_EQ(v->plain, factor * tick);
    EXPECT_FALSE(controller.hasMoves()) << "the search's tick is not a new move";
  }
  controller.continueStepSearch(1);  // 16 steps did not move it either: done
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_DOUBLE_EQ(v->plain, 16 * tick);
  controller.continueStepSearch(1);
  EXPECT_DOUBLE_EQ(v->plain, 16 * tick);

  // Shown in units of 5: the display moves at 8 steps and the search stops there.
  shownUnit = 5;
  v->plain = 0;
  turn(controller, 1);
  controller.continueStepSearch(1);
  controller.continueStepSearch(1);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 8);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_DOUBLE_EQ(v->plain, 8 * tick);

  // A tick turned while a search waits for the host counts as a move of its own.
  shownUnit = 100;
  v->plain = 0;
  turn(controller, 1);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 2);
  turn(controller, -1);
  EXPECT_DOUBLE_EQ(v->plain, tick);

  // A tick that lands on the default ends the search at once.
  controller.unbind();
  bind(controller, v);
  v->standard = 500;
  v->plain = 500 - 0.6 * tick;
  turn(controller, 1);
  EXPECT_EQ(v->plain, 500);
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_FALSE(controller.hasMoves());
}

}  // namespace
