// The scanner's parts on their own: reading plugprobe's output file, the cache's journal, and
// the walk that finds modules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "scanner/ModuleFinder.h"
#include "scanner/ProbeOutputReader.h"
#include "scanner/ScanCache.h"
#include "tests/support/ArtifactPath.h"

namespace {

namespace fs = std::filesystem;
using namespace Brennholt::Scan;

std::string freshFolder(const std::string& name) {
  fs::path folder = fs::path(QentTest::testProgramDir()) / "scanner_core" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

void writeFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ProbeOutput, ReadsInstrumentsParametersAndUnitsAndRefusesWhatIsNotWhole) {
  const std::string file =
      "2\r\nKeys\r\n2\r\n4201\r\nVolume\r\n0\r\n4213\r\nCutoff\r\n2\r\nLayer A\r\nFilter\r\n"
      "Pad\r\n1\r\n-2147479448\r\n\r\n0\r\n";
  std::string why;
  auto instruments = readProbeOutput(file, &why);
  ASSERT_TRUE(instruments) << why;
  std::vector<Instrument> expected = {
      {"Keys", {{4201, "Volume", {}}, {4213, "Cutoff", {"Layer A", "Filter"}}}},
      {"Pad", {{-2147479448, "", {}}}}};
  EXPECT_EQ(*instruments, expected);

  // Cut short anywhere, one line too many, a count that is no number or beyond the file.
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, file.size() / 2, file.size() - 2}) {
    EXPECT_FALSE(readProbeOutput(file.substr(0, cut), &why)) << cut;
    EXPECT_FALSE(why.empty());
  }
  EXPECT_FALSE(readProbeOutput(file + "extra\r\n", &why));
  EXPECT_FALSE(readProbeOutput("one\r\n", &why));
  EXPECT_FALSE(readProbeOutput("4000000000\r\nKeys\r\n", &why));
  EXPECT_TRUE(readProbeOutput("0\r\n", &why)) << why;
}

CacheEntry entry(uint64_t size, ModuleState state, const std::string& reason) {
  CacheEntry e;
  e.key = {size, 1234, 99, 5678};
  e.result.state = state;
  e.result.reason = reason;
  e.result.durationMs = 12.5;
  if (state == ModuleState::kOk) e.result.instruments = {{"Keys", {{4201, "Volume", {"A"}}}}};
  return e;
}

TEST(CacheJournal, KeepsWhatWasRecordedWithoutASaveAndDropsOnlyATornLastLine) {
  fs::path folder = freshFolder("journal");
  fs::path file = folder / "cache.json";
  {
    ScanCache cache(file);
    EXPECT_TRUE(cache.load().empty());
    cache.record("/a.hox3", entry(10, ModuleState::kOk, "probe completed"));
    cache.record("/b.hox3", entry(20, ModuleState::kCrashed, "died"));
    // Dropped without save, as a killed scan would.
  }
  EXPECT_FALSE(fs::exists(file));
  // The next write was cut short by the kill.
  std::ofstream(folder / "cache.json.journal", std::ios::app | std::ios::binary)
      << R"({"path": "/c.hox3", "size": 3)";
  {
    ScanCache cache(file);
    EXPECT_TRUE(cache.load().empty());
    ASSERT_NE(cache.find("/a.hox3"), nullptr);
    EXPECT_EQ(cache.find("/a.hox3")->key, entry(10, ModuleState::kOk, "").key);
    EXPECT_EQ(cache.find("/a.hox3")->result.instruments,
              entry(10, ModuleState::kOk, "").result.instruments);
    EXPECT_EQ(cache.find("/b.hox3")->result.state, ModuleState::kCrashed);
    EXPECT_EQ(cache.find("/b.hox3")->result.reason, "died");
    EXPECT_EQ(cache.find("/c.hox3"), nullptr);
    ASSERT_TRUE(cache.save(nullptr));
    EXPECT_FALSE(fs::exists(cache.journalFile()));
  }
  ScanCache saved(file);
  EXPECT_TRUE(saved.load().empty());
  EXPECT_EQ(saved.size(), 2u);
}

TEST(CacheJournal, ADamagedLineInsideTheJournalStopsItsReplayWithAMessage) {
  fs::path folder = freshFolder("damaged_journal");
  {
    ScanCache cache(folder / "cache.json");
    cache.load();
    cache.record("/a.hox3", entry(10, ModuleState::kOk, "fine"));
  }
  std::ofstream(folder / "cache.json.journal", std::ios::app | std::ios::binary)
      << "garbage\n"
      << R"({"path": "/z.hox3"})"
      << "\n";
  ScanCache cache(folder / "cache.json");
  std::vector<std::string> messages = cache.load();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("line 2"), std::string::npos) << messages[0];
  EXPECT_NE(cache.find("/a.hox3"), nullptr);
  EXPECT_EQ(cache.size(), 1u);
}

TEST(ModuleWalk, FindsModulesOnceFollowingLinksAndTellsDuplicates) {
  fs::path root = freshFolder("walk");
  writeFile(root / "b" / "Second.HOX3", "x");
  writeFile(root / "a" / "First.hox3", "x");
  writeFile(root / "a" / "notes.txt", "x");
  writeFile(root / "a" / "deeper" / "Third.hox3", "x");
  fs::create_directories(root / "Folder.hox3");
  std::error_code error;
  fs::create_directory_symlink(root, root / "a" / "deeper" / "loop", error);
  const bool links = !error;
  if (links) fs::create_symlink(root / "a" / "First.hox3", root / "c.hox3");

  FoundModules found = findModules(
      {root.string(), (root / "a" / "First.hox3").string(), (root / "missing").string()});
  ASSERT_EQ(found.missing.size(), 1u);
  std::vector<std::string> names;
  for (const FoundModule& module : found.modules)
    names.push_back(fs::path(module.path).lexically_relative(root).generic_string());
  std::vector<std::string> expected = {"a/First.hox3", "a/deeper/Third.hox3", "b/Second.HOX3"};
  if (links) expected.push_back("c.hox3");
  expected.push_back("a/First.hox3");
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(found.modules[0].duplicateOf);
  EXPECT_FALSE(found.modules[2].duplicateOf);
  EXPECT_EQ(found.modules.back().duplicateOf, 0u);
  if (links) {
    EXPECT_EQ(found.modules[3].duplicateOf, 0u);
    EXPECT_EQ(found.modules[3].canonical, found.modules[0].canonical);
  }
  EXPECT_EQ(found.modules[0].size, 1u);
}

}  // namespace
