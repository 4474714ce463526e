// Drives one host parameter from one keyboard knob: holds the parameter, queues the knob's tick
// counts until the idle call applies them as accelerated steps (snapping to the parameter's
// default), and keeps an edit gesture open on the host while the knob moves.
//
// The knobs of this keyboard are endless encoders, so every slot binds relative (kind 2) and
// caught (pickup 4): the first tick already moves the value.
//
// Owns one reference to the bound value. The caller removes its watch (unwatch) before it
// unbinds or destroys the controller. Host thread only; not thread-safe. Only an allocation can fail (std::bad_alloc, up to the
// service's doors).
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "core/Types.h"
#include "hostaccess/hoverknob/HostTimer.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

class ParameterController {
 public:
  // Controller kinds.
  static constexpr uint8 kRelative = 2;
  static constexpr uint8 kAbsolute = 3;
  static constexpr uint8 kNone = 4;
  // Pickup states.
  static constexpr uint8 kPickupUnknown = 0;
  static constexpr uint8 kPickupBelow = 1;
  static constexpr uint8 kPickupAbove = 2;
  static constexpr uint8 kPickupCaught = 3;
  static constexpr uint8 kPickupCaughtOnBind = 4;
  // Acceleration curves 0..6 (see step).
  static constexpr int32 kMaxCurve = 6;
  // lastValue before any own write: the largest float.
  static constexpr double kNoValue = std::numeric_limits<float>::max();

  ParameterController() = default;
  virtual ~ParameterController() = default;
  ParameterController(const ParameterController&) = delete;
  ParameterController& operator=(const ParameterController&) = delete;

  // 1. Releases the parameter; kind none, edit timer stopped, pickup 0, lastValue kNoValue, the
  // move queue emptied. An open edit is forgotten, not closed (endEdit first to close it), and
  // so is the watch (unwatch first). [host thread]
  virtual void unbind();
  // 2. The bound value, or null. [host thread]
  virtual Hox::IHostValue* parameter() const;
  // 3. Holds `value` (it must answer IHostParameter) with that kind and pickup state; false,
  // leaving the controller unbound, for a null value or one without a parameter side.
  // [host thread]
  virtual bool bind(Hox::IHostValue* value, uint8 kind, uint8 pickup);
  // 4. [host thread]
  virtual bool isBound() const;
  // 5. kRelative, kAbsolute or kNone. [host thread]
  virtual uint8 kind() const;
  // 6, 7. Pickup state 0..4. Nothing calls setPickup: bind sets the state. [host thread]
  virtual void setPickup(uint8 state);
  virtual uint8 pickup() const;
  // 8. Adds `dependent` on the bound value through the dependency service; true when the host
  // did, or when it is already watching. [host thread]
  virtual bool watch(Hox::IHostKernel* kernel, Hox::IDependent* dependent);
  // 9. Removes it again; true when the host did. Nothing when not watching. [host thread]
  virtual bool unwatch(Hox::IHostKernel* kernel, Hox::IDependent* dependent);
  // 10. Queues a tick count for the next apply; ignored while unbound.
  // [host thread]
  virtual void queueMove(int32 ticks);
  // 11. Moves are waiting for apply. [host thread]
  virtual bool hasMoves() const;
  // 12. Reads the normalized (0..1) or plain value; false when unbound or the host has none.
  // [host thread]
  virtual bool value(double& out, bool normalized) const;
  // 13. Writes it, host notification on; false when unbound or refused. [host thread]
  virtual bool setValue(double x, bool normalized);
  // 14. The plain value read back after the last own write; kNoValue before one. [host thread]
  virtual double lastValue() const;
  // 15. The parameter still holds lastValue. [host thread]
  virtual bool isUnchanged() const;
  // 16. Pickup of an absolute knob at `position` (0..1): below, above, caught once it meets
  // the value. [host thread]
  virtual void updatePickup(double position);
  // 17. Pickup state 3 or 4. [host thread]
  virtual bool isCaught() const;
  // 18. Processes the queued moves with acceleration curve `curve`; with `withEdit` opens (or
  // prolongs) the edit first. Nothing with an empty queue. [host thread]
  virtual void apply(Hox::IHostKernel* kernel, bool withEdit, int32 curve);
  // 19. Ends an open edit once `ms` have passed since the last beginEdit. [host thread]
  virtual void checkEditTimeout(Hox::IHostKernel* kernel, uint32 ms);
  // 20. Opens an edit on the host value unless one is open; restarts the edit timer.
  // [host thread]
  virtual void beginEdit(Hox::IHostKernel* kernel);
  // 21. [host thread]
  virtual bool isEditOpen() const;
  // 22. The edit timer runs and `ms` have passed on it. [host thread]
  virtual bool editTimedOut(Hox::IHostKernel* kernel, uint32 ms);
  // 23. Closes an open edit, writes the normalized value once more (notification on) and
  // stops the timer. [host thread]
  virtual void endEdit();
  // 24. Sums the queue and steps the value by it. [host thread]
  virtual void applyRelative(int32 curve);

  // The queued ticks as one count: entries outside -127..127 are skipped, and one against the
  // current direction restarts the sum there. 0 for an empty queue. [host thread]
  int32 sum() const;
  // The bound parameter's display text, UTF-16 as the host gives it; empty when unbound.
  // [host thread]
  std::u16string parameterText() const;

 protected:
  // The change of `ticks` ticks on `curve` for a bound relative controller; 0 otherwise.
  double step(int32 ticks, int32 curve) const;
  // One relative change of `ticks` on `curve`: the fine frequency step by text, else the
  // accelerated step, clamped, snapped to the default. Answers whether it wrote.
  bool stepValue(int32 curve, int32 ticks);
  // The tenth-of-a-hertz step by text of an EQ frequency below 150 Hz shown as "%.1f Hz";
  // false when it does not apply.
  bool fineFrequencyStep(int32 ticks);
  // Whether the plain value equals the parameter's default.
  bool isAtDefault() const;
  // Empties the move queue.
  void clearMoves();
  // Queues a count; `pending` makes apply see it.
  void pushMove(int32 ticks, bool pending);
  // Drops the oldest queued count.
  void dropFirstMove();
  bool hasQueue() const { return !moves_.empty(); }
  Hox::IHostParameter* hostParameter() const { return parameter_.get(); }

 private:
  void readBack();

  IPtr<Hox::IHostValue> value_;
  IPtr<Hox::IHostParameter> parameter_;
  uint8 kind_ = kNone;
  HostTimer editTimer_;
  std::vector<int32> moves_;
  uint8 pickup_ = kPickupUnknown;
  double lastValue_ = kNoValue;
  bool movesPending_ = false;
  bool editOpen_ = false;
  bool watching_ = false;
};

}  // namespace Brennholt
