#include "scanner/JsonReport.h"

#include "scanner/ResultJson.h"

namespace Brennholt::Scan {

using Json = nlohmann::json;

Json jsonReport(const ScanRun& run) {
  Json counts = Json::object();
  for (ModuleState state : kAllStates) counts[std::string(stateName(state))] = 0;
  Json modules = Json::array();
  Json slow = Json::array();
  Json notProbed = Json::array();
  std::size_t fromCache = 0;
  for (const ModuleOutcome& outcome : run.outcomes) {
    if (!outcome.result) {
      notProbed.push_back(outcome.module.path);
      continue;
    }
    Json module = resultToJson(*outcome.result);
    module["path"] = outcome.module.path;
    module["canonical"] = outcome.module.canonical;
    module["from_cache"] = outcome.fromCache;
    module["slow"] = isSlow(outcome, run.options.slowMs);
    if (outcome.module.duplicateOf)
      module["duplicate_of"] = run.outcomes[*outcome.module.duplicateOf].module.path;
    if (outcome.fromCache) ++fromCache;
    if (isSlow(outcome, run.options.slowMs)) slow.push_back(outcome.module.path);
    counts[std::string(stateName(outcome.result->state))] =
        counts[std::string(stateName(outcome.result->state))].get<int>() + 1;
    modules.push_back(std::move(module));
  }
  return {{"format", "plugscan report"},
          {"version", 1},
          {"complete", !run.interrupted},
          {"plugprobe", run.options.settings.plugprobe},
          {"jobs", run.options.settings.jobs},
          {"timeout_s", std::chrono::duration<double>(run.options.settings.timeout).count()},
          {"slow_ms", run.options.slowMs},
          {"elapsed_ms", run.elapsedMs},
          {"probed", run.probed},
          {"from_cache", fromCache},
          {"summary", counts},
          {"slow", slow},
          {"not_probed", notProbed},
          {"modules", modules}};
}

std::string jsonReportText(const ScanRun& run) {
  return jsonReport(run).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace Brennholt::Scan
