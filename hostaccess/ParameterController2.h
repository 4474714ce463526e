// A parameter controller that finds the next step the display shows.
//
// Stepped host values (kind code 2 and above) often show the same text for several of the
// small steps a single slow tick makes. After such a tick the controller waits for the host's
// change report (continueStepSearch): while the text still has not moved, it returns to where
// the tick started and steps 2, 4, 8, then 16 times at once, until the display moves, a limit
// or the default is reached, or 16 steps did not move it either.
//
// Same ownership and threading as ParameterController: host thread only; only an allocation
// can fail.
#pragma once

#include <string>

#include "hostaccess/ParameterController.h"

namespace Brennholt {

class ParameterController2 : public ParameterController {
 public:
  // The step counts a search doubles through, 1 to kMaxSearchFactor.
  static constexpr int8 kMaxSearchFactor = 16;

  // 1. As ParameterController, and forgets any step search. [host thread]
  void unbind() override;
  // 23. As ParameterController, and ends any step search. [host thread]
  void endEdit() override;
  // 24. Sums the queue and steps the value; a single tick on curve 0 or 1 of a stepped value
  // arms the step search. [host thread]
  void applyRelative(int32 curve) override;
  // 25. Goes on with an armed search after the host reported a change of the bound value;
  // `curve` is the one the search started with (0 or 1). [host thread]
  virtual void continueStepSearch(int32 curve);

  // 0 while no search runs, else the step count of the search's last round. [host thread]
  int8 searchFactor() const { return searchFactor_; }

 private:
  // Drops the search's queued tick and ends the search.
  void stopSearch();
  // Remembers the text and value a search measures its steps from.
  void takeBaseline();

  int8 searchFactor_ = 0;
  std::u16string baselineText_;
  double baselineValue_ = 0;
};

}  // namespace Brennholt
