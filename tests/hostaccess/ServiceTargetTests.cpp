// The keyboard service over a small project: what it holds of the host while it follows the
// selection, and that it gives all of it back when the host releases it without terminate (the
// reference host always terminates first, so only this test sees that path).
#include <gtest/gtest.h>

#include <string>

#include "hostaccess/QENT_HKA.h"
#include "remote/channels/ModuleState.h"
#include "sim/host/BareHost.h"

namespace Brennholt {
namespace {

TEST(ServiceTarget, ReleaseWithoutTerminateGivesBackEveryWatchAndReference) {
  QentSim::BareHost host;
  // One group channel (no instrument: "Other Track", bound at once) with an equaliser object,
  // on the one track, which is selected.
  QentSim::ProjectDescription project;
  std::string error;
  ASSERT_TRUE(QentSim::ProjectDescription::parse(
      R"({"tracks": [{"name": "Drums", "kind": "Group", "selected": true, "eq": "object"}]})",
      "test", &project, &error))
      << error;

  auto* service = new QENT_HKA;
  ASSERT_EQ(service->initialize(host.context()), kResultOk);
  ASSERT_EQ(host.idleHandlers(), 1u);
  ASSERT_EQ(host.projectListeners(), 1u);
  setRemoteReady();
  host.openProject(project);
  for (int i = 0; i < 5; ++i) host.idle();

  // The mixer, its "selected", the channel's name and the twelve EQ knobs are watched.
  EXPECT_EQ(host.dependents(), 15);
  EXPECT_GT(host.treeReferences(), 0);
  EXPECT_GT(host.kernelReferences(), 0);

  service->release();
  EXPECT_EQ(host.dependents(), 0);
  EXPECT_EQ(host.treeReferences(), 0);
  EXPECT_EQ(host.kernelReferences(), 0);
  EXPECT_EQ(host.idleHandlers(), 0u);
  EXPECT_EQ(host.projectListeners(), 0u);
  EXPECT_EQ(hostKernel, nullptr);
}

}  // namespace
}  // namespace Brennholt
