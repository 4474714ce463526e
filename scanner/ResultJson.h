// One probe result as JSON, the same in the cache and in the report.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "scanner/ProbeResult.h"

namespace Brennholt::Scan {

// state, reason, exit_code and meaning, crash, duration_ms, and for ok the instruments with
// their parameters (id, name, units).
nlohmann::json resultToJson(const ProbeResult& result);
// The result written by resultToJson; nothing when a field is missing or of the wrong kind,
// with the fault in *why.
std::optional<ProbeResult> resultFromJson(const nlohmann::json& json, std::string* why);

}  // namespace Brennholt::Scan
