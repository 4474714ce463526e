#include "hostaccess/ParameterController2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "sim/host/BareHost.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/project/TreeValue.h"

namespace {

using Brennholt::int32;
using Brennholt::ParameterController;
using Brennholt::ParameterController2;
using QentSim::TreeValue;

class ParameterControllers : public testing::Test {
 protected:
  void TearDown() override {
    controller.unbind();
    other.unbind();
    EXPECT_EQ(host.treeReferences(), 0) << "a host reference was kept";
    EXPECT_EQ(host.kernelReferences(), 0);
  }

  TreeValue* parameter(double minimum, double maximum, double plain, int32 kind = 0,
                       std::optional<double> standard = {}, const char* format = "%.2f") {
    QentSim::ValueSpec spec;
    spec.minimum = minimum;
    spec.maximum = maximum;
    spec.value = plain;
    spec.kind = kind;
    spec.defaultValue = standard;
    spec.format = format;
    return host.looseValue(spec);
  }
  // Binds as every knob of the keyboard binds: relative and caught.
  void bind(ParameterController& c, Brennholt::Hox::IHostValue* v) {
    ASSERT_TRUE(
        c.bind(v, ParameterController::kRelative, ParameterController::kPickupCaughtOnBind));
  }
  // One idle round with `ticks` queued on `curve`.
  void turn(ParameterController& c, int32 ticks, int32 curve = 1) {
    c.queueMove(ticks);
    c.apply(host.kernel(), true, curve);
  }
  int writes(const TreeValue* v) const { return host.writes(v); }

  QentSim::BareHost host;
  ParameterController2 controller;
  ParameterController other;
};

// A value whose host takes no text: the host's value behind it, every text refused.
class RefusingTexts final
    : public QentSim::HostObject<Brennholt::Hox::IHostValue, Brennholt::Hox::IHostParameter> {
 public:
  explicit RefusingTexts(TreeValue* value) : v_(value) {}
  Brennholt::tresult getOwner(Brennholt::Hox::IHostObject** o) noexcept override {
    return v_->getOwner(o);
  }
  int32 tag() noexcept override { return v_->tag(); }
  int32 intValue() noexcept override { return v_->intValue(); }
  int32 intMinimum() noexcept override { return v_->intMinimum(); }
  int32 intMaximum() noexcept override { return v_->intMaximum(); }
  Brennholt::tresult setIntValue(int32 value, int32 notify) noexcept override {
    return v_->setIntValue(value, notify);
  }
  Brennholt::tresult getText(Brennholt::char16* text, int32 capacity) noexcept override {
    return v_->getText(text, capacity);
  }
  double plainValue() noexcept override { return v_->plainValue(); }
  double plainMinimum() noexcept override { return v_->plainMinimum(); }
  double plainMaximum() noexcept override { return v_->plainMaximum(); }
  Brennholt::tresult setPlainValue(double value, int32 notify) noexcept override {
    return v_->setPlainValue(value, notify);
  }
  Brennholt::tresult getNormalized(double* value) noexcept override {
    return v_->getNormalized(value);
  }
  Brennholt::tresult setNormalized(double value, int32 notify) noexcept override {
    return v_->setNormalized(value, notify);
  }
  Brennholt::tresult getDefault(double* value) noexcept override { return v_->getDefault(value); }
  int32 kindCode() noexcept override { return v_->kindCode(); }
  Brennholt::tresult edit(int32 open) noexcept override { return v_->edit(open); }
  Brennholt::tresult setFromText(const Brennholt::char16*, int32) noexcept override {
    return Brennholt::kResultFalse;
  }

 private:
  TreeValue* v_;
};

TEST_F(ParameterControllers, StepsFollowTheCurveOfEachTickBand) {
  // Divisors of the range by curve for 3, 4, 7, 8, 11, 12, 14 and 15 ticks; 0 is a whole unit.
  const double divisors[7][8] = {
      {1024, 512, 512, 256, 256, 128, 128, 64}, {1024, 128, 128, 128, 128, 128, 128, 128},
      {512, 512, 512, 256, 256, 128, 128, 64},  {200, 128, 128, 96, 96, 75, 75, 64},
      {480, 128, 128, 96, 96, 75, 75, 64},      {0, 1024, 1024, 256, 256, 128, 128, 96},
      {120, 128, 128, 96, 96, 75, 75, 64}};
  const int32 ticks[8] = {3, 4, 7, 8, 11, 12, 14, 15};
  TreeValue* v = parameter(0, 100, 0);
  bind(other, v);
  for (int32 curve = 0; curve < 7; ++curve) {
    for (int i = 0; i < 8; ++i) {
      v->setPlainQuietly(0);
      turn(other, ticks[i], curve);
      const double expected =
          divisors[curve][i] == 0 ? ticks[i] : 100 / divisors[curve][i] * ticks[i];
      EXPECT_DOUBLE_EQ(v->plain(), expected) << "curve " << curve << ", " << ticks[i] << " ticks";
    }
  }
  // One tick and a burst of four, downwards.
  v->setPlainQuietly(50);
  turn(other, 1);
  EXPECT_DOUBLE_EQ(v->plain(), 50 + 100.0 / 1024);
  turn(other, -4);
  EXPECT_DOUBLE_EQ(v->plain(), 50 + 100.0 / 1024 - 4 * 100.0 / 128);
  EXPECT_EQ(other.lastValue(), v->plain());
  EXPECT_TRUE(other.isUnchanged());
  v->setPlainQuietly(10);
  EXPECT_FALSE(other.isUnchanged());
}

TEST_F(ParameterControllers, RangeOfOneBelowOneAndIntegerValues) {
  TreeValue* toggle = parameter(0, 1, 0);
  bind(other, toggle);
  turn(other, 1);
  EXPECT_EQ(toggle->plain(), 1);
  turn(other, -3);
  EXPECT_EQ(toggle->plain(), 0);

  TreeValue* narrow = parameter(0, 0.5, 0.25);
  bind(other, narrow);
  turn(other, 15);
  EXPECT_EQ(narrow->plain(), 0.25);
  EXPECT_EQ(writes(narrow), 0);

  TreeValue* count = parameter(0, 10, 5, 1);
  bind(other, count);
  turn(other, 1);
  EXPECT_EQ(count->plain(), 6);
  turn(other, -4);  // 10/128 per tick is still less than a whole one
  EXPECT_EQ(count->plain(), 5);
}

TEST_F(ParameterControllers, SnapsToTheDefaultWithinHalfASingleTickStep) {
  TreeValue* pan = parameter(-1, 1, -0.0015, 0, 0.0);
  bind(other, pan);
  turn(other, 1);  // lands 0.00045 from the default; half a tick is 0.00098
  EXPECT_EQ(pan->plain(), 0);

  pan->setPlainQuietly(-0.01);
  turn(other, 1);
  EXPECT_DOUBLE_EQ(pan->plain(), -0.01 + 2.0 / 1024);
  // A burst that lands near the default keeps its place: the margin is a single tick's.
  pan->setPlainQuietly(-0.0645);
  turn(other, 4);
  EXPECT_DOUBLE_EQ(pan->plain(), -0.0645 + 4 * 2.0 / 128);
}

TEST_F(ParameterControllers, LowEqFrequenciesMoveByATenthByText) {
  TreeValue* freq = parameter(20, 20000, 100, 0, {}, "%.1f Hz");
  bind(other, freq);
  turn(other, 1, 5);  // the ordinary step would be a whole hertz
  EXPECT_EQ(freq->plain(), 100.1);
  EXPECT_EQ(writes(freq), 1);
  turn(other, -1, 5);
  EXPECT_EQ(freq->text(), "100.0 Hz");

  // From 150 Hz on, and for faster turns, the ordinary step.
  freq->setPlainQuietly(150);
  turn(other, 1, 5);
  EXPECT_EQ(freq->plain(), 151);
  freq->setPlainQuietly(100);
  turn(other, 4, 5);
  EXPECT_DOUBLE_EQ(freq->plain(), 100 + 4 * 19980.0 / 1024);

  // A host that refuses the text still moves the value.
  freq->setPlainQuietly(100);
  auto refusing = Brennholt::IPtr<RefusingTexts>::adopt(new RefusingTexts(freq));
  bind(other, refusing.get());
  turn(other, 1, 5);
  EXPECT_EQ(freq->plain(), 101);
}

TEST_F(ParameterControllers, QueuedTicksSumFromTheLastChangeOfDirection) {
  TreeValue* v = parameter(0, 100, 50);
  bind(other, v);
  EXPECT_EQ(other.sum(), 0);
  for (int32 t : {3, 2, 200, -1, -4}) other.queueMove(t);
  EXPECT_TRUE(other.hasMoves());
  EXPECT_EQ(other.sum(), -5);
  other.apply(host.kernel(), false, 1);
  EXPECT_DOUBLE_EQ(v->plain(), 50 - 5 * 100.0 / 128);
  EXPECT_FALSE(other.hasMoves());

  other.unbind();
  other.queueMove(1);
  EXPECT_FALSE(other.hasMoves());
}

TEST_F(ParameterControllers, EditsCloseTwoSecondsAfterTheLastMove) {
  TreeValue* v = parameter(0, 100, 50);
  bind(other, v);
  turn(other, 1);
  host.advance(1500);
  turn(other, 1);
  EXPECT_TRUE(v->editOpen());
  EXPECT_EQ(v->completedEdits(), 0);
  EXPECT_TRUE(other.isEditOpen());

  host.advance(1999);
  other.checkEditTimeout(host.kernel(), 2000);
  EXPECT_TRUE(other.isEditOpen());
  const int before = writes(v);
  const double where = v->plain();
  host.advance(1);
  other.checkEditTimeout(host.kernel(), 2000);
  EXPECT_FALSE(other.isEditOpen());
  EXPECT_EQ(v->completedEdits(), 1);
  EXPECT_EQ(writes(v), before + 1);  // the end of the gesture is written once more
  EXPECT_DOUBLE_EQ(v->plain(), where);

  // An edit left open by an unbind does not carry over to the next value.
  turn(other, 1);
  other.unbind();
  TreeValue* next = parameter(0, 100, 50);
  bind(other, next);
  turn(other, 1);
  EXPECT_TRUE(next->editOpen());
}

TEST_F(ParameterControllers, StepSearchDoublesUntilTheDisplayMoves) {
  // A stepped value shown in whole units: 16 single ticks (10/1024 each) do not move it.
  TreeValue* v = parameter(0, 10, 0, 2, {}, "%.0f");
  const double tick = 10.0 / 1024;
  bind(controller, v);

  turn(controller, 1);
  EXPECT_EQ(controller.searchFactor(), 1);
  EXPECT_DOUBLE_EQ(v->plain(), tick);
  for (int factor : {2, 4, 8, 16}) {
    controller.continueStepSearch(1);  // the host reports the change; the display did not move
    EXPECT_EQ(controller.searchFactor(), factor);
    EXPECT_DOUBLE_EQ(v->plain(), factor * tick);
    EXPECT_FALSE(controller.hasMoves()) << "the search's tick is not a new move";
  }
  controller.continueStepSearch(1);  // 16 steps did not move it either: done
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_DOUBLE_EQ(v->plain(), 16 * tick);
  controller.continueStepSearch(1);
  EXPECT_DOUBLE_EQ(v->plain(), 16 * tick);

  // Ten times the range: the display moves at 8 steps (0.78 shows "1") and the search stops
  // there.
  TreeValue* wide = parameter(0, 100, 0, 2, {}, "%.0f");
  controller.unbind();
  bind(controller, wide);
  turn(controller, 1);
  controller.continueStepSearch(1);
  controller.continueStepSearch(1);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 8);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_DOUBLE_EQ(wide->plain(), 8 * 100.0 / 1024);

  // A tick turned while a search waits for the host counts as a move of its own.
  controller.unbind();
  bind(controller, v);
  v->setPlainQuietly(0);
  turn(controller, 1);
  controller.continueStepSearch(1);
  EXPECT_EQ(controller.searchFactor(), 2);
  turn(controller, -1);
  EXPECT_DOUBLE_EQ(v->plain(), tick);

  // A tick that lands on the default ends the search at once.
  const double wideTick = 1000.0 / 1024;
  TreeValue* withDefault = parameter(0, 1000, 500 - 0.6 * wideTick, 2, 500.0, "%.0f");
  controller.unbind();
  bind(controller, withDefault);
  turn(controller, 1);
  EXPECT_EQ(withDefault->plain(), 500);
  EXPECT_EQ(controller.searchFactor(), 0);
  EXPECT_FALSE(controller.hasMoves());
}

}  // namespace
