// plugscan's cache across runs: what is probed again (new, changed, replaced, a new plugprobe,
// --rescan failed and all), what is answered from the cache with its reason kept, and a cache
// cut short that is set aside rather than trusted.
#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/scanner/ScanHarness.h"

namespace ScanRun {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class ScanCache : public ScanRunTest {
 protected:
  void SetUp() override {
    ScanRunTest::SetUp();
    stage("plugins/Tripwire.hox3", "collection/Keys.hox3");
    stage("plugins/Ensemble.hox3", "collection/Ensemble.hox3");
    stage("plugins/Junk.hox3", "collection/Junk.hox3");
    stage("scan_plugins/CrashLoading.hox3", "collection/CrashLoading.hox3");
    // A plugprobe of this test's own, so that changing it changes nothing else.
    fs::copy_file(plugprobe(), work(fs::path(plugprobe()).filename().string()));
  }
  Scan rescan(const std::string& what = "changed") {
    return scan({"--cache", work("cache.json"), "--rescan", what, "--plugprobe",
                 work(fs::path(plugprobe()).filename().string()), work("collection")});
  }
  // Moves a file's modification time on, so that it differs whatever the clock's resolution.
  static void touch(const std::string& path) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1));
  }
};

TEST_F(ScanCache, OnlyWhatIsNewOrChangedIsProbedUnlessAskedForMore) {
  Scan first = rescan();
  ASSERT_TRUE(first.report.is_object()) << first.console;
  EXPECT_EQ(first.report["probed"], 4);
  EXPECT_EQ(first.exitCode, 1);

  // Unchanged: nothing probed, the same answers, the problems and their reasons still shown.
  Scan second = rescan();
  EXPECT_EQ(second.report["probed"], 0);
  EXPECT_EQ(second.report["from_cache"], 4);
  EXPECT_EQ(second.exitCode, 1);
  for (const char* name : {"Keys.hox3", "Ensemble.hox3", "Junk.hox3", "CrashLoading.hox3"}) {
    json before = first.module(name);
    json after = second.module(name);
    EXPECT_EQ(after["from_cache"], true) << name;
    for (const char* field : {"state", "reason", "exit_code", "duration_ms", "instruments"})
      EXPECT_EQ(after.value(field, json()), before.value(field, json())) << name << " " << field;
  }
  EXPECT_NE(second.console.find(first.module("CrashLoading.hox3")["reason"].get<std::string>() +
                                " (from the cache; --rescan failed probes it again)"),
            std::string::npos)
      << second.console;

  // A module replaced by another: probed again, and the new one's answer kept.
  stage("plugins/Ensemble.hox3", "collection/Keys.hox3");
  touch(work("collection/Keys.hox3"));
  Scan replaced = rescan();
  EXPECT_EQ(replaced.report["probed"], 1);
  EXPECT_EQ(replaced.module("Keys.hox3")["from_cache"], false);
  EXPECT_EQ(replaced.module("Keys.hox3")["instruments"],
            replaced.module("Ensemble.hox3")["instruments"]);
  EXPECT_NE(replaced.module("Keys.hox3")["instruments"], first.module("Keys.hox3")["instruments"]);

  Scan failed = rescan("failed");
  EXPECT_EQ(failed.report["probed"], 2) << "the crashed and the not loadable one";
  EXPECT_EQ(failed.module("Junk.hox3")["from_cache"], false);
  EXPECT_EQ(failed.module("CrashLoading.hox3")["from_cache"], false);

  EXPECT_EQ(rescan("all").report["probed"], 4);

  // Another plugprobe may answer differently: everything is probed again.
  touch(work(fs::path(plugprobe()).filename().string()));
  EXPECT_EQ(rescan().report["probed"], 4);
  EXPECT_EQ(rescan().report["probed"], 0);
}

TEST_F(ScanCache, ACacheCutShortIsSetAsideAndEverythingProbedAgain) {
  ASSERT_EQ(rescan().report["probed"], 4);
  std::string whole = readFile(work("cache.json"));
  ASSERT_GT(whole.size(), 100u);
  fs::resize_file(work("cache.json"), whole.size() / 2);

  Scan scan = rescan();
  EXPECT_NE(scan.console.find("is damaged"), std::string::npos) << scan.console;
  EXPECT_TRUE(fs::exists(work("cache.json.damaged")));
  EXPECT_EQ(readFile(work("cache.json.damaged")).size(), whole.size() / 2);
  EXPECT_EQ(scan.report["probed"], 4);
  EXPECT_EQ(scan.exitCode, 1);
  EXPECT_EQ(scan.module("Keys.hox3")["state"], "ok");

  // The cache written in its place is whole again.
  Scan after = rescan();
  EXPECT_EQ(after.report["probed"], 0);
  EXPECT_EQ(after.console.find("is damaged"), std::string::npos);
}

TEST_F(ScanCache, ACacheOfAnotherKindIsNotTrusted) {
  std::ofstream(work("cache.json")) << R"({"format": "plugscan cache", "version": 1,
      "modules": {"x": {"size": "big"}}})";
  Scan scan = rescan();
  EXPECT_NE(scan.console.find("is damaged"), std::string::npos) << scan.console;
  EXPECT_EQ(scan.report["probed"], 4);
}

TEST_F(ScanCache, APlugprobeThatCannotStartFailsEveryModuleButPoisonsNoEntry) {
  const std::string probe = work(fs::path(plugprobe()).filename().string());
#ifdef _WIN32
  // Windows starts any file it can read; one that is no program stands in.
  const std::string unstartable = work("not-a-program.exe");
  std::ofstream(unstartable) << "plain text";
#else
  // The same file as the working plugprobe, but not executable: only its mode differs.
  const std::string unstartable = probe;
  fs::permissions(probe, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::remove);
#endif
  Scan broken =
      scan({"--cache", work("cache.json"), "--plugprobe", unstartable, work("collection")});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.report["summary"]["failed"], 4);
  EXPECT_NE(broken.module("Keys.hox3")["reason"].get<std::string>().find(
                "plugprobe could not be started: "),
            std::string::npos);
  // The modules themselves were never probed, so nothing of that is kept: once plugprobe can
  // start (same size, same time), all of them are probed.
  fs::permissions(probe, fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(rescan().report["probed"], 4);
}

}  // namespace
}  // namespace ScanRun
