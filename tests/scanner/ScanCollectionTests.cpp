// plugscan on a collection holding every kind of module a real one holds: good ones, one without
// instruments, one of the host's own, junk, ones that crash while loaded or listed, hang, sleep,
// print, end the process, and files reached twice. Checks every state with its reason, the
// reports, and that no process survives.
#include <filesystem>

#include "scanner/ProbeOutputReader.h"
#include "tests/finder/ProbeRunHarness.h"
#include "tests/scanner/ScanHarness.h"
#include "tests/support/ArtifactPath.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace ScanRun {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

#ifdef _WIN32
constexpr const char* kSingleEntry = ".dll";
// Probes under Wine take up to seconds on a loaded machine; only the hanging one may time out.
constexpr const char* kTimeout = "15";
#else
constexpr const char* kTimeout = "5";
constexpr const char* kSingleEntry = ".so";
#endif

class ScanCollection : public ScanRunTest {
 protected:
  // What plugprobe itself lists for a module, as the report should hold it.
  json listedByPlugprobe(const std::string& module) {
    ProbeRun::Outcome outcome = ProbeRun::runProgram(plugprobe(), {module, work("direct.txt")},
                                                     work("direct-console.txt"), 60000);
    EXPECT_EQ(outcome.exitCode, 0);
    auto instruments = Brennholt::Scan::readProbeOutput(readFile(work("direct.txt")), nullptr);
    EXPECT_TRUE(instruments.has_value());
    json list = json::array();
    for (const auto& instrument :
         instruments.value_or(std::vector<Brennholt::Scan::Instrument>{})) {
      json parameters = json::array();
      for (const auto& p : instrument.parameters)
        parameters.push_back({{"id", p.id}, {"name", p.name}, {"units", p.units}});
      list.push_back({{"name", instrument.name}, {"parameters", parameters}});
    }
    return list;
  }
};

TEST_F(ScanCollection, EveryModuleEndsInItsStateWithItsReasonAndNothingSurvives) {
  stage("plugins/Ensemble.hox3", "collection/Ensemble.hox3");
  stage("plugins/EffectsOnly.hox3", "collection/EffectsOnly.hox3");
  stage("plugins/named/VexelOne.dll", std::string("collection/VexelOne") + kSingleEntry);
  stage("plugins/Junk.hox3", "collection/Junk.hox3");
  stage("scan_plugins/Slow.hox3", "collection/Slow.hox3");
  stage("scan_plugins/Chatty.hox3", "collection/Chatty.hox3");
  stage("scan_plugins/Exits.hox3", "collection/Exits.hox3");
  stage("scan_plugins/CrashLoading.hox3", "collection/sub/CrashLoading.hox3");
  stage("scan_plugins/CrashListing.hox3", "collection/sub/CrashListing.hox3");
  stage("scan_plugins/Hang.hox3", "collection/sub/Hang.hox3");
  // Not modules: another extension, and a folder named like one that holds nothing.
  stage("plugins/Junk.hox3", "collection/readme.txt");
  fs::create_directories(work("collection/Empty.hox3"));
  // A link to a module, and a link from inside the tree back up to its top.
  std::error_code error;
  fs::create_symlink("Ensemble.hox3", work("collection/Link.hox3"), error);
  const bool fileLink = !error;
  fs::create_directory_symlink("..", work("collection/sub/back"), error);
  // The same module once more under a second spelling.
  std::string secondSpelling = work("collection/sub/../Ensemble.hox3");

  Scan scan = this->scan({"--timeout", kTimeout, "--slow", "250", "--cache", work("cache.json"),
                          "--junit", work("junit.xml"), work("collection"), secondSpelling});
  ASSERT_TRUE(scan.finished) << scan.console;
  EXPECT_EQ(scan.exitCode, 1) << scan.console;
  ASSERT_TRUE(scan.report.is_object()) << scan.console;
  EXPECT_EQ(scan.console.find('\r'), std::string::npos) << "no progress line off a terminal";

  const std::size_t duplicates = fileLink ? 2 : 1;
  json expectedSummary = {
      {"ok", 3},     {"no-instrument", 1}, {"excluded", 1},  {"not-loadable", 1},
      {"failed", 1}, {"crashed", 2},       {"timed-out", 1}, {"duplicate", duplicates}};
  EXPECT_EQ(scan.report["summary"], expectedSummary) << scan.console;
  EXPECT_EQ(scan.report["modules"].size(), 10 + duplicates);
  EXPECT_EQ(scan.report["probed"], 10);
  EXPECT_EQ(scan.report["complete"], true);

  const json& ensemble = scan.module("Ensemble.hox3");
  EXPECT_EQ(ensemble["state"], "ok");
  EXPECT_EQ(ensemble["exit_code"], 0);
  EXPECT_EQ(ensemble["instruments"], listedByPlugprobe(ensemble["canonical"]));
  EXPECT_GT(ensemble["instruments"].size(), 0u);

  // Printing plenty to standard output and error harms neither the probe nor plugscan.
  json chattyList = json::parse(R"([{"name": "Chatty", "parameters": [
      {"id": 4201, "name": "Level", "units": []}, {"id": 4208, "name": "Tone", "units": []}]}])");
  EXPECT_EQ(scan.module("Chatty.hox3")["state"], "ok");
  EXPECT_EQ(scan.module("Chatty.hox3")["instruments"], chattyList);
  EXPECT_EQ(scan.console.find("xxxx"), std::string::npos);

  const json& slow = scan.module("Slow.hox3");
  EXPECT_EQ(slow["state"], "ok");
  EXPECT_GE(slow["duration_ms"].get<double>(), 300);
  EXPECT_EQ(slow["slow"], true);
  EXPECT_NE(std::find(scan.report["slow"].begin(), scan.report["slow"].end(), slow["path"]),
            scan.report["slow"].end());
  EXPECT_NE(scan.console.find("slow (over 250 ms):"), std::string::npos) << scan.console;

  EXPECT_EQ(scan.module("EffectsOnly.hox3")["state"], "no-instrument");
  EXPECT_EQ(scan.module("EffectsOnly.hox3")["exit_code"], 8);
  const json& excluded = scan.module(std::string("VexelOne") + kSingleEntry);
  EXPECT_EQ(excluded["state"], "excluded");
  EXPECT_EQ(excluded["exit_code"], 1);
  EXPECT_EQ(excluded["meaning"], "one of the host's own instruments: not loaded");
  EXPECT_EQ(scan.module("Junk.hox3")["state"], "not-loadable");
  EXPECT_EQ(scan.module("Junk.hox3")["exit_code"], 7);

  const json& exits = scan.module("Exits.hox3");
  EXPECT_EQ(exits["state"], "failed");
  EXPECT_EQ(exits["exit_code"], 42);
  EXPECT_NE(exits["reason"].get<std::string>().find("exit code 42"), std::string::npos);

  for (const char* crasher : {"CrashLoading.hox3", "CrashListing.hox3"}) {
    const json& crashed = scan.module(crasher);
    EXPECT_EQ(crashed["state"], "crashed") << crasher;
    EXPECT_TRUE(crashed["exit_code"].is_null());
#ifdef _WIN32
    EXPECT_EQ(crashed["crash"]["code"], 0xC0000005u) << crasher;
#else
    EXPECT_EQ(crashed["crash"]["description"], "signal 11 (SIGSEGV)") << crasher;
#endif
    EXPECT_NE(crashed["reason"].get<std::string>().find(crashed["crash"]["description"]),
              std::string::npos);
  }

  const json& hang = scan.module("Hang.hox3");
  EXPECT_EQ(hang["state"], "timed-out");
  EXPECT_GE(hang["duration_ms"].get<double>(), std::stod(kTimeout) * 1000);
  EXPECT_EQ(hang["slow"], false) << "a timed-out probe is listed as a problem";
  // The hanging probe and the process its plug-in started were both killed.
  EXPECT_EQ(pids().size(), 2u);
  EXPECT_TRUE(allPidsGone());

  std::size_t secondSpellings = 0;
  for (const json& module : scan.report["modules"]) {
    if (module["state"] != "duplicate") {
      EXPECT_GT(module["duration_ms"].get<double>(), 0) << module["path"];
      continue;
    }
    EXPECT_EQ(module["duplicate_of"], ensemble["path"]);
    EXPECT_EQ(module["canonical"], ensemble["canonical"]);
    if (module["path"] == secondSpelling) ++secondSpellings;
  }
  EXPECT_EQ(secondSpellings, 1u);

  // The summary names every problem with its reason.
  for (const char* line : {"  crashed        2\n", "  timed-out      1\n", "problems:\n"})
    EXPECT_NE(scan.console.find(line), std::string::npos) << line << "\n" << scan.console;
  EXPECT_NE(scan.console.find(hang["reason"].get<std::string>()), std::string::npos);
  expectValidReport(work("report.json"));

  std::map<std::string, int> counts;
  std::map<std::string, JUnitCase> cases = readJUnit(work("junit.xml"), &counts);
  EXPECT_EQ(counts["tests"], static_cast<int>(10 + duplicates));
  EXPECT_EQ(counts["failures"], 5);
  EXPECT_EQ(counts["skipped"], static_cast<int>(1 + duplicates));
  for (const char* failed :
       {"CrashLoading.hox3", "CrashListing.hox3", "Hang.hox3", "Exits.hox3", "Junk.hox3"}) {
    EXPECT_TRUE(cases[failed].failure) << failed;
    EXPECT_EQ(cases[failed].failureType, scan.module(failed)["state"]) << failed;
  }
  for (const char* passed : {"Ensemble.hox3", "Slow.hox3", "Chatty.hox3", "EffectsOnly.hox3"}) {
    EXPECT_FALSE(cases[passed].failure) << passed;
    EXPECT_FALSE(cases[passed].skipped) << passed;
  }
  EXPECT_GE(std::stod(cases["Slow.hox3"].time), 0.3);
}

TEST_F(ScanCollection, UsageErrorsExitWithTwoAndScanNothing) {
  stage("plugins/Ensemble.hox3", "collection/Ensemble.hox3");
  const std::vector<std::vector<std::string>> mistakes = {
      {},
      {"--frobnicate", work("collection")},
      {"--jobs", "0", work("collection")},
      {"--timeout", "-1", work("collection")},
      {"--rescan", "sometimes", work("collection")},
      {"--slow"},
      {work("no-such-folder")},
      {"--plugprobe", work("no-such-plugprobe"), work("collection")},
  };
  for (const auto& arguments : mistakes) {
    std::vector<std::string> withCache = arguments;
    withCache.insert(withCache.begin(), {"--cache", work("cache.json")});
    Scan scan = this->scan(withCache);
    EXPECT_EQ(scan.exitCode, 2) << scan.console;
    EXPECT_NE(scan.console.find("usage: plugscan"), std::string::npos) << scan.console;
    EXPECT_FALSE(fs::exists(work("cache.json")));
  }
}

TEST_F(ScanCollection, OnATerminalAProgressLineIsDrawnAndClearedBeforeTheSummary) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a pseudo terminal";
#else
  stage("plugins/Ensemble.hox3", "collection/Ensemble.hox3");
  stage("plugins/Junk.hox3", "collection/Junk.hox3");
  int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  std::string program = QentTest::artifactPath("plugscan");
  std::vector<std::string> strings = {program, "--cache", work("cache.json"), work("collection")};
  std::vector<char*> argv;
  argv.reserve(strings.size() + 1);
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, work("summary.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, ptsname(terminal), O_RDWR, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Read while it runs, so that it never waits for room on the terminal.
  std::string drawn;
  char buffer[4096];
  for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) drawn.append(buffer, n);
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  ASSERT_GT(drawn.size(), 2u);
  EXPECT_NE(drawn.find("\r[2/2] running 0, problems 1, "), std::string::npos) << drawn;
  // The line is blanked and the cursor back at its start, so the summary starts clean.
  std::size_t end = drawn.find_last_not_of(' ', drawn.size() - 2);
  EXPECT_EQ(drawn.back(), '\r');
  EXPECT_EQ(drawn[end], '\r') << drawn;
  EXPECT_NE(readFile(work("summary.txt")).find("plugscan: 2 modules, 2 probed"), std::string::npos);
#endif
}

}  // namespace
}  // namespace ScanRun
