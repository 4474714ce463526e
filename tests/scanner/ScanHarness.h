// Runs plugscan as a process on collections of stand-in modules put together per test, and
// reads back what it reported: exit code, console, the JSON report, the JUnit report.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace ScanRun {

struct Scan {
  int exitCode = -1;
  bool finished = false;  // false when plugscan crashed or hung
  std::string console;    // standard output and error together, lines ended by LF
  nlohmann::json report;  // the JSON report, when one was asked for and written
  // The report's entry of a module by its file name (the first one of that name).
  const nlohmann::json& module(const std::string& fileName) const;
};

// One test case of a JUnit report as read back.
struct JUnitCase {
  std::string classname;
  std::string time;
  bool failure = false;
  std::string failureType;
  bool skipped = false;
};

class ScanRunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs plugscan with the arguments; adds --report REPORT (read into Scan::report) unless the
  // arguments name one.
  Scan scan(std::vector<std::string> arguments);

  // A path in this test's work folder.
  std::string work(const std::string& name) const;
  // Copies a built stand-in module ("plugins/Ensemble.hox3", "scan_plugins/Hang.hox3") to a
  // path in the work folder, creating folders.
  void stage(const std::string& standIn, const std::string& target);
  // The pid files the hanging stand-ins wrote, by file name.
  std::map<std::string, unsigned long> pids() const;
  // True when every process named by a pid file has gone (waits for them, with a limit).
  bool allPidsGone() const;
  // Checks the report file against scanner/report.schema.json with python3-jsonschema; the
  // Windows build, which cannot start python3, leaves the check to the native one.
  void expectValidReport(const std::string& reportFile) const;
  // The test cases of a JUnit file by file name (the first of each), and the counts its root
  // element gives.
  static std::map<std::string, JUnitCase> readJUnit(const std::string& file,
                                                    std::map<std::string, int>* rootCounts);

  static std::string plugprobe();
  static std::string readFile(const std::string& path);

 private:
  std::string workDir_;
};

}  // namespace ScanRun
