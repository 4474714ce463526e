// The state a module ends a scan in, and its name in reports and the cache.
#pragma once

#include <optional>
#include <string_view>

namespace Brennholt::Scan {

enum class ModuleState {
  kOk,            // plugprobe listed its instruments
  kNoInstrument,  // it holds no instrument, or none could be listed
  kExcluded,      // plugprobe refuses it by name (the host's own instruments, the exclusion list)
  kNotLoadable,   // the module cannot be loaded or used
  kFailed,        // plugprobe ended with a code that is no answer about the module
  kCrashed,       // the probe died of a signal or an exception
  kTimedOut,      // the probe ran past the time limit and was killed
  kDuplicate,     // the same file was reached before under another path
};

inline constexpr ModuleState kAllStates[] = {ModuleState::kOk,       ModuleState::kNoInstrument,
                                             ModuleState::kExcluded, ModuleState::kNotLoadable,
                                             ModuleState::kFailed,   ModuleState::kCrashed,
                                             ModuleState::kTimedOut, ModuleState::kDuplicate};

// "ok", "no-instrument", "excluded", "not-loadable", "failed", "crashed", "timed-out",
// "duplicate".
std::string_view stateName(ModuleState state);
// The state of a name as stateName writes it; nothing for any other text.
std::optional<ModuleState> stateFromName(std::string_view name);
// True for the states that make the scan's exit code 1 and a failed test case in a JUnit report.
bool isProblem(ModuleState state);
// True for the states that --rescan failed probes again.
bool isRetriedOnRequest(ModuleState state);

}  // namespace Brennholt::Scan
