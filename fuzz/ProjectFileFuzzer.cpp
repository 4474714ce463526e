// Project files are written by hand: whatever a file holds, the reader must answer with a
// description or one refusal, and a description it accepts must build into a tree.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "sim/host/project/DependencyRegistry.h"
#include "sim/host/project/HostLanguage.h"
#include "sim/host/project/ProjectDescription.h"
#include "sim/host/project/ProjectModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QentSim::ProjectDescription project;
  std::string error;
  if (!QentSim::ProjectDescription::parse(
          std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", &project, &error)) {
    return 0;
  }
  auto registry = std::make_shared<QentSim::DependencyRegistry>();
  auto language = std::make_shared<QentSim::HostLanguage>();
  QentSim::ProjectModel model(project, registry, language);
  model.goingAway();
  return 0;
}
