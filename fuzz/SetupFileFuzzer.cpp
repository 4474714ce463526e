// The setup file reader: the model's element callbacks driven by the host's XML reader over
// arbitrary bytes. A load must never crash or read out of bounds, whatever it accepts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extsetup/CExtSetupInfo.h"
#include "extsetup/QENT_SetupDefaults.h"
#include "hostaccess/DAWInfo.h"
#include "sim/host/services/XmlDocuments.h"

namespace {

using namespace Brennholt;

// A context that offers nothing: the model runs on its factory table.
class NoHost final : public Hox::IHostKernel {
 public:
  tresult getService(const TUID, void** service) noexcept override {
    *service = nullptr;
    return kNoInterface;
  }
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return 1; }
  uint32 release() noexcept override { return 1; }
};

// The model with its staging tables ready, as a load prepares them.
struct Fixture {
  NoHost host;
  std::vector<String> buttons = QENT_SetupDefaults::buttonNames();
  std::vector<String> memories = QENT_SetupDefaults::factoryMemoryNames();
  AssignmentTable table = QENT_SetupDefaults::factoryAssignments(0);
  DAWInfo daw{u"Tessaly Studio", u"7.5.0", u"Build 100"};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  CExtSetupInfo model;
  model.initialise(&fixture.host, "QENT", 6, 6, &fixture.buttons, &fixture.memories,
                   &fixture.table);
  model.setFileIdentity(QENT_SetupDefaults::kFileModelName, QENT_SetupDefaults::kExtensionVersion,
                        &fixture.daw);
  model.beginLoad();
  QentSim::XmlReader::parseText(reinterpret_cast<const char*>(data), size, &model);
  return 0;
}
