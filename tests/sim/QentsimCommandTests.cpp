// qentsim run as its own process, as a user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ArtifactPath.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

struct RunResult {
  int exitCode = -1;
  std::string output;
};

// Runs qentsim with the arguments; captures standard output, and standard error too when asked.
RunResult runQentsim(const std::string& arguments, bool withErrors = false) {
  std::string program = QentTest::artifactPath(std::string("qentsim") + QentTest::exeSuffix());
#ifdef _WIN32
  // cmd.exe strips the outermost quotes of its command line: add a pair of its own.
  std::string command =
      "\"\"" + program + "\" " + arguments + (withErrors ? " 2>&1" : " 2>NUL") + "\"";
  FILE* pipe = _popen(command.c_str(), "r");
#else
  std::string command = "'" + program + "' " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = popen(command.c_str(), "r");
#endif
  RunResult result;
  if (pipe == nullptr) return result;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, n);
#ifdef _WIN32
  result.exitCode = _pclose(pipe);
#else
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

}  // namespace

TEST(QentsimCommand, ClassesPrintsTheFactoryAndEachClass) {
  std::string module = QentTest::artifactPath("qentlink.hox3");
  RunResult run = runQentsim("classes --module \"" + module + "\"");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const char* lines[] = {
      "factory: vendor \"Talvane Corporation\", url \"\", email \"\", flags 0\n",
      "classes: 3\n",
      "  [0] category \"Service\", name \"Talvane QENT6/QENT8 Extension\", cid "
      "F255F29D5E18724489733758D4409CE3, cardinality 1, version \"1.0.6\" (wide information)\n",
      "  [1] category \"Remote Devices\", name \"Talvane QENT6/QENT8\", cid "
      "75F1DCF830A7E54BA1DE1553899D2504, cardinality 2147483647, version \"\" (wide information)\n",
      "  [2] category \"Device Detection\", name \"\", cid 8714DCA0BA74F14BA71252FF31B9F1BC, "
      "cardinality 1, version \"\" (wide information)\n",
  };
  for (const char* line : lines)
    EXPECT_NE(run.output.find(line), std::string::npos) << line << run.output;
}

TEST(QentsimCommand, DefaultsToTheModuleBesideItAndRejectsUnknownCommands) {
  RunResult demo = runQentsim("demo");
  EXPECT_EQ(demo.exitCode, 0);
  // The keyboard was set up, greeted and its lamps lit: SF bank 1 and Play while playing.
  EXPECT_NE(demo.output.find("+-- keyboard 1 "), std::string::npos) << demo.output;
  EXPECT_NE(demo.output.find("SF banks 1(*)"), std::string::npos) << demo.output;
  EXPECT_NE(demo.output.find("Play(*)"), std::string::npos) << demo.output;
  EXPECT_NE(demo.output.find("Jog.wheel=5"), std::string::npos) << demo.output;

  EXPECT_EQ(runQentsim("frobnicate").exitCode, 2);
  EXPECT_EQ(runQentsim("").exitCode, 2);
  EXPECT_EQ(runQentsim("classes --module").exitCode, 2);
  EXPECT_EQ(
      runQentsim("classes --module \"" + QentTest::artifactPath("missing.hox3") + "\"").exitCode,
      1);
}

TEST(QentsimCommand, RunPrintsOneLinePerFileAndASummary) {
  RunResult help = runQentsim("run --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("usage: qentsim run"), std::string::npos) << help.output;
  EXPECT_EQ(runQentsim("run").exitCode, 2);

  // One file that cannot be read, one that fails at its second line, one that passes.
  const std::string dir = QentTest::testProgramDir();
  const std::string bad = dir + "qentsim_bad.qscn";
  const std::string good = dir + "qentsim_good.qscn";
  if (FILE* f = std::fopen(bad.c_str(), "wb")) {
    std::fputs("# a comment\nturn Play 1\n", f);
    std::fclose(f);
  }
  if (FILE* f = std::fopen(good.c_str(), "wb")) {
    std::fputs("expect lamp Play off\n", f);
    std::fclose(f);
  }
  RunResult run = runQentsim("run \"" + dir + "missing.qscn\" \"" + bad + "\" \"" + good + "\"");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("FAIL " + dir + "missing.qscn: cannot be read\n"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("FAIL " + bad + ":2: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PASS " + good + "\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1 passed, 2 failed\n"), std::string::npos) << run.output;
  EXPECT_EQ(runQentsim("run \"" + good + "\"").exitCode, 0);
  std::remove(bad.c_str());
  std::remove(good.c_str());
}

TEST(QentsimCommand, AModuleFileCutShortIsRefused) {
  // A partial download: the loader must never see it, or the host dies on the missing part.
  std::ifstream in(QentTest::artifactPath("qentlink.hox3"), std::ios::binary);
  std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 4096u);
  std::string cut = QentTest::testProgramDir() + "qentsim_cut.hox3";
  for (size_t length : {size_t{2048}, whole.size() / 2}) {
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    // Exit code 1 alone could also be a sanitizer's report of the crash.
    RunResult run = runQentsim("classes --module \"" + cut + "\"", true);
    EXPECT_EQ(run.exitCode, 1) << length;
    EXPECT_EQ(run.output, "qentsim: cannot load module " + cut + "\n") << length;
  }
  std::filesystem::remove(cut);
}

TEST(QentsimCommand, ARefusedProjectFailsTheScenarioBeforeAnythingRuns) {
  // The project sits beside the scenario and is named relative to it, not to the working folder.
  const std::filesystem::path dir =
      std::filesystem::path(QentTest::testProgramDir()) / "qentsim_project";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "song.json", std::ios::binary | std::ios::trunc)
      << "{\n  \"tracks\": [ { \"name\": \"Lead\", \"kind\": \"audio\", \"colour\": 3 } ]\n}\n";
  const std::string scenario = (dir / "switch.qscn").string();
  std::ofstream(scenario, std::ios::binary | std::ios::trunc)
      << "say \"scenario started\"\nstart\nproject song.json\n";
  RunResult run = runQentsim("run \"" + scenario + "\"");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("FAIL " + scenario + ":3: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("tracks[0]"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("colour"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("scenario started"), std::string::npos) << run.output;
  std::filesystem::remove_all(dir);
}

TEST(QentsimCommand, AFileRunAfterAKilledHostGetsAModuleOfItsOwn) {
  // The killed module stays loaded with its threads and state; the next file's host must not
  // be handed that module again, or its keyboard shows nothing.
  const std::string dir = QentTest::testProgramDir();
  const std::string killer = dir + "qentsim_killer.qscn";
  const std::string after = dir + "qentsim_after_kill.qscn";
  std::ofstream(killer, std::ios::binary | std::ios::trunc)
      << "project demo\nstart\nsettle\nkill\n";
  std::ofstream(after, std::ios::binary | std::ios::trunc)
      << "project demo\nstart\nsettle\nexpect line \"Lead\"\nexpect knob 13 name \"EQ 1 Q\"\n";
  RunResult run = runQentsim("run \"" + killer + "\" \"" + after + "\"");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("2 passed, 0 failed\n"), std::string::npos) << run.output;
  std::remove(killer.c_str());
  std::remove(after.c_str());
}
