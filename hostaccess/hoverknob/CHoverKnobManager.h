// The data dial's three modes and the jog wheel's repeat engine, embedded in a hardware remote.
//
// "Hover Knob Mode": the dial drives the host's hover knob and "Lock" is its switch; the manager
// lets the dial through untouched. "Jog Mode" / "Restless Mode": the dial drives the host's jog
// wheel; fast turns leave a velocity that the manager keeps sending as repeat ticks every 50 ms
// (decaying in "Jog Mode", until stopped in "Restless Mode"). Play and record pressed while the
// wheel is still repeating are held back 200 ms so they reach the host after the jog stopped.
//
// The remote feeds it element values, gives it idle time and performs its queued outputs, one
// per idle call. Everything runs on the host thread except setNoInertia. Nothing here throws:
// an output or a held-back press that finds no memory to queue in is dropped.
//
// Time comes from the kernel's idle service (HostTimer). The remote passes the kernel to each
// operation that asks the host (handleInput, idleStep), so the manager never holds on to a
// kernel the service has let go of. The kernel may be null: without a clock the dial passes
// straight through and never builds up a repeat, so nothing is repeated or held back.
#pragma once

#include <atomic>

#include "base/TArray.h"
#include "core/Types.h"
#include "hostaccess/hoverknob/HostTimer.h"

namespace Brennholt {

namespace Hox {
class IHostKernel;
class IBindingTarget;
}  // namespace Hox

class CHoverKnobManager {
 public:
  // The remote's names and element indices for the controls the manager uses.
  struct Descriptor {
    const char* dialName;  // "DataDial"
    const char* jogName;   // "Jog"
    const char* lockName;  // "Lock"
    int32 dial, jog, lock, play, record, stop;
  };
  // One action for the remote. element -1: show the mode name modeName(value); otherwise send
  // `value` for `element` on as if the device had sent it (the host's default element handling).
  struct Output {
    int32 element;
    int32 value;
    friend bool operator==(const Output&, const Output&) = default;
  };

  // hoverFirst chooses "Hover Knob Mode" as the start mode, else "Jog Mode". The output queue
  // starts with (-1, start mode) so the remote shows the mode name. [host thread]
  explicit CHoverKnobManager(bool hoverFirst);
  virtual ~CHoverKnobManager();

  CHoverKnobManager(const CHoverKnobManager&) = delete;
  CHoverKnobManager& operator=(const CHoverKnobManager&) = delete;

  // Keeps the descriptor's element indices (its names are read during the call only), then
  // declares the three mode pages, the Lock/Jog page-switch commands and the jog wheel and hover
  // knob function parameters on the target. A null target only keeps the indices. Every host
  // reference taken is released before returning. Until this is called no element is the
  // manager's. [host thread, from the remote's attach]
  void declareBindings(Hox::IBindingTarget* target, const Descriptor& descriptor);

  // Looks at one element value from the device before the host sees it. For the dial with
  // `convert`, a sign-and-magnitude value (65..127 for -1..-63) is rewritten to two's complement
  // (127..65) and passed back in `value`. True: the manager consumed the event and the remote
  // does nothing else with it; false: the remote hands `value` to the host. `kernel` gives the
  // time. [host thread]
  bool handleInput(Hox::IHostKernel* kernel, int32 element, int32& value, bool convert);

  // Timers: repeat ticks, velocity decay, the restless stall check, history and hold expiry and
  // the release of held presses; results go to the output queue. `kernel` gives the time and
  // the transport position. [host thread, each idle call]
  void idleStep(Hox::IHostKernel* kernel);

  // Whether an output waits for the remote. [host thread]
  bool hasOutputs() const;
  // Removes and answers the oldest output. Only meaningful while hasOutputs(); on an empty queue
  // it answers element -2, which names nothing. [host thread]
  Output takeOutput();

  // 0 "Hover Knob Mode", 1 "Jog Mode", 2 "Restless Mode"; a negative index names the current
  // mode; any other index an empty text. Static texts. [host thread]
  const char* modeName(int32 index) const;
  // Switches to the mode of exactly that name and clears the jog state; false (nothing changes)
  // for any other name. The remote calls it when the host activated one of the mode pages and
  // refreshes the lamps after. [host thread]
  bool setModeByName(const char* name);
  // Lamp values for the mode: jog 0 in "Hover Knob Mode", else 127; lock -1 (send nothing) in
  // "Hover Knob Mode", 0 in "Jog Mode", 127 in "Restless Mode". False, outputs untouched,
  // before declareBindings has named the elements. [host thread]
  bool lampValues(int32& jog, int32& lock) const;

  // The keyboard's jog-stop option: true ends a "Jog Mode" repeat after one tick instead of
  // letting it slow down. [remote's worker thread; read on the host thread]
  void setNoInertia(bool flag);

 private:
  enum Mode : int32 { kHover = 0, kJog = 1, kRestless = 2 };
  static constexpr int kHistory = 5;

  bool jogTick(Hox::IHostKernel* kernel, int32 value);
  void decay();
  void stopJogging();  // velocity and stall count to 0
  void clearJog();     // history, velocity and stall count to 0
  void checkStall(Hox::IHostKernel* kernel);
  void queue(int32 element, int32 value);

  int32 dial_ = -1, jog_ = -1, lock_ = -1, play_ = -1, record_ = -1, stop_ = -1;
  bool declared_ = false;
  int32 mode_;
  bool restless_ = false;
  int32 velocity_ = 0;
  int32 stallCount_ = 0;
  double lastPosition_ = 0;
  int32 history_[kHistory] = {};  // newest last
  TArray<int32> pendingPresses_{10};
  HostTimer repeatTimer_, holdTimer_, tickTimer_, pressTimer_;
  std::atomic<bool> noInertia_{true};
  TArray<Output> outputs_{10};  // oldest first
};

}  // namespace Brennholt
