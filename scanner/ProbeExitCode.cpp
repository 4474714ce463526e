#include "scanner/ProbeExitCode.h"

namespace Brennholt::Scan {

ExitCodeMeaning probeExitCodeMeaning(int exitCode) {
  switch (exitCode) {
    case 0:
      return {ModuleState::kOk, "probe completed"};
    case 1:
      return {ModuleState::kExcluded, "one of the host's own instruments: not loaded"};
    case 2:
      return {ModuleState::kOk, "answered without loading: a single \"Bypass\" parameter"};
    case 3:
      return {ModuleState::kExcluded,
              "the path cannot be used (relative, a part over 255 characters, an empty name) or "
              "the module is on the exclusion list"};
    case 4:
      return {ModuleState::kFailed,
              "the output or plug-in path was empty or named the plug-in file itself"};
    case 5:
      return {ModuleState::kNotLoadable, "single-entry module that cannot be loaded"};
    case 6:
      return {ModuleState::kNotLoadable, "single-entry module without an entry function"};
    case 7:
      return {ModuleState::kNotLoadable,
              "no extension, or a component module that cannot be loaded, refuses its "
              "initialisation or has no factory, or an entry function that gives no plug-in"};
    case 8:
      return {ModuleState::kNoInstrument, "the module holds no instrument"};
    default:
      return {ModuleState::kFailed,
              "not one of plugprobe's exit codes: the plug-in may have ended the process"};
  }
}

}  // namespace Brennholt::Scan
