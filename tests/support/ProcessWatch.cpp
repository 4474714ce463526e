#include "tests/support/ProcessWatch.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace QentTest {

bool processAlive(unsigned long pid) {
#ifdef _WIN32
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
#else
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  // The state follows the command name in parentheses, which may itself hold blanks.
  std::size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return false;
  char state = line[close + 2];
  return state != 'Z' && state != 'X';
#endif
}

std::optional<unsigned long> readPidFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.find('\n') == std::string::npos) return std::nullopt;
  try {
    return std::stoul(text);
  } catch (...) {
    return std::nullopt;
  }
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void setEnvironmentVariable(const char* name, const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value);
  _putenv_s(name, value ? value : "");
#else
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

void letChildrenCrashPlainly() {
#ifndef _WIN32
  const std::string plain = "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0";
  for (const char* variable : {"ASAN_OPTIONS", "TSAN_OPTIONS"}) {
    std::string options = plain;
    if (const char* old = std::getenv(variable); old && *old) options = old + (":" + plain);
    setenv(variable, options.c_str(), 1);
  }
#endif
}

}  // namespace QentTest
