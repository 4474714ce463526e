// The built module carries the skin package as the raw-data resource "QENTExtSetupPanel.srf",
// found through the platform layer as the host finds it: a compiled resource in the Windows
// DLL, the exported resource table on POSIX.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/ArtifactPath.h"
#include "tests/tools/SkinTestFiles.h"

using namespace Brennholt;

TEST(SkinResource, TheModuleCarriesThePackageTheBuildMade) {
  std::vector<uint8_t> built = SkinTest::readFile(SkinTest::builtPackagePath());
  ASSERT_GT(built.size(), 25u + 48u) << SkinTest::builtPackagePath();

  const std::string path = QentTest::artifactPath("qentlink.hox3");
  Platform::ModuleHandle module = Platform::loadModule(path.c_str());
  ASSERT_NE(module, nullptr) << path;
  const void* data = nullptr;
  uint32 size = 0;
  ASSERT_TRUE(Platform::findResource(module, "#10", "QENTExtSetupPanel.srf", &data, &size));
  ASSERT_NE(data, nullptr);
  std::vector<uint8_t> carried(static_cast<const uint8_t*>(data),
                               static_cast<const uint8_t*>(data) + size);
  Platform::unloadModule(module);

  // Windows rounds nothing and adds nothing: the resource is the package byte for byte.
  ASSERT_EQ(carried.size(), built.size());
  EXPECT_TRUE(carried == built);
  EXPECT_EQ(std::memcmp(carried.data(), "Brennholt Resource File\r\n", 25), 0);
  const size_t trailer = carried.size() - 48;
  EXPECT_EQ(std::memcmp(carried.data() + trailer + 44, "SRF2", 4), 0);
  EXPECT_EQ(SkinTest::uint32At(carried, trailer + 40), 48u);
  EXPECT_EQ(SkinTest::uint32At(carried, trailer + 36), 18u) << "17 images and skin.xml";
}
