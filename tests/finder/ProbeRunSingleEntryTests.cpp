// plugprobe on single-entry stand-ins: records named after the file, the fixed Bypass first,
// names cut to what a line holds, the entry functions, and the byte-exact XML dump.
#include <algorithm>
#include <filesystem>

#include "tests/finder/ProbeRunHarness.h"

namespace {

using ProbeRun::crlfLines;

// The stand-ins' embedded description: mixed line ends, a tab, a UTF-8 letter and a control byte,
// all of which a text-mode or string-based copy would alter.
const std::string kDescription =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<plugin name=\"Stand-in\">\r\n"
    "  <param index=\"0\" name=\"Caf\xc3\xa9\"/>\n"
    "\t<note>kept\x1a as is</note>\r\n"
    "</plugin>\n";

class ProbeRunSingleEntry : public ProbeRun::ProbeRunTest {
 protected:
  bool traced(const std::string& line) const {
    std::vector<std::string> lines = trace();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  size_t tracedAt(const std::string& line) const {
    std::vector<std::string> lines = trace();
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }
};

// What the Strings stand-in writes for its overlong name, cut to the 254 bytes a line holds.
std::string overlongNameAsWritten() {
  std::string name;
  for (int i = 0; i < 254; ++i) name.push_back(static_cast<char>('a' + i % 26));
  return name;
}

TEST_F(ProbeRunSingleEntry, InstrumentIsListedByteForByte) {
  ASSERT_EQ(probe({plugin("Strings.dll"), work("out.txt")}), 0);
  // Bypass first; the non-automatable index 1 left out; an empty name kept; the overlong name
  // cut; what the host callback answered (version 2400, 0 for anything else) in the last name.
  // clang-format off
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({
      "1",
      "Strings", "7",
      "10004202", "Bypass", "0",
      "4201", "Attack", "0",
      "4203", "Release", "0",
      "4204", "", "0",
      "4205", overlongNameAsWritten(), "0",
      "4206", "Tab Name  ", "0",
      "4207", "Host 2400/0", "0",
  }));
  // clang-format on
}

TEST_F(ProbeRunSingleEntry, PlugInIsOpenedAskedAndClosed) {
  ASSERT_EQ(probe({plugin("Strings.dll"), work("out.txt")}), 0);
  // The newer entry is preferred although the older one is exported too.
  EXPECT_FALSE(traced("Strings main"));
  EXPECT_LT(tracedAt("Strings entry"), tracedAt("Strings open"));
  EXPECT_LT(tracedAt("Strings open"), tracedAt("Strings category"));
  EXPECT_LT(tracedAt("Strings category"), tracedAt("Strings close"));
  EXPECT_TRUE(traced("unload Strings live=0"));
}

TEST_F(ProbeRunSingleEntry, RecordIsNamedAfterTheFile) {
  std::filesystem::copy_file(plugin("Strings.dll"), work("Grand Strings.DLL"));
  ASSERT_EQ(probe({work("Grand Strings.DLL"), work("out.txt")}), 0);
  std::optional<std::string> file = readFile(work("out.txt"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->rfind("1\r\nGrand Strings\r\n7\r\n", 0), 0u) << *file;
}

TEST_F(ProbeRunSingleEntry, InstrumentWithoutParametersListsOnlyBypass) {
  ASSERT_EQ(probe({plugin("Empty.dll"), work("out.txt")}), 0);
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({"1", "Empty", "1", "10004202", "Bypass", "0"}));
}

TEST_F(ProbeRunSingleEntry, ParameterCountIsReadAgainAtEveryStep) {
  ASSERT_EQ(probe({plugin("Growing.dll"), work("out.txt")}), 0);
  // clang-format off
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({
      "1",
      "Growing", "4",
      "10004202", "Bypass", "0",
      "4201", "First", "0",
      "4202", "Second", "0",
      "4203", "Third", "0",
  }));
  // clang-format on
}

TEST_F(ProbeRunSingleEntry, ModuleExportingOnlyMainIsUsedThroughIt) {
  ASSERT_EQ(probe({plugin("Choir.dll"), work("out.txt"), work("dump.xml")}), 0);
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({"1", "Choir", "3", "10004202", "Bypass", "0",
                                                  "4201", "Breath", "0", "4202", "Vowel", "0"}));
  EXPECT_EQ(readFile(work("dump.xml")), kDescription);
  EXPECT_TRUE(traced("Choir close"));
}

TEST_F(ProbeRunSingleEntry, EffectExitsWith8AndStillDumpsItsDescription) {
  writeFile(work("dump.xml"), std::string(1000, '#'));
  EXPECT_EQ(probe({plugin("Reverb.dll"), work("out.txt"), work("dump.xml")}), 8);
  EXPECT_EQ(readFile(work("dump.xml")), kDescription);
  EXPECT_FALSE(exists(work("out.txt")));
  // Closed after the category answer, and nothing left open at unload.
  EXPECT_LT(tracedAt("Reverb category"), tracedAt("Reverb close"));
  EXPECT_TRUE(traced("unload Reverb live=0"));
}

TEST_F(ProbeRunSingleEntry, EmptyThirdArgumentMeansNoDumpAndLaterArgumentsAreIgnored) {
  EXPECT_EQ(probe({plugin("Reverb.dll"), work("out.txt"), ""}), 8);
  EXPECT_EQ(probe({plugin("Choir.dll"), work("out.txt"), "", work("extra.xml")}), 0);
  EXPECT_EQ(producedFiles(), std::vector<std::string>{"out.txt"});
}

TEST_F(ProbeRunSingleEntry, ModuleWithoutDescriptionWritesNoDump) {
  ASSERT_EQ(probe({plugin("Strings.dll"), work("out.txt"), work("dump.xml")}), 0);
  EXPECT_FALSE(exists(work("dump.xml")));
}

TEST_F(ProbeRunSingleEntry, MissingEntryExitsWith6AfterTheDump) {
  EXPECT_EQ(probe({plugin("NoEntry.dll"), work("out.txt"), work("dump.xml")}), 6);
  EXPECT_TRUE(loaded("NoEntry"));
  EXPECT_EQ(readFile(work("dump.xml")), kDescription);
  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunSingleEntry, NullPlugInExitsWith7WithoutFallingBackToMain) {
  EXPECT_EQ(probe({plugin("NullEntry.dll"), work("out.txt"), work("dump.xml")}), 7);
  EXPECT_TRUE(traced("NullEntry null entry"));
  EXPECT_FALSE(traced("NullEntry entry"));
  EXPECT_EQ(readFile(work("dump.xml")), kDescription);
  EXPECT_FALSE(exists(work("out.txt")));
}

}  // namespace
