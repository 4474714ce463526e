// The JSON report of a scan (scanner/report.schema.json describes it).
#pragma once

#include <nlohmann/json.hpp>

#include "scanner/ScanRun.h"

namespace Brennholt::Scan {

// The report: the scan's settings and figures, the count per state, the slow modules, and per
// module its path, state, reason, exit code and meaning, crash, duration, and for ok its
// instruments; modules an interrupt left without a result are listed apart.
nlohmann::json jsonReport(const ScanRun& run);
// The report as text, invalid UTF-8 in paths replaced.
std::string jsonReportText(const ScanRun& run);

}  // namespace Brennholt::Scan
