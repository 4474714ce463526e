// The reference host's loader and class listing on the built module.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/ClassListing.h"
#include "sim/HostModule.h"
#include "tests/support/ArtifactPath.h"

using namespace QentSim;

TEST(HostModule, ListsTheModulesClassesThroughTheWideForm) {
  HostModule module;
  std::string error;
  ASSERT_TRUE(module.load(QentTest::artifactPath("qentlink.hox3"), &error)) << error;
  FactoryDescription description = describeFactory(module.factory());
  EXPECT_EQ(description.vendor, "Talvane Corporation");
  ASSERT_EQ(description.classes.size(), 3u);
  const char* names[] = {"Talvane QENT6/QENT8 Extension", "Talvane QENT6/QENT8", ""};
  const char* versions[] = {"1.0.6", "", ""};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(description.classes[i].form, InfoForm::kWide);
    EXPECT_EQ(description.classes[i].name, names[i]);
    EXPECT_EQ(description.classes[i].version, versions[i]);
  }
  EXPECT_EQ(description.classes[1].cardinality, 0x7FFFFFFF);

  module.unload();
  EXPECT_FALSE(module.isLoaded());
  EXPECT_EQ(module.factory(), nullptr);
  // Loading again after an unload starts from a fresh module.
  ASSERT_TRUE(module.load(QentTest::artifactPath("qentlink.hox3"), &error)) << error;
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
