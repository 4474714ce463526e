// The reference host's loader and class listing on the built module.
#include <gtest/gtest.h>

#include "sim/ClassListing.h"
#include "sim/HostModule.h"
#include "tests/support/ArtifactPath.h"

using namespace QentSim;

TEST(HostModule, ReadsEachClassInTheRichestFormAndLoadsAgainAfterUnload) {
  const std::string path = QentTest::artifactPath("qentlink.hox3");
  HostModule module;
  std::string error;
  ASSERT_TRUE(module.load(path, &error)) << error;
  FactoryDescription description = describeFactory(module.factory());
  ASSERT_EQ(description.classes.size(), 3u);
  for (const ClassDescription& entry : description.classes) EXPECT_EQ(entry.form, InfoForm::kWide);

  module.unload();
  EXPECT_FALSE(module.isLoaded());
  EXPECT_EQ(module.factory(), nullptr);
  ASSERT_TRUE(module.load(path, &error)) << error;
  EXPECT_EQ(module.factory()->countClasses(), 3);
}

TEST(HostModule, AMissingModuleFailsWithAReasonAndLeavesNothingLoaded) {
  HostModule module;
  std::string error;
  EXPECT_FALSE(module.load(QentTest::artifactPath("no-such-module.hox3"), &error));
  EXPECT_NE(error.find("no-such-module.hox3"), std::string::npos);
  EXPECT_FALSE(module.isLoaded());
  EXPECT_EQ(module.factory(), nullptr);
}
