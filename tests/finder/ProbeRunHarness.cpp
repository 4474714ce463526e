#include "tests/finder/ProbeRunHarness.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/ArtifactPath.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h: the process memory figures, taken from kernel32 itself (version 2).
#define PSAPI_VERSION 2
#include <psapi.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace ProbeRun {

namespace {

constexpr int kProbeTimeoutMs = 60000;
constexpr const char* kTraceVariable = "PROBE_TRACE";

#ifdef _WIN32
// Quotes one argument so that the child's runtime splits it back into exactly this string.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
      backslashes = 0;
    } else {
      quoted.append(backslashes, '\\');
      backslashes = 0;
    }
    if (c != '\\') quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}
#endif

}  // namespace

Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& consoleFile, int timeoutMs) {
  Outcome outcome;
#ifdef _WIN32
  std::string commandLine = quoteArgument(program);
  for (const std::string& arg : args) {
    commandLine.push_back(' ');
    commandLine += quoteArgument(arg);
  }

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE console =
      CreateFileA(consoleFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = console;
  startup.hStdError = console;
  PROCESS_INFORMATION process{};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  // Under Wine a process start now and then fails at once on a loaded machine; try a few times
  // before calling it a failure, and say why when it stays one.
  BOOL started = FALSE;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    if (!started) startError = GetLastError();
  }
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (started) {
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      outcome.exitCode = static_cast<int>(code);
      // Exception codes (access violation and the like) have the top bits set.
      outcome.finished = code < 0xC0000000u;
      FILETIME created, ended, kernel, user;
      if (GetProcessTimes(process.hProcess, &created, &ended, &kernel, &user)) {
        auto ticks = [](const FILETIME& t) {
          return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        outcome.cpuSeconds = static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
      }
      PROCESS_MEMORY_COUNTERS memory{};
      if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
        outcome.peakMegabytes = static_cast<double>(memory.PeakWorkingSetSize) / (1024 * 1024);
    } else {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    return Outcome{-1, false, "CreateProcess failed with error " + std::to_string(startError)};
  }
#else
  std::vector<std::string> argvStrings{program};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(argvStrings.size() + 1);
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned == 0) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    pid_t done = 0;
    rusage usage{};
    while ((done = wait4(pid, &status, WNOHANG, &usage)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    } else if (done == pid && WIFEXITED(status)) {
      outcome.exitCode = WEXITSTATUS(status);
      outcome.finished = true;
      auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
      };
      outcome.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
      outcome.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024;  // given in KiB
    } else if (done == pid && WIFSIGNALED(status)) {
      outcome.exitCode = -WTERMSIG(status);
    }
  }
#endif
  std::ifstream in(consoleFile, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  outcome.console = text.str();
  return outcome;
}

void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value);
#else
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

char separator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

std::string crlfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void ProbeRunTest::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  workDir_ = QentTest::testProgramDir() + "probe_run" + separator() + name + separator();
  std::error_code ignored;
  std::filesystem::remove_all(workDir_, ignored);
  std::filesystem::create_directories(workDir_);
  setEnvironment(kTraceVariable, work("trace.txt").c_str());
}

void ProbeRunTest::TearDown() { setEnvironment(kTraceVariable, nullptr); }

int ProbeRunTest::probe(const std::vector<std::string>& args) {
  return probeOutcome(args).exitCode;
}

Outcome ProbeRunTest::probeOutcome(const std::vector<std::string>& args) {
  std::string program = QentTest::artifactPath(std::string("plugprobe") + QentTest::exeSuffix());
  Outcome outcome = runProgram(program, args, work("console.txt"), kProbeTimeoutMs);
  EXPECT_TRUE(outcome.finished) << "plugprobe crashed or hung, code " << outcome.exitCode << "\n"
                                << outcome.console;
  EXPECT_EQ(outcome.console, "") << "plugprobe must print nothing";
  return outcome;
}

std::string ProbeRunTest::work(const std::string& name) const { return workDir_ + name; }

std::string ProbeRunTest::plugin(const std::string& relative) {
  std::string path = QentTest::testFilePath("plugins/" + relative);
  std::replace(path.begin(), path.end(), '/', separator());
  return path;
}

std::optional<std::string> ProbeRunTest::readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ProbeRunTest::writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool ProbeRunTest::exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::vector<std::string> ProbeRunTest::trace() const {
  std::vector<std::string> lines;
  std::ifstream in(work("trace.txt"), std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool ProbeRunTest::loaded(const std::string& tag) const {
  std::vector<std::string> lines = trace();
  std::string marker = "load ";
  marker += tag;
  return std::find(lines.begin(), lines.end(), marker) != lines.end();
}

std::vector<std::string> ProbeRunTest::producedFiles() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(workDir_, ignored)) {
    std::string name = entry.path().filename().string();
    if (name != "console.txt" && name != "trace.txt") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ProbeRun
