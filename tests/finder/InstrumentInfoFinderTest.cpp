// The driver's own work: path checks, the fixed name lists, and the output file byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "finder/CInstrumentInfoFinder.h"

using namespace Brennholt;
using namespace Brennholt::Hox;
namespace fs = std::filesystem;

namespace {

// An absolute path on this platform: what the finder accepts as naming its drive.
std::string absolute(const std::string& rest) {
#ifdef _WIN32
  return "C:\\" + rest;
#else
  return "/" + rest;
#endif
}

// A scratch folder of its own per test, removed afterwards.
class ScratchDir {
 public:
  explicit ScratchDir(const char* tag) {
    path_ = fs::temp_directory_path() / ("finder_tests_" + std::string(tag));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Split {
  bool ok;
  std::string directory, name, extension;
};

Split split(const std::string& path) {
  Split s;
  s.ok = CInstrumentInfoFinder::splitPluginPath(path.c_str(), &s.directory, &s.name, &s.extension,
                                                false);
  return s;
}

}  // namespace

TEST(SplitPluginPath, SplitsDriveDirectoryNameAndExtension) {
  Split s = split(absolute("Plug-ins/Vendor\\Foo.bar.hox3"));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.directory, absolute("Plug-ins/Vendor\\"));
  EXPECT_EQ(s.name, "Foo.bar");
  EXPECT_EQ(s.extension, ".hox3");

  // A dot in a folder name is not an extension of the file.
  s = split(absolute("a.b/Foo"));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.name, "Foo");
  EXPECT_EQ(s.extension, "");

  s = split(absolute(".hox3"));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.name, "");
  EXPECT_EQ(s.extension, ".hox3");

  // Outputs are optional.
  std::string name;
  EXPECT_TRUE(CInstrumentInfoFinder::splitPluginPath(absolute("x/Foo.dll").c_str(), nullptr, &name,
                                                     nullptr, false));
  EXPECT_EQ(name, "Foo");
}

TEST(SplitPluginPath, RefusesPathsWithoutDriveAndClearsOutputs) {
  std::string directory = "old", name = "old", extension = "old";
  EXPECT_FALSE(CInstrumentInfoFinder::splitPluginPath("plugins\\Foo.hox3", &directory, &name,
                                                      &extension, false));
  EXPECT_EQ(directory + name + extension, "");
  EXPECT_FALSE(CInstrumentInfoFinder::splitPluginPath("Foo.hox3", nullptr, &name, nullptr, false));
  EXPECT_FALSE(CInstrumentInfoFinder::splitPluginPath("", nullptr, &name, nullptr, true));
  EXPECT_TRUE(CInstrumentInfoFinder::splitPluginPath("Foo.hox3", nullptr, &name, nullptr, true));
  EXPECT_EQ(name, "Foo");
#ifdef _WIN32
  // A network path names no drive.
  EXPECT_FALSE(split("\\\\server\\share\\Foo.hox3").ok);
  EXPECT_TRUE(split("D:Foo.hox3").ok);
#endif
}

TEST(SplitPluginPath, PartsLongerThan255AreRefused) {
  EXPECT_TRUE(split(absolute(std::string(255, 'n') + ".dll")).ok);
  EXPECT_FALSE(split(absolute(std::string(256, 'n') + ".dll")).ok);
  EXPECT_FALSE(split(absolute("Foo." + std::string(255, 'e'))).ok);
  // The directory counts its separators: 253 letters between two of them make 255.
  EXPECT_TRUE(split(absolute(std::string(253, 'd') + "/Foo.dll")).ok);
  EXPECT_FALSE(split(absolute(std::string(254, 'd') + "/Foo.dll")).ok);
  EXPECT_FALSE(split(absolute(std::string(300, 'd') + "/Foo.dll")).ok);
  EXPECT_TRUE(CInstrumentInfoFinder::isExcludedPlugin(absolute(std::string(300, 'n')).c_str()));
}

TEST(SplitPluginPath, FolderKeepsItsDotPartInTheName) {
  ScratchDir dir("folder");
  fs::create_directory(dir.file("Foo.hox3"));
  Split s = split(dir.file("Foo.hox3"));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.name, "Foo.hox3");
  EXPECT_EQ(s.extension, "");

  CInstrumentInfoFinder finder(dir.file("out.txt").c_str(), nullptr);
  EXPECT_EQ(finder.run(dir.file("Foo.hox3").c_str()), kExitUnusable);
  EXPECT_FALSE(fs::exists(dir.file("out.txt")));
}

TEST(NameLists, ExcludedAndKnownNamesCompareWholeAndCaseSensitive) {
  EXPECT_TRUE(CInstrumentInfoFinder::isExcludedPlugin(absolute("x/Zintra.dll").c_str()));
  EXPECT_TRUE(CInstrumentInfoFinder::isExcludedPlugin(
      absolute("x/Tessaly LE Hover Elements Plug-in Set.hox3").c_str()));
  EXPECT_FALSE(CInstrumentInfoFinder::isExcludedPlugin(absolute("x/zintra.dll").c_str()));
  EXPECT_FALSE(CInstrumentInfoFinder::isExcludedPlugin(absolute("x/Zintra3.dll").c_str()));
  EXPECT_TRUE(CInstrumentInfoFinder::isExcludedPlugin(absolute("x/.dll").c_str()));
  EXPECT_TRUE(CInstrumentInfoFinder::isExcludedPlugin("relative/Foo.dll"));

  CInstrumentInfoFinder finder("unused-output", nullptr);
  EXPECT_EQ(finder.classifyKnownPlugin(absolute("x/Weftloop_x64.hox3").c_str()), 1);
  EXPECT_EQ(finder.classifyKnownPlugin(absolute("x/Velomorph LE Hover Elements.dll").c_str()), 1);
  EXPECT_EQ(finder.classifyKnownPlugin(absolute("x/vexelone.dll").c_str()),
            CInstrumentInfoFinder::kGoOn);
  EXPECT_EQ(finder.classifyKnownPlugin(absolute("x/enfolder.hox3").c_str()),
            CInstrumentInfoFinder::kGoOn);
  EXPECT_EQ(finder.classifyKnownPlugin(absolute("x/.hox3").c_str()), 4);
  EXPECT_TRUE(finder.records().empty());
}

TEST(NameLists, FixedAnswerWritesTheBypassRecordWithoutLoading) {
  ScratchDir dir("fixed");
  CInstrumentInfoFinder finder(dir.file("out.txt").c_str(), nullptr);
  // The module does not exist: the answer comes from the name alone.
  EXPECT_EQ(finder.run(absolute("nowhere/Soliloq.dll").c_str()), kExitFixedAnswer);
  EXPECT_EQ(readAll(dir.file("out.txt")), "1\r\nSoliloq\r\n1\r\n10004202\r\nBypass\r\n0\r\n");
}

TEST(Run, ArgumentsAndPathsDecideBeforeAnythingIsLoaded) {
  ScratchDir dir("run");
  std::string out = dir.file("out.txt");
  EXPECT_EQ(CInstrumentInfoFinder("", nullptr).run(absolute("x/Foo.hox3").c_str()),
            kExitEmptyArgument);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(""), kExitEmptyArgument);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run("x/Foo.hox3"), kExitBadPath);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(absolute("x/Dustmill.hox3").c_str()),
            kExitBadPath);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(absolute("x/VexelOne.dll").c_str()),
            kExitKnownInstrument);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(absolute("x/Foo").c_str()),
            kExitUnusable);
  // Missing modules: the component path answers 7, the single-entry path 5.
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(dir.file("Missing.HOX3").c_str()),
            kExitUnusable);
  EXPECT_EQ(CInstrumentInfoFinder(out.c_str(), nullptr).run(dir.file("Missing.dll").c_str()),
            kExitNotLoadable);
  EXPECT_FALSE(fs::exists(out));

  CInstrumentInfoFinder withEmptyDump(out.c_str(), "");
  EXPECT_EQ(withEmptyDump.xmlDumpPath(), nullptr);
}

TEST(TextHelpers, LowerCasingSkipsNonAsciiText) {
  std::string text = ".HoX3";
  CInstrumentInfoFinder::toLowerAscii(text);
  EXPECT_EQ(text, ".hox3");
  text = "@[`{Z";
  CInstrumentInfoFinder::toLowerAscii(text);
  EXPECT_EQ(text, "@[`{z");
  text = ".HOX3\xC9";
  CInstrumentInfoFinder::toLowerAscii(text);
  EXPECT_EQ(text, ".HOX3\xC9");
}

TEST(TextHelpers, SanitizeReplacesControlDelAndNonAsciiBytes) {
  std::string text(
      "a\tb\r\nc\x7F"
      "d\xE9\x80\xFF"
      "e ~",
      14);
  text.push_back('\0');
  text.push_back('\x1F');
  CInstrumentInfoFinder::sanitizeText(text);
  EXPECT_EQ(text, "a b  c d   e ~  ");
}

TEST(WriteParameterList, WritesTheTreeWithCrLfOnEveryLine) {
  ScratchDir dir("write");
  CInstrumentInfoFinder finder(dir.file("out.txt").c_str(), nullptr);
  InstrumentRecord keys{"Keys", {{4201, "Volume", {}}, {4213, "Cutoff", {"Layer A", "Filter"}}}};
  InstrumentRecord empty{"", {}};
  InstrumentRecord odd{"Pad\tOne", {{-2147479448, "Gain\xE9\n", {"Unit\x01"}}}};
  finder.addRecord(keys);
  finder.addRecord(empty);
  finder.addRecord(odd);
  finder.writeParameterList();
  EXPECT_EQ(readAll(dir.file("out.txt")),
            "3\r\n"
            "Keys\r\n2\r\n4201\r\nVolume\r\n0\r\n4213\r\nCutoff\r\n2\r\nLayer A\r\nFilter\r\n"
            "\r\n0\r\n"
            "Pad One\r\n1\r\n-2147479448\r\nGain  \r\n1\r\nUnit \r\n");
}

TEST(WriteParameterList, LongFieldsAreCutTo254Bytes) {
  ScratchDir dir("long");
  CInstrumentInfoFinder finder(dir.file("out.txt").c_str(), nullptr);
  finder.addRecord({std::string(600, 'N'), {{1, std::string(254, 'p'), {std::string(255, 'u')}}}});
  finder.writeParameterList();
  EXPECT_EQ(readAll(dir.file("out.txt")), "1\r\n" + std::string(254, 'N') + "\r\n1\r\n1\r\n" +
                                              std::string(254, 'p') + "\r\n1\r\n" +
                                              std::string(254, 'u') + "\r\n");
}

TEST(WriteParameterList, NothingCollectedLeavesAnExistingFileAlone) {
  ScratchDir dir("keep");
  std::string out = dir.file("out.txt");
  {
    std::ofstream old(out, std::ios::binary);
    old << "previous run";
  }
  CInstrumentInfoFinder(out.c_str(), nullptr).writeParameterList();
  EXPECT_EQ(readAll(out), "previous run");

  // An output file that cannot be created is silently skipped.
  CInstrumentInfoFinder unwritable(dir.file("no/such/folder/out.txt").c_str(), nullptr);
  unwritable.addRecord({"X", {}});
  unwritable.writeParameterList();
  EXPECT_FALSE(fs::exists(dir.file("no")));
}
