#include "tests/scanner/ScanHarness.h"

#include <fstream>
#include <regex>
#include <sstream>

#include "tests/finder/ProbeRunHarness.h"
#include "tests/support/ArtifactPath.h"
#include "tests/support/ProcessWatch.h"

namespace ScanRun {

namespace fs = std::filesystem;

namespace {

constexpr int kScanLimitMs = 300000;  // against a hung plugscan only

const nlohmann::json kNone;

}  // namespace

const nlohmann::json& Scan::module(const std::string& fileName) const {
  if (report.is_object()) {
    for (const nlohmann::json& entry : report["modules"]) {
      if (fs::path(entry["path"].get<std::string>()).filename().string() == fileName) return entry;
    }
  }
  ADD_FAILURE() << "no module " << fileName << " in the report";
  return kNone;
}

void ScanRunTest::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  workDir_ = (fs::path(QentTest::testProgramDir()) / "scan_run" /
              (std::string(info->test_suite_name()) + "." + info->name()))
                 .string();
  std::error_code ignored;
  fs::remove_all(workDir_, ignored);
  fs::create_directories(fs::path(workDir_) / "pids");
  QentTest::setEnvironmentVariable("STANDIN_PID_DIR", work("pids").c_str());
  QentTest::letChildrenCrashPlainly();
}

void ScanRunTest::TearDown() { QentTest::setEnvironmentVariable("STANDIN_PID_DIR", nullptr); }

std::string ScanRunTest::work(const std::string& name) const {
  return (fs::path(workDir_) / fs::path(name).make_preferred()).string();
}

std::string ScanRunTest::plugprobe() {
  return QentTest::artifactPath(std::string("plugprobe") + QentTest::exeSuffix());
}

std::string ScanRunTest::readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ScanRunTest::stage(const std::string& standIn, const std::string& target) {
  fs::path to = work(target);
  fs::create_directories(to.parent_path());
  // Removed first: the Windows runtime's copy refuses to overwrite, whatever the options say.
  std::error_code ignored;
  fs::remove(to, ignored);
  fs::copy_file(QentTest::testFilePath(standIn), to);
}

Scan ScanRunTest::scan(std::vector<std::string> arguments) {
  std::string reportFile;
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "--report") reportFile = arguments[i + 1];
  }
  if (reportFile.empty()) {
    reportFile = work("report.json");
    arguments.insert(arguments.begin(), {"--report", reportFile});
  }
  std::error_code ignored;
  fs::remove(reportFile, ignored);
  std::string program = QentTest::artifactPath(std::string("plugscan") + QentTest::exeSuffix());
  ProbeRun::Outcome outcome =
      ProbeRun::runProgram(program, arguments, work("console.txt"), kScanLimitMs);
  Scan result;
  result.exitCode = outcome.exitCode;
  result.finished = outcome.finished;
  // Line ends as on Linux: a carriage return left over is a progress line's.
  for (char c : outcome.console) {
    if (c == '\n' && !result.console.empty() && result.console.back() == '\r')
      result.console.pop_back();
    result.console.push_back(c);
  }
  std::string text = readFile(reportFile);
  if (!text.empty()) result.report = nlohmann::json::parse(text, nullptr, false);
  return result;
}

std::map<std::string, unsigned long> ScanRunTest::pids() const {
  std::map<std::string, unsigned long> found;
  for (const auto& entry : fs::directory_iterator(work("pids"))) {
    if (entry.path().extension() != ".pid") continue;
    if (auto pid = QentTest::readPidFile(entry.path().string()))
      found[entry.path().filename().string()] = *pid;
  }
  return found;
}

bool ScanRunTest::allPidsGone() const {
  for (const auto& [name, pid] : pids()) {
    if (!QentTest::waitUntil([pid = pid] { return !QentTest::processAlive(pid); })) {
      ADD_FAILURE() << name << ": process " << pid << " still runs";
      return false;
    }
  }
  return true;
}

void ScanRunTest::expectValidReport(const std::string& reportFile) const {
#ifdef _WIN32
  // python3 cannot be started from a Windows program under Wine; the native run checks the same
  // report code against the schema, and the rest of the test still runs here.
  ::testing::Test::RecordProperty("schema_check", "native build only: " + reportFile);
#else
  std::string script = QentTest::testFilePath("scanner/validate-report.py");
  std::string schema = QentTest::testFilePath("scanner/report.schema.json");
  std::string command = "python3 '" + script + "' '" + schema + "' '" + reportFile + "' > '" +
                        work("schema.txt") + "' 2>&1";
  int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << readFile(work("schema.txt"));
#endif
}

std::map<std::string, JUnitCase> ScanRunTest::readJUnit(const std::string& file,
                                                        std::map<std::string, int>* rootCounts) {
  std::string xml = readFile(file);
  std::map<std::string, JUnitCase> cases;
  static const std::regex root(
      R"re(<testsuites name="plugscan" tests="(\d+)" failures="(\d+)" errors="(\d+)" skipped="(\d+)")re");
  std::smatch match;
  if (rootCounts && std::regex_search(xml, match, root)) {
    (*rootCounts)["tests"] = std::stoi(match[1]);
    (*rootCounts)["failures"] = std::stoi(match[2]);
    (*rootCounts)["skipped"] = std::stoi(match[4]);
  }
  static const std::regex testcase(
      R"re(<testcase classname="([^"]*)" name="([^"]*)" time="([^"]*)">([\s\S]*?)</testcase>)re");
  static const std::regex failure(R"re(<failure type="([^"]*)")re");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), testcase);
       it != std::sregex_iterator(); ++it) {
    JUnitCase entry;
    entry.classname = (*it)[1];
    entry.time = (*it)[3];
    std::string body = (*it)[4];
    std::smatch failed;
    if (std::regex_search(body, failed, failure)) {
      entry.failure = true;
      entry.failureType = failed[1];
    }
    entry.skipped = body.find("<skipped") != std::string::npos;
    // The first case of a file name, as Scan::module finds the first module.
    cases.emplace(fs::path(std::string((*it)[2])).filename().string(), entry);
  }
  return cases;
}

}  // namespace ScanRun
