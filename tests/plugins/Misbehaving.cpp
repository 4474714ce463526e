// One instrument with two parameters, in a module that misbehaves the way plug-ins in a real
// collection do, as chosen when it is built: STANDIN_WHILE_LOADING and STANDIN_WHILE_LISTING name
// what it does in InitDll and in countClasses:
//   kCrash  writes through a null pointer
//   kHang   writes its process id to $STANDIN_PID_DIR/<tag>.pid, starts a process that writes
//           <tag>.child.pid and waits forever, and waits forever itself
//   kSleep  sleeps STANDIN_SLEEP_MS milliseconds, then goes on as a good module
//   kPrint  writes a lot to standard output and a line to standard error, then goes on
//   kExit   ends the process with exit code STANDIN_EXIT_CODE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/plugins/StandInComponent.h"
#include "tests/plugins/StandInSupport.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

#ifndef STANDIN_TAG
#define STANDIN_TAG "Misbehaving"
#endif
#ifndef STANDIN_WHILE_LOADING
#define STANDIN_WHILE_LOADING kNothing
#endif
#ifndef STANDIN_WHILE_LISTING
#define STANDIN_WHILE_LISTING kNothing
#endif
#ifndef STANDIN_SLEEP_MS
#define STANDIN_SLEEP_MS 0
#endif
#ifndef STANDIN_EXIT_CODE
#define STANDIN_EXIT_CODE 42
#endif

namespace StandIn {
namespace {

enum class Act { kNothing, kCrash, kHang, kSleep, kPrint, kExit };

// Set in the process a hanging module starts, which only hangs.
constexpr const char* kChildVariable = "STANDIN_HANG_CHILD";

const ParamSpec kParams[] = {{0, u"Level", 0, true}, {7, u"Tone", 0, true}};
const ClassSpec kClasses[] = {
    {STANDIN_TAG, "Audio Module Class", "Instrument", Shape::kSeparate, kParams, 2, nullptr, 0,
     false},
};

unsigned long ownId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Written whole, then renamed, so that a reader never sees half a number.
void writePid(const std::string& name) {
  const char* folder = std::getenv("STANDIN_PID_DIR");
  if (folder == nullptr || *folder == '\0') return;
  std::string path = std::string(folder) + "/" + name;
  std::string temporary = path + ".tmp";
  if (FILE* file = std::fopen(temporary.c_str(), "wb")) {
    std::fprintf(file, "%lu\n", ownId());
    std::fclose(file);
    std::remove(path.c_str());
    std::rename(temporary.c_str(), path.c_str());
  }
}

[[noreturn]] void waitForever() {
  for (;;) {
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}

void sleepMilliseconds(int milliseconds) {
#ifdef _WIN32
  Sleep(static_cast<DWORD>(milliseconds));
#else
  timespec time{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&time, &time) != 0) {
  }
#endif
}

void startHangingProcess() {
#ifdef _WIN32
  // The prober once more, on this module, in a process that only hangs.
  char program[MAX_PATH] = {};
  char module[MAX_PATH] = {};
  HMODULE self = nullptr;
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&startHangingProcess), &self);
  GetModuleFileNameA(self, module, MAX_PATH);
  std::string line;
  for (const char* part : std::initializer_list<const char*>{"\"", program, "\" \"", module,
                                                             "\" \"", module, ".out\""})
    line.append(part);
  SetEnvironmentVariableA(kChildVariable, "1");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
#else
  if (fork() == 0) {
    writePid(std::string(STANDIN_TAG) + ".child.pid");
    waitForever();
  }
#endif
}

// A real access violation, not one a sanitizer reports first: a sanitizer build ends the
// process with an exit code of its own instead.
__attribute__((no_sanitize("undefined"))) void crash() {
  static volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

void act(Act what) {
  switch (what) {
    case Act::kNothing:
      return;
    case Act::kCrash:
      crash();
      return;
    case Act::kHang:
      if (const char* child = std::getenv(kChildVariable); child && *child) {
        writePid(std::string(STANDIN_TAG) + ".child.pid");
        waitForever();
      }
      startHangingProcess();
      writePid(std::string(STANDIN_TAG) + ".pid");
      waitForever();
    case Act::kSleep:
      sleepMilliseconds(STANDIN_SLEEP_MS);
      return;
    case Act::kPrint: {
      std::string block(1024, 'x');
      block.back() = '\n';
      // More than a pipe holds (64 KiB on Linux, 4 KiB on Windows), so a prober that reads the
      // output nowhere would stall. Kept small on Windows, where Wine writes such output a
      // character at a time.
#ifdef _WIN32
      constexpr int kBlocks = 8;
#else
      constexpr int kBlocks = 128;
#endif
      for (int i = 0; i < kBlocks; ++i) std::fwrite(block.data(), 1, block.size(), stdout);
      std::fflush(stdout);
      std::fputs("a message on standard error\n", stderr);
      return;
    }
    case Act::kExit:
      std::exit(STANDIN_EXIT_CODE);
  }
}

}  // namespace

void whileLoading() { act(Act::STANDIN_WHILE_LOADING); }
void whileListing() { act(Act::STANDIN_WHILE_LISTING); }

const ModuleSpec standInModule = {STANDIN_TAG, kClasses, 1, true, false};

}  // namespace StandIn
