// Reads plugprobe's output file: counts and fields one per line, each line ended by CR LF.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scanner/Instrument.h"

namespace Brennholt::Scan {

// The instruments the file lists; nothing when it is not such a file (cut short, a count that
// is no number, more lines than its counts call for), with the first fault in *why.
std::optional<std::vector<Instrument>> readProbeOutput(const std::string& text, std::string* why);

}  // namespace Brennholt::Scan
