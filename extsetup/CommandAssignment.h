// One assignable button in one memory: the host command it runs and the label the keyboard
// shows for it.
#pragma once

#include <vector>

#include "base/String.h"

namespace Brennholt {

struct CommandAssignment {
  String category;  // host command category, "---" for none
  String action;    // host command name within the category, "---" for none
  String display;   // label on the keyboard's display; may be empty

  CommandAssignment() = default;
  // Copies the three texts; a null text gives an empty field.
  CommandAssignment(const char8* category, const char8* action, const char8* display)
      : category(category), action(action), display(display) {}
};

// Rows are memories, entries within a row are buttons.
using AssignmentTable = std::vector<std::vector<CommandAssignment>>;

}  // namespace Brennholt
