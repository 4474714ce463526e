// plugprobe on hostile component modules (tests/plugins/Hostile.cpp): huge, sloppy and badly
// behaved plug-ins end with a documented exit code and a correct or absent list every time.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/finder/ProbeRunHarness.h"

namespace {

using ProbeRun::crlfLines;
using ProbeRun::Outcome;
using ProbeRun::setEnvironment;

class ProbeRunHostileModules : public ProbeRun::ProbeRunTest {
 protected:
  void TearDown() override {
    for (const char* name : {"HOSTILE_PARAMETERS", "HOSTILE_DEPTH", "HOSTILE_THROW"})
      setEnvironment(name, nullptr);
    ProbeRunTest::TearDown();
  }
  static std::string hostile(const std::string& name) { return plugin("hostile/" + name); }
};

// "P12" and the like; appended rather than concatenated, which one compiler warns about falsely.
std::string numbered(char letter, int number) {
  std::string text(1, letter);
  text += std::to_string(number);
  return text;
}

// What Crowd.hox3 lists for n parameters: "P<i>" in unit i % 4 of Root > Osc > Env, Root > Mod.
std::string crowdList(int count) {
  static const std::vector<std::vector<std::string>> kUnits = {
      {}, {"Osc"}, {"Osc", "Env"}, {"Mod"}};
  std::vector<std::string> lines = {"1", "Crowd", std::to_string(count)};
  for (int i = 0; i < count; ++i) {
    lines.push_back(std::to_string(4201 + i));
    lines.push_back(numbered('P', i));
    const std::vector<std::string>& units = kUnits[static_cast<size_t>(i % 4)];
    lines.push_back(std::to_string(units.size()));
    lines.insert(lines.end(), units.begin(), units.end());
  }
  return crlfLines(lines);
}

TEST_F(ProbeRunHostileModules, AHundredThousandParametersCostTimeAndMemoryInProportion) {
  // Growth over an instrument without parameters, at a fifth of the size and at full size: in
  // proportion, the work grows about five times, where work that grew with the square would
  // grow 25 times. Memory is judged per parameter (a peak moves in the allocator's steps, too
  // coarse for a proportion at the smaller size): under a kilobyte each, the list included.
  Outcome figures[3];
  const int counts[3] = {0, 20000, 100000};
  for (int i = 0; i < 3; ++i) {
    setEnvironment("HOSTILE_PARAMETERS", std::to_string(counts[i]).c_str());
    figures[i] = probeOutcome({hostile("Crowd.hox3"), work("list.txt")});
    ASSERT_EQ(figures[i].exitCode, 0);
    ASSERT_EQ(readFile(work("list.txt")), crowdList(counts[i])) << counts[i] << " parameters";
  }
  const double cpuFifth = figures[1].cpuSeconds - figures[0].cpuSeconds;
  const double cpuFull = figures[2].cpuSeconds - figures[0].cpuSeconds;
  const double memoryFull = figures[2].peakMegabytes - figures[0].peakMegabytes;
  std::printf(
      "[ measure  ] plugprobe, 0 / 20000 / 100000 parameters: CPU %.2f / %.2f / %.2f s, "
      "peak memory %.1f / %.1f / %.1f MB\n",
      figures[0].cpuSeconds, figures[1].cpuSeconds, figures[2].cpuSeconds, figures[0].peakMegabytes,
      figures[1].peakMegabytes, figures[2].peakMegabytes);
  // The bounds leave room for the noise of a shared machine, and none for a square.
  if (cpuFifth > 0.05) {
    EXPECT_LT(cpuFull, 12 * cpuFifth);
  }
  if (figures[2].peakMegabytes > 0) {
    EXPECT_LT(memoryFull, 100000 / 1024.0);
  }
}

TEST_F(ProbeRunHostileModules, FieldsWithoutATerminatorAreReadToTheirEndAndNoFurther) {
  ASSERT_EQ(probe({hostile("Unterminated.hox3"), work("list.txt")}), 0);
  // A name of 64 bytes, titles and unit names of 128 units; the vendor's "VVV..." right behind
  // the class name and the short title behind each title never show.
  auto filled = [](std::string text, size_t size, char first) {
    while (text.size() < size) text += static_cast<char>(first + text.size() % 26);
    return text;
  };
  EXPECT_EQ(readFile(work("list.txt")),
            crlfLines({"1", filled("Unterminated ", 64, 'A'), "2", "4201",
                       filled("Title ", 128, 'a'), "1", filled("Section ", 128, 'a'), "4202",
                       filled("Other ", 128, 'a'), "1", filled("Section ", 128, 'a')}));
}

TEST_F(ProbeRunHostileModules, DeepAndMalformedUnitTreesGiveEachEnclosingNameOnce) {
  // A chain of 100000 units: the walk is linear, where one that searched the records at every
  // level would not end within the harness's minute.
  ASSERT_EQ(probe({hostile("Deep.hox3"), work("list.txt")}), 0);
  std::vector<std::string> chain;
  for (int i = 1; i < 100000; ++i) chain.push_back(numbered('U', i));
  std::vector<std::string> lines = {"1", "Deep", "5", "4201", "Deepest", "99999"};
  lines.insert(lines.end(), chain.begin(), chain.end());
  // A ring of two ends where it closes; a unit that is its own parent shows once; an id with
  // two records gives both, each followed outwards; a unit nobody describes gives none.
  std::vector<std::string> rest = {"4202",      "Ring", "2",       "RingB", "RingA",
                                   "4203",      "Self", "1",       "Self",  "4204",
                                   "Twice",     "4",    "RingA",   "RingB", "TwiceRing",
                                   "TwiceRoot", "4205", "Nowhere", "0"};
  lines.insert(lines.end(), rest.begin(), rest.end());
  EXPECT_EQ(readFile(work("list.txt")), crlfLines(lines));
}

TEST_F(ProbeRunHostileModules, ClassesParametersAndUnitsBeyondWhatAPlugInHasAreLeftOut) {
  // The factory claims 1000 classes and has two; each controller claims 1000 parameters and
  // units more than it describes, whose queries fail or leave the record untouched.
  ASSERT_EQ(probe({hostile("Overcount.hox3"), work("list.txt")}), 0);
  EXPECT_EQ(readFile(work("list.txt")),
            crlfLines({"2", "First", "2", "4201", "Alpha", "0", "4202", "Beta", "0", "Second", "2",
                       "4201", "Alpha", "0", "4202", "Beta", "0"}));
}

TEST_F(ProbeRunHostileModules, AThrowThroughAnyCallEndsWith7AndNoListButOneFromTheExitEntry) {
  for (const char* call :
       {"count", "info", "create", "setup", "params", "units", "init", "factory"}) {
    SCOPED_TRACE(call);
    setEnvironment("HOSTILE_THROW", call);
    std::remove(work("list.txt").c_str());
    EXPECT_EQ(probe({hostile("Thrower.hox3"), work("list.txt")}), 7);
    EXPECT_EQ(producedFiles(), std::vector<std::string>{});
  }
  // The older standard's dispatcher, which is no interface: what it throws is caught, and the
  // plug-in counts as one that cannot be used.
  for (const char* call : {"open", "name"}) {
    SCOPED_TRACE(call);
    setEnvironment("HOSTILE_THROW", call);
    EXPECT_EQ(probe({hostile("Thrower.dll"), work("list.txt"), work("dump.xml")}), 7);
    EXPECT_EQ(producedFiles(), std::vector<std::string>{});
  }
  // Once the classes are read, a module that throws on its way out still gets its list.
  setEnvironment("HOSTILE_THROW", "exit");
  EXPECT_EQ(probe({hostile("Thrower.hox3"), work("list.txt")}), 0);
  EXPECT_EQ(readFile(work("list.txt")),
            crlfLines({"2", "Throws", "2", "4201", "Level", "0", "4202", "Tone", "0", "Calm", "2",
                       "4201", "Level", "0", "4202", "Tone", "0"}));
}

TEST_F(ProbeRunHostileModules, WhatAPlugInPrintsNeverReachesTheConsole) {
  // probe() fails the test on any console output: the plug-in writes through printf, the C++
  // streams and the system's own calls to both standard output and standard error.
  ASSERT_EQ(probe({hostile("Chatty.hox3"), work("list.txt")}), 0);
  EXPECT_EQ(readFile(work("list.txt")),
            crlfLines({"1", "Chatty", "2", "4201", "Level", "0", "4202", "Tone", "0"}));
}

}  // namespace
