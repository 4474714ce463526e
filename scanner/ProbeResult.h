// What one probe of one module found: the state, why, and how long it took.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Types.h"
#include "scanner/Instrument.h"
#include "scanner/ModuleState.h"

namespace Brennholt::Scan {

struct ProbeResult {
  ModuleState state = ModuleState::kFailed;
  std::string reason;                   // one line a user can act on
  std::optional<int32> exitCode;        // plugprobe's, when it ended by itself
  std::optional<uint32> crashCode;      // the signal or exception code, when it crashed
  double durationMs = 0;                // from the start of the probe to its end
  std::vector<Instrument> instruments;  // kOk only
  // False when plugprobe could not even be started: the result says nothing about the module,
  // so it is never kept in the cache.
  bool probed = true;
};

}  // namespace Brennholt::Scan
