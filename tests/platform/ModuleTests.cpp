// Modules through the platform layer: load by path, exports, own handle, file name, resources,
// and what a path is.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "tests/support/ArtifactPath.h"

using namespace Brennholt;
using namespace Brennholt::Platform;

namespace {

std::string testModulePath() {
#if defined(_WIN32)
  return QentTest::testFilePath("platform_testmodule.dll");
#else
  return QentTest::testFilePath("platform_testmodule.so");
#endif
}

std::string narrow(const char16* text) {
  std::string result;
  for (; *text; ++text) result.push_back(*text < 128 ? static_cast<char>(*text) : '?');
  return result;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class LoadedModule : public ::testing::Test {
 protected:
  void SetUp() override {
    module = loadModule(testModulePath().c_str());
    ASSERT_NE(module, nullptr) << testModulePath();
  }
  void TearDown() override { unloadModule(module); }
  ModuleHandle module = nullptr;
};

TEST_F(LoadedModule, ExportsAreFoundByNameAndCallable) {
  auto answer = reinterpret_cast<int (*)()>(findExport(module, "testModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(findExport(module, "noSuchExport"), nullptr);
  EXPECT_EQ(findExport(nullptr, "testModuleAnswer"), nullptr);
}

TEST_F(LoadedModule, ModuleContainingItsOwnCodeIsTheLoadedModule) {
  auto self = reinterpret_cast<void* (*)()>(findExport(module, "testModuleSelf"));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self(), module);
  // Asking must not add a reference: one unload still lets a reload start from scratch.
  EXPECT_EQ(self(), module);
  EXPECT_NE(moduleContaining(reinterpret_cast<const void*>(&testModulePath)), module);
}

TEST_F(LoadedModule, FileNameIsTheFullPathAndCutsToFit) {
  char16 buffer[1024] = {};
  uint32 n = moduleFileName(module, buffer, 1024);
  ASSERT_GT(n, 0u);
  std::string path = narrow(buffer);
  EXPECT_EQ(path.size(), n);
  EXPECT_TRUE(endsWith(path, "platform_testmodule.dll") || endsWith(path, "platform_testmodule.so"))
      << path;
  EXPECT_TRUE(path[0] == '/' || path[1] == ':') << path;

  char16 small[6];
  for (char16& unit : small) unit = u'#';
  EXPECT_EQ(moduleFileName(module, small, 6), 5u);
  EXPECT_EQ(small[5], 0);
  EXPECT_EQ(narrow(small), path.substr(0, 5));
}

TEST(Modules, FileNameOfNoModuleIsTheProgram) {
  char16 buffer[1024] = {};
  ASSERT_GT(moduleFileName(nullptr, buffer, 1024), 0u);
  EXPECT_TRUE(endsWith(narrow(buffer), std::string("platform_tests") + QentTest::exeSuffix()));
}

TEST(Modules, MissingModulesDoNotLoad) {
  EXPECT_EQ(loadModule((QentTest::testProgramDir() + "no_such_module.so").c_str()), nullptr);
  EXPECT_EQ(loadModule(""), nullptr);
  EXPECT_EQ(loadModule(nullptr), nullptr);
}

TEST_F(LoadedModule, ResourcesAreFoundByTypeAndNameIgnoringCase) {
  const void* data = nullptr;
  uint32 size = 0;
  ASSERT_TRUE(findResource(module, "#10", "QENTExtSetupPanel.srf", &data, &size));
  EXPECT_EQ(std::string(static_cast<const char*>(data), size), "panel bytes");

  ASSERT_TRUE(findResource(module, "hoxxml", "#1", &data, &size));
  EXPECT_EQ(std::string(static_cast<const char*>(data), size), "<description/>");
  EXPECT_TRUE(findResource(module, "HOXXML", "#01", &data, &size)) << "#n names the integer n";
}

TEST_F(LoadedModule, AbsentResourcesAreNotFound) {
  const void* data = &data;
  uint32 size = 7;
  EXPECT_FALSE(findResource(module, "#10", "OTHER.SRF", &data, &size));
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(findResource(module, "HOXXML", "#2", &data, &size));
  EXPECT_FALSE(findResource(module, "#11", "QENTEXTSETUPPANEL.SRF", &data, &size));
  EXPECT_FALSE(findResource(module, "HOXXML", "1", &data, &size)) << "a name is not a number";
  EXPECT_FALSE(findResource(nullptr, "HOXXML", "#1", &data, &size));
}

TEST(Files, KindOfPath) {
  std::string dir = QentTest::testProgramDir();
  EXPECT_EQ(fileKind(dir.c_str()), FileKind::kDirectory);
  EXPECT_EQ(fileKind(testModulePath().c_str()), FileKind::kFile);
  EXPECT_EQ(fileKind((dir + "no_such_file").c_str()), FileKind::kMissing);
  EXPECT_EQ(fileKind(""), FileKind::kMissing);
}

std::string lastDebugLine;
void captureDebugLine(const char* text) { lastDebugLine = text; }

TEST(Diagnostics, DebugOutputReachesTheSinkOnly) {
  setDebugOutputSink(captureDebugLine);
  debugOutput("wrong thread");
  setDebugOutputSink(nullptr);
  debugOutput("after");
  EXPECT_EQ(lastDebugLine, "wrong thread");
}

}  // namespace
