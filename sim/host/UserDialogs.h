// A person who answers the host's dialogs: the alert box and the file selectors. The simulated
// host asks only when the scenario queued no answer, from inside the module's call, and the call
// waits for the answer as it waits for a modal dialog. [host thread, inside a module call]
#pragma once

#include <string>
#include <vector>

#include "sim/host/SimHost.h"

namespace QentSim {

class UserDialogs {
 public:
  // The alert shows `message` with `buttons` (one to three); answers the button pressed, 1-based.
  virtual int alert(const std::string& message, const std::vector<std::string>& buttons) = 0;
  // A file selector of `kind` (kSave or kOpen) titled `title` for files ending in `extension`
  // (without the dot): answers the absolute path chosen, empty when the person cancelled.
  virtual std::string chooseFile(DialogKind kind, const std::string& title,
                                 const std::string& extension) = 0;

 protected:
  ~UserDialogs() = default;
};

}  // namespace QentSim
