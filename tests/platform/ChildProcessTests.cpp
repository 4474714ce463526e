// Child processes of the platform layer: how a child ended, waiting with a limit, and that a
// killed or ended child leaves nothing it started behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "tests/support/ArtifactPath.h"
#include "tests/support/ProcessWatch.h"

using namespace Brennholt;
using namespace Brennholt::Platform;

namespace {

std::string helper() {
  return QentTest::testFilePath(std::string("platform_child") + QentTest::exeSuffix());
}

class ChildProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    QentTest::letChildrenCrashPlainly();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = QentTest::testProgramDir() + "child_process_" + info->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  std::string file(const std::string& name) const {
    return (std::filesystem::path(dir_) / name).string();
  }
  // Runs the helper to its end and returns how it ended.
  ProcessEnd run(const std::vector<std::string>& arguments) {
    std::string error;
    ProcessHandle process = startProcess(helper(), arguments, &error);
    EXPECT_NE(process, nullptr) << error;
    EXPECT_TRUE(waitProcess(process, kWaitForever));
    ProcessEnd end;
    closeProcess(process, &end);
    return end;
  }
  std::string dir_;
};

TEST_F(ChildProcesses, ExitCodesAndCrashesAreToldApart) {
  ProcessEnd end = run({"exit", "7"});
  EXPECT_EQ(end.kind, ProcessEnd::Kind::kExited);
  EXPECT_EQ(end.exitCode, 7);

  end = run({"exit", "0"});
  EXPECT_EQ(end.kind, ProcessEnd::Kind::kExited);
  EXPECT_EQ(end.exitCode, 0);

  end = run({"crash"});
  ASSERT_EQ(end.kind, ProcessEnd::Kind::kCrashed);
#ifdef _WIN32
  EXPECT_EQ(end.crashCode, 0xC0000005u);
  EXPECT_EQ(describeCrash(end.crashCode), "exception 0xC0000005 (access violation)");
#else
  EXPECT_EQ(describeCrash(end.crashCode), "signal 11 (SIGSEGV)");
#endif
}

TEST_F(ChildProcesses, AProgramThatCannotStartIsRefusedWithItsReason) {
  std::string error;
  EXPECT_EQ(startProcess(file("no-such-program"), {}, &error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST_F(ChildProcesses, KillingTheTreeEndsTheChildAndWhatItStarted) {
  std::string error;
  ProcessHandle process = startProcess(helper(), {"tree", file("pid")}, &error);
  ASSERT_NE(process, nullptr) << error;
  std::optional<unsigned long> child, grandchild;
  ASSERT_TRUE(QentTest::waitUntil([&] {
    child = QentTest::readPidFile(file("pid"));
    grandchild = QentTest::readPidFile(file("pid.child"));
    return child && grandchild;
  }));
  EXPECT_FALSE(waitProcess(process, 20)) << "it waits forever";
  EXPECT_TRUE(QentTest::processAlive(*grandchild));

  killProcessTree(process);
  EXPECT_TRUE(waitProcess(process, kWaitForever));
  ProcessEnd end;
  closeProcess(process, &end);
  EXPECT_EQ(end.kind, ProcessEnd::Kind::kKilled);
  EXPECT_TRUE(QentTest::waitUntil([&] { return !QentTest::processAlive(*child); }));
  EXPECT_TRUE(QentTest::waitUntil([&] { return !QentTest::processAlive(*grandchild); }));
}

TEST_F(ChildProcesses, WhatAnEndedChildLeftRunningEndsWhenItIsClosed) {
  std::string error;
  ProcessHandle process = startProcess(helper(), {"orphan", file("pid")}, &error);
  ASSERT_NE(process, nullptr) << error;
  ASSERT_TRUE(waitProcess(process, kWaitForever));
  std::optional<unsigned long> grandchild;
  ASSERT_TRUE(QentTest::waitUntil(
      [&] { return (grandchild = QentTest::readPidFile(file("pid.child"))).has_value(); }));
  EXPECT_TRUE(QentTest::processAlive(*grandchild));

  ProcessEnd end;
  closeProcess(process, &end);
  EXPECT_EQ(end.kind, ProcessEnd::Kind::kExited);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_TRUE(QentTest::waitUntil([&] { return !QentTest::processAlive(*grandchild); }));
}

}  // namespace
