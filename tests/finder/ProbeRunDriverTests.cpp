// plugprobe's command line, name lists, path checks and output-file handling, seen from outside:
// exit code, files and the stand-in plug-ins' trace of what was loaded.
#include <filesystem>

#include "tests/finder/ProbeRunHarness.h"

namespace {

using ProbeRun::crlfLines;
using ProbeRun::separator;

class ProbeRunDriver : public ProbeRun::ProbeRunTest {
 protected:
  const std::vector<std::string> tripwireFile =
      std::vector<std::string>{"1", "Tripwire", "1", "4201", "Armed", "0"};
};

TEST_F(ProbeRunDriver, TheTripwireModuleShowsWhenItIsLoaded) {
  // The control for every "never loaded" check below.
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), work("out.txt")}), 0);
  EXPECT_TRUE(loaded("Tripwire"));
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(tripwireFile));
}

TEST_F(ProbeRunDriver, FewerThanTwoArgumentsDoNothing) {
  EXPECT_EQ(probe({}), 0);
  EXPECT_EQ(probe({plugin("Tripwire.hox3")}), 0);
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_TRUE(producedFiles().empty());
}

TEST_F(ProbeRunDriver, EmptyPathsExitWith4) {
  EXPECT_EQ(probe({"", work("out.txt")}), 4);
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), ""}), 4);
  EXPECT_EQ(probe({"", ""}), 4);
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_TRUE(producedFiles().empty());
}

TEST_F(ProbeRunDriver, PathsWithoutADriveExitWith3BeforeLoading) {
  std::string relative = std::string("plugins") + separator() + "Tripwire.hox3";
  EXPECT_EQ(probe({relative, work("out.txt")}), 3);
  EXPECT_EQ(probe({"Tripwire.hox3", work("out.txt")}), 3);
#ifdef _WIN32
  EXPECT_EQ(probe({"\\\\server\\share\\Tripwire.hox3", work("out.txt")}), 3);
  // Rooted but without a drive letter.
  std::string rooted = plugin("Tripwire.hox3").substr(2);
  EXPECT_EQ(probe({rooted, work("out.txt")}), 3);
#endif
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_TRUE(producedFiles().empty());
}

TEST_F(ProbeRunDriver, ExcludedNamesExitWith3WithoutLoading) {
  for (const char* name : {"named/Dustmill.hox3", "named/Zintra.dll", "named/Zintra2.hox3",
                           "named/Tessaly Plug-in Set.hox3"}) {
    EXPECT_EQ(probe({plugin(name), work("out.txt")}), 3) << name;
  }
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_TRUE(producedFiles().empty());
  // The lists compare case-sensitively: this name is not on them, so it is probed (and, as no
  // such file exists in that folder in any case, cannot be loaded).
  EXPECT_EQ(probe({plugin("lower/dustmill.hox3"), work("out.txt")}), 7);
}

TEST_F(ProbeRunDriver, KnownInstrumentsExitWith1WithoutLoadingOrWriting) {
  for (const char* name :
       {"named/VexelOne.dll", "named/Velomorph Studio.dll", "named/Weftloop_x64.hox3"}) {
    EXPECT_EQ(probe({plugin(name), work("out.txt")}), 1) << name;
  }
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_TRUE(producedFiles().empty());
}

TEST_F(ProbeRunDriver, FixedAnswerNamesWriteTheBypassRecordWithoutLoading) {
  // Whatever the extension, or none: the name is looked at first.
  for (const char* name : {"named/Enfolder.hox3", "named/Enfolder.dll", "named/Enfolder"}) {
    writeFile(work("out.txt"), "an older, longer file that must be replaced completely\r\n");
    EXPECT_EQ(probe({plugin(name), work("out.txt")}), 2) << name;
    EXPECT_EQ(readFile(work("out.txt")),
              crlfLines({"1", "Enfolder", "1", "10004202", "Bypass", "0"}))
        << name;
  }
  EXPECT_EQ(probe({plugin("named/Soliloq.dll"), work("soliloq.txt")}), 2);
  EXPECT_EQ(readFile(work("soliloq.txt")),
            crlfLines({"1", "Soliloq", "1", "10004202", "Bypass", "0"}));
  EXPECT_FALSE(loaded("Tripwire"));
}

TEST_F(ProbeRunDriver, ListedNamesAreCaseSensitive) {
  EXPECT_EQ(probe({plugin("lower/enfolder.hox3"), work("out.txt")}), 0);
  EXPECT_TRUE(loaded("Tripwire"));
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(tripwireFile));
}

TEST_F(ProbeRunDriver, ExtensionDecidesThePathAfterLowerCasing) {
  EXPECT_EQ(probe({plugin("upper/Mixed.HOX3"), work("out.txt")}), 0);
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(tripwireFile));
}

TEST_F(ProbeRunDriver, NoExtensionExitsWith7WithoutLoading) {
  std::filesystem::copy_file(plugin("Tripwire.hox3"), work("Foo"));
  EXPECT_EQ(probe({work("Foo"), work("out.txt")}), 7);
  // A folder's dot-part belongs to its name, so it has no extension either.
  std::filesystem::create_directory(work("Foo.hox3"));
  std::filesystem::create_directory(work("Bar.dll"));
  EXPECT_EQ(probe({work("Foo.hox3"), work("out.txt")}), 7);
  EXPECT_EQ(probe({work("Bar.dll"), work("out.txt")}), 7);
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunDriver, OverlongPathPartsExitWith3) {
  std::string folder = work("");
  std::string longName(256, 'n');
  EXPECT_EQ(probe({folder + longName + ".hox3", work("out.txt")}), 3);
  EXPECT_EQ(probe({folder + std::string(10000, 'n') + ".dll", work("out.txt")}), 3);
  EXPECT_EQ(probe({folder + "Foo." + std::string(300, 'x'), work("out.txt")}), 3);
  std::string deep = folder;
  while (deep.size() < 300) deep += std::string("abcdefghi") + separator();
  EXPECT_EQ(probe({deep + "Foo.hox3", work("out.txt")}), 3);
  // 255 characters still make a name: it is probed, and as there is no such module, 7.
  EXPECT_EQ(probe({folder + std::string(255, 'n') + ".hox3", work("out.txt")}), 7);
  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunDriver, NotAModuleExitsWith7Or5ByStandard) {
  EXPECT_EQ(probe({plugin("Junk.hox3"), work("out.txt")}), 7);
  EXPECT_EQ(probe({plugin("Junk.dll"), work("out.txt"), work("dump.xml")}), 5);
  EXPECT_TRUE(producedFiles().empty());
}

TEST_F(ProbeRunDriver, RunsThatFindNothingLeaveAnEarlierFileInPlace) {
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), work("out.txt")}), 0);
  std::optional<std::string> first = readFile(work("out.txt"));
  ASSERT_EQ(first, crlfLines(tripwireFile));
  EXPECT_EQ(probe({plugin("AllFail.hox3"), work("out.txt")}), 0);
  EXPECT_EQ(probe({plugin("EffectsOnly.hox3"), work("out.txt")}), 8);
  EXPECT_EQ(probe({plugin("Junk.hox3"), work("out.txt")}), 7);
  EXPECT_EQ(probe({plugin("Reverb.dll"), work("out.txt")}), 8);
  EXPECT_EQ(readFile(work("out.txt")), first);
}

TEST_F(ProbeRunDriver, AnOutputFileThatCannotBeCreatedStillExitsWith0) {
  std::string missingFolder = work("missing") + separator() + "out.txt";
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), missingFolder}), 0);
  EXPECT_TRUE(loaded("Tripwire"));
  EXPECT_EQ(probe({plugin("named/Enfolder.hox3"), missingFolder}), 2);
  EXPECT_TRUE(producedFiles().empty());
}

}  // namespace
