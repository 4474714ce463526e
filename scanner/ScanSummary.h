// The summary a scan prints at its end: the count per state, the problems with their reasons,
// and the slow modules.
#pragma once

#include <string>

#include "scanner/ScanRun.h"

namespace Brennholt::Scan {

std::string scanSummary(const ScanRun& run);

}  // namespace Brennholt::Scan
