#include "scanner/ResultJson.h"

#include "platform/ChildProcess.h"
#include "scanner/ProbeExitCode.h"

namespace Brennholt::Scan {

using Json = nlohmann::json;

Json resultToJson(const ProbeResult& result) {
  Json json = {{"state", std::string(stateName(result.state))},
               {"reason", result.reason},
               {"duration_ms", result.durationMs}};
  if (result.exitCode) {
    json["exit_code"] = *result.exitCode;
    json["meaning"] = probeExitCodeMeaning(*result.exitCode).meaning;
  } else {
    json["exit_code"] = nullptr;
    json["meaning"] = nullptr;
  }
  if (result.crashCode) {
    json["crash"] = {{"code", *result.crashCode},
                     {"description", Platform::describeCrash(*result.crashCode)}};
  }
  if (result.state == ModuleState::kOk) {
    Json instruments = Json::array();
    for (const Instrument& instrument : result.instruments) {
      Json parameters = Json::array();
      for (const Parameter& parameter : instrument.parameters) {
        parameters.push_back(
            {{"id", parameter.id}, {"name", parameter.name}, {"units", parameter.units}});
      }
      instruments.push_back({{"name", instrument.name}, {"parameters", parameters}});
    }
    json["instruments"] = instruments;
  }
  return json;
}

std::optional<ProbeResult> resultFromJson(const Json& json, std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  try {
    ProbeResult result;
    std::optional<ModuleState> state = stateFromName(json.at("state").get<std::string>());
    if (!state) {
      *why = "an unknown state";
      return std::nullopt;
    }
    result.state = *state;
    result.reason = json.at("reason").get<std::string>();
    result.durationMs = json.at("duration_ms").get<double>();
    if (!json.at("exit_code").is_null()) result.exitCode = json.at("exit_code").get<int32>();
    if (json.contains("crash")) result.crashCode = json.at("crash").at("code").get<uint32>();
    if (result.state == ModuleState::kOk) {
      for (const Json& entry : json.at("instruments")) {
        Instrument instrument;
        instrument.name = entry.at("name").get<std::string>();
        for (const Json& p : entry.at("parameters")) {
          instrument.parameters.push_back({p.at("id").get<int32>(), p.at("name").get<std::string>(),
                                           p.at("units").get<std::vector<std::string>>()});
        }
        result.instruments.push_back(std::move(instrument));
      }
    }
    return result;
  } catch (const Json::exception& error) {
    *why = error.what();
    return std::nullopt;
  }
}

}  // namespace Brennholt::Scan
