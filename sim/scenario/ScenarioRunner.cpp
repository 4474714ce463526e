#include "sim/scenario/ScenarioRunner.h"

#include <filesystem>
#include <fstream>

#include "sim/scenario/ScenarioParser.h"

namespace QentSim {

namespace {

// Scenario files are small; anything bigger is not one.
constexpr std::streamoff kMaxFileSize = std::streamoff{16} * 1024 * 1024;

}  // namespace

ScenarioRunner::ScenarioRunner(const std::string& modulePath, std::ostream& out)
    : simulation_(modulePath, out) {}

ScenarioResult ScenarioRunner::runFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {false, 0, "cannot be read"};
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0 || size > kMaxFileSize) return {false, 0, "is not a scenario (too large)"};
  file.seekg(0, std::ios::beg);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !file.read(text.data(), size)) return {false, 0, "cannot be read"};
  simulation_.setBaseDirectory(std::filesystem::absolute(path).parent_path().string());
  return runText(text, std::filesystem::path(path).parent_path().string());
}

ScenarioResult ScenarioRunner::runText(std::string_view text, const std::string& directory) {
  Scenario scenario;
  ScenarioError error;
  if (!ScenarioParser::parse(text, scenario, error, directory))
    return {false, error.line, error.message};
  for (const ScenarioCommand& command : scenario) {
    if (command.row->effect == Effect::kChanges) simulation_.markChanged();
    std::string why;
    // A check looks at the simulation at rest.
    const bool settled = command.row->section != Section::kCheck || simulation_.settle(&why);
    if (!settled || !command.run(simulation_, &why)) return {false, command.line, why};
    if (watching_) simulation_.drawChanges();
  }
  return {};
}

}  // namespace QentSim
