// What each of plugprobe's exit codes says about the module it probed.
#pragma once

#include <string>

#include "scanner/ModuleState.h"

namespace Brennholt::Scan {

struct ExitCodeMeaning {
  ModuleState state;
  std::string meaning;  // plugprobe's documented meaning of the code, in a sentence
};

// The state and meaning of a code; codes plugprobe never gives make the state kFailed. Code 0
// and 2 mean kOk only with an output file, which the caller checks.
ExitCodeMeaning probeExitCodeMeaning(int exitCode);

}  // namespace Brennholt::Scan
