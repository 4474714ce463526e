// The deliverables against binaries another vendor built from the published layouts: plugprobe
// probing a foreign plug-in, and a foreign host running qentlink.hox3. Each runs as its own
// process, the way a user runs it.
#include "tests/finder/ProbeRunHarness.h"
#include "tests/support/ArtifactPath.h"

namespace {

using ProbeRun::crlfLines;
using ProbeRun::separator;

std::string foreignBinary(const std::string& name) {
  return QentTest::testProgramDir() + "foreign" + separator() + name;
}

class ForeignBinaries : public ProbeRun::ProbeRunTest {};

TEST_F(ForeignBinaries, PlugprobeListsAForeignPlugInExactly) {
  ASSERT_EQ(probe({foreignBinary("Orrery.hox3"), work("out.txt")}), 0);
  // Instruments in factory order, the effect left out; "Voices 16" only when the message the
  // processing half sent through the host's objects reached the controller and the plug-in
  // found the host's name and interface support; "Wrap" only when the single object was set up
  // once.
  // clang-format off
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({
      "2",
      "Orrery Keys", "3",
      "4201", "Master", "0",
      "4208", "Detune", "2", "Oscillators", "Osc B",
      "4213", "Voices 16", "0",
      "Orrery Drone", "1",
      "-2147479448", "Wrap", "0",
  }));
  // clang-format on
}

TEST_F(ForeignBinaries, AForeignHostRunsTheModule) {
  ProbeRun::Outcome outcome =
      ProbeRun::runProgram(foreignBinary(std::string("foreign_host") + QentTest::exeSuffix()),
                           {QentTest::artifactPath("qentlink.hox3")}, work("console.txt"), 60000);
  EXPECT_TRUE(outcome.finished) << outcome.console;
  EXPECT_EQ(outcome.exitCode, 0) << outcome.console;
  EXPECT_EQ(outcome.console.find("FAIL"), std::string::npos) << outcome.console;
  EXPECT_NE(outcome.console.find(" checks, 0 failed"), std::string::npos) << outcome.console;
}

}  // namespace
