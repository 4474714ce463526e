// plugprobe on component-standard stand-ins: the byte-exact parameter list, and what the plug-ins
// themselves saw of the host (proxies, messages, lifecycle, references).
#include <algorithm>

#include "tests/finder/ProbeRunHarness.h"

namespace {

using ProbeRun::crlfLines;

class ProbeRunComponent : public ProbeRun::ProbeRunTest {
 protected:
  bool traced(const std::string& line) const {
    std::vector<std::string> lines = trace();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  size_t tracedCount(const std::string& line) const {
    std::vector<std::string> lines = trace();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
  }
  // Position of a traced line, or the line count when absent.
  size_t tracedAt(const std::string& line) const {
    std::vector<std::string> lines = trace();
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
  }
};

const std::string kSixteen = "0123456789abcdef";
std::string fullField(const std::string& first16) {
  std::string text = first16;
  for (int i = 0; i < 7; ++i) text += kSixteen;
  return text;
}

TEST_F(ProbeRunComponent, EnsembleIsListedByteForByte) {
  ASSERT_EQ(probe({plugin("Ensemble.hox3"), work("out.txt")}), 0);
  // Instruments in factory order; effects, non-instruments, classes without extended information
  // and instruments that fail on the way are absent. Units outermost first; titles cut at 128
  // units, at a zero low byte, and cleaned of control and non-ASCII bytes. The unit record is
  // zero-filled once, so a unit whose name the plug-in leaves unwritten carries the one before.
  // clang-format off
  EXPECT_EQ(readFile(work("out.txt")), crlfLines({
      "5",
      "Keys", "15",
      "4201", "Volume", "0",
      "4213", "Cutoff", "2", "Layer A", "Filter",
      "4208", "Tab Line  End", "1", "Layer A",
      "4209", "Caf   ", "0",
      "4210", " megaA", "0",
      "4211", "Gain", "0",
      "-2147479448", "Wrap", "0",
      "4200", "Last", "0",
      "4214", "Link ok", "0",
      "4215", "Host ok", "0",
      "4216", fullField("Long title ....."), "2", "Layer A", fullField("Section ........"),
      "4217", "Lost", "0",
      "4218", "Orphan", "0",
      "4220", "Del ", "0",
      "4221", "Carried", "2", "Layer A", fullField("Section ........"),
      "Organ", "2",
      "4202", "Drawbar", "0",
      "4203", "Single ok", "0",
      "Loop", "2",
      "4201", "Ring", "2", "Inner", "Outer",
      "4202", "Mirror", "1", "Self",
      "Soft Pads", "0",
      "Bass", "1",
      "4204", "Drive", "0",
  }));
  // clang-format on
}

TEST_F(ProbeRunComponent, SeparateHalvesAreConnectedThroughProxiesAndDisconnected) {
  ASSERT_EQ(probe({plugin("Ensemble.hox3"), work("out.txt")}), 0);
  // Each half is handed a proxy, never the other half itself ("Link ok" in the file says the
  // messages between them arrived intact and a foreign thread was refused).
  EXPECT_TRUE(traced("Keys component connect proxy"));
  EXPECT_TRUE(traced("Keys controller connect proxy"));
  EXPECT_FALSE(traced("Keys component connect direct"));
  EXPECT_FALSE(traced("Keys controller connect direct"));
  EXPECT_LT(tracedAt("Keys component connect proxy"), tracedAt("Keys controller connect proxy"));
  EXPECT_TRUE(traced("Keys component disconnect peer"));
  EXPECT_TRUE(traced("Keys controller disconnect peer"));
  EXPECT_FALSE(traced("Keys component disconnect stranger"));
  EXPECT_FALSE(traced("Keys controller disconnect stranger"));
  EXPECT_LT(tracedAt("Keys controller disconnect peer"), tracedAt("Keys component terminate"));
}

TEST_F(ProbeRunComponent, EveryCreatedHalfIsInitializedAndTerminatedOnce) {
  ASSERT_EQ(probe({plugin("Ensemble.hox3"), work("out.txt")}), 0);
  for (const char* half :
       {"Keys component", "Keys controller", "Broken component", "Broken controller",
        "Loop component", "Loop controller", "Mute component", "Faulty component",
        "Faulty controller", "Soft\tPads component", "Bass component", "Bass controller"}) {
    EXPECT_EQ(tracedCount(std::string(half) + " initialize"), 1u) << half;
    EXPECT_EQ(tracedCount(std::string(half) + " terminate"), 1u) << half;
  }
  // A single object is initialized and terminated once, not once per role, and never connected.
  EXPECT_EQ(tracedCount("Organ single initialize"), 1u);
  EXPECT_EQ(tracedCount("Organ single terminate"), 1u);
  // Classes that are not instruments are never instantiated.
  for (const std::string& line : trace()) {
    for (const char* skipped : {"Echo ", "Quiet ", "Synth ", "Sampler ", "Lower ", "Ghost "})
      EXPECT_NE(line.rfind(skipped, 0), 0u) << line;
  }
}

TEST_F(ProbeRunComponent, ModuleIsReleasedCompletelyBeforeItsExit) {
  ASSERT_EQ(probe({plugin("Ensemble.hox3"), work("out.txt")}), 0);
  std::vector<std::string> lines = trace();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "load Ensemble");
  EXPECT_LT(tracedAt("InitDll Ensemble"), tracedAt("GetPluginFactory Ensemble"));
  EXPECT_LT(tracedAt("factory released Ensemble"), tracedAt("ExitDll Ensemble live=0"));
  // Nothing of the module is still referenced when it is told to exit.
  EXPECT_EQ(lines.back(), "ExitDll Ensemble live=0");
}

TEST_F(ProbeRunComponent, ModulesThatCannotBeUsedExitWith7) {
  EXPECT_EQ(probe({plugin("NoFactory.hox3"), work("out.txt")}), 7);
  EXPECT_TRUE(traced("ExitDll NoFactory live=0"));

  EXPECT_EQ(probe({plugin("NullFactory.hox3"), work("out.txt")}), 7);
  EXPECT_TRUE(traced("ExitDll NullFactory live=0"));

  // A refused initialisation unloads the module at once: no factory, no exit call.
  EXPECT_EQ(probe({plugin("InitRefuses.hox3"), work("out.txt")}), 7);
  EXPECT_TRUE(traced("InitDll InitRefuses"));
  EXPECT_FALSE(traced("GetPluginFactory InitRefuses"));
  EXPECT_FALSE(traced("ExitDll InitRefuses live=0"));

  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunComponent, ModuleWithoutInstrumentExitsWith8) {
  EXPECT_EQ(probe({plugin("EffectsOnly.hox3"), work("out.txt")}), 8);
  EXPECT_TRUE(traced("ExitDll EffectsOnly live=0"));
  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunComponent, InstrumentsThatAllFailCompleteWithoutAFile) {
  EXPECT_EQ(probe({plugin("AllFail.hox3"), work("out.txt")}), 0);
  EXPECT_TRUE(traced("ExitDll AllFail live=0"));
  EXPECT_FALSE(exists(work("out.txt")));
}

}  // namespace
