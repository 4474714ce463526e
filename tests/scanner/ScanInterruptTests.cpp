// plugscan interrupted: Ctrl-C kills the running probes with everything they started, keeps
// and reports what was finished and exits with 130; a plugscan killed outright still leaves its
// finished results in the cache's journal (and on Windows its probes die with it).
#include <filesystem>

#include "tests/scanner/ScanHarness.h"
#include "tests/support/ArtifactPath.h"
#include "tests/support/ProcessWatch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace ScanRun {
namespace {

namespace fs = std::filesystem;

class ScanInterrupt : public ScanRunTest {
 protected:
  void SetUp() override {
    ScanRunTest::SetUp();
    // With one job the modules go in name order: A is finished when B hangs, C never starts.
    stage("plugins/Ensemble.hox3", "collection/A.hox3");
    stage("scan_plugins/Hang.hox3", "collection/B.hox3");
    stage("plugins/Tripwire.hox3", "collection/C.hox3");
  }

  std::vector<std::string> arguments() {
    return {"--jobs",          "1", "--cache", work("cache.json"), "--report", work("report.json"),
            work("collection")};
  }

#ifdef _WIN32
  // Starts plugscan, waits until the hanging probe and its child have written their ids, then
  // ends plugscan by force, as the task manager would.
  void scanAndKill() {
    std::string program = QentTest::artifactPath("plugscan.exe");
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments())
      line.append(" \"").append(argument).append("\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info));
    EXPECT_TRUE(QentTest::waitUntil([&] { return pids().size() == 2; }));
    TerminateProcess(info.hProcess, 9);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::error_code ignored;
    fs::remove_all(
        fs::temp_directory_path() / ("plugscan-" + std::to_string(info.dwProcessId) + "-0"),
        ignored);
  }
#else
  // Starts plugscan, waits until the hanging probe and its child have written their ids, then
  // sends the signal; returns how plugscan ended (its wait status).
  int scanAndSignal(int signal) {
    std::string program = QentTest::artifactPath("plugscan");
    std::vector<std::string> strings = arguments();
    strings.insert(strings.begin(), program);
    std::vector<char*> argv;
    argv.reserve(strings.size() + 1);
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, work("console.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_TRUE(QentTest::waitUntil([&] { return pids().size() == 2; }));
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    // A plugscan killed outright leaves its folder for the probes' output behind.
    std::error_code ignored;
    fs::remove_all(fs::temp_directory_path() / ("plugscan-" + std::to_string(pid) + "-0"), ignored);
    return status;
  }
#endif
};

TEST_F(ScanInterrupt, CtrlCKillsTheProbesKeepsWhatWasFinishedAndExitsWith130) {
#ifdef _WIN32
  GTEST_SKIP() << "a console interrupt cannot be sent to one program under test on Windows";
#else
  int status = scanAndSignal(SIGINT);
  ASSERT_TRUE(WIFEXITED(status)) << readFile(work("console.txt"));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_TRUE(allPidsGone());

  nlohmann::json report = nlohmann::json::parse(readFile(work("report.json")), nullptr, false);
  ASSERT_TRUE(report.is_object());
  EXPECT_EQ(report["complete"], false);
  ASSERT_EQ(report["modules"].size(), 1u);
  EXPECT_EQ(fs::path(report["modules"][0]["path"].get<std::string>()).filename(), "A.hox3");
  EXPECT_EQ(report["not_probed"].size(), 2u);
  EXPECT_NE(readFile(work("console.txt")).find("interrupted: 2 modules not probed"),
            std::string::npos);
  expectValidReport(work("report.json"));

  // What was finished is in the cache: without the hanging module, only C is probed.
  fs::remove(work("collection/B.hox3"));
  Scan next = scan({"--cache", work("cache.json"), work("collection")});
  EXPECT_EQ(next.report["probed"], 1);
  EXPECT_EQ(next.module("A.hox3")["from_cache"], true);
  EXPECT_EQ(next.exitCode, 0);
#endif
}

TEST_F(ScanInterrupt, AScanKilledOutrightKeepsItsFinishedResultsInTheJournal) {
#ifdef _WIN32
  scanAndKill();
  // The probes' job objects end them when the last handle, plugscan's, goes.
  EXPECT_TRUE(allPidsGone());
#else
  int status = scanAndSignal(SIGKILL);
  EXPECT_TRUE(WIFSIGNALED(status));
  // Nothing can clean up after a kill of plugscan itself: end its probe here.
  for (const auto& [name, pid] : pids()) kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_TRUE(allPidsGone());
#endif
  EXPECT_FALSE(fs::exists(work("cache.json")));
  EXPECT_TRUE(fs::exists(work("cache.json.journal")));

  fs::remove(work("collection/B.hox3"));
  Scan next = scan({"--cache", work("cache.json"), work("collection")});
  EXPECT_EQ(next.report["probed"], 1);
  EXPECT_EQ(next.module("A.hox3")["from_cache"], true);
  EXPECT_EQ(next.module("A.hox3")["state"], "ok");
  // The journal went into the cache file.
  EXPECT_FALSE(fs::exists(work("cache.json.journal")));
  EXPECT_EQ(scan({"--cache", work("cache.json"), work("collection")}).report["probed"], 0);
}

}  // namespace
}  // namespace ScanRun
