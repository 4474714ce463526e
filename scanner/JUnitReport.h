// The JUnit XML report of a scan, for CI systems: one test case per module, a failure for each
// module in a problem state, skipped for excluded, duplicate and unprobed modules.
#pragma once

#include <string>

#include "scanner/ScanRun.h"

namespace Brennholt::Scan {

// The whole document, UTF-8 (bytes that are not become "?").
std::string junitReport(const ScanRun& run);

}  // namespace Brennholt::Scan
