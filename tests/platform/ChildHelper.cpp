// A program for the child-process tests, doing what its first argument says:
//   exit N          ends with exit code N
//   crash           writes through a null pointer
//   hang PIDFILE    writes its process id to PIDFILE, then waits forever
//   tree PIDFILE    starts "hang PIDFILE.child", writes its own id to PIDFILE, waits forever
//   orphan PIDFILE  starts "hang PIDFILE.child", writes its own id to PIDFILE, ends with 0
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

unsigned long ownId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Written in one go, line ended, so that a reader sees the whole number or nothing.
void writePid(const std::string& path) {
  std::string temporary = path + ".tmp";
  if (FILE* file = std::fopen(temporary.c_str(), "wb")) {
    std::fprintf(file, "%lu\n", ownId());
    std::fclose(file);
    std::rename(temporary.c_str(), path.c_str());
  }
}

[[noreturn]] void hangForever() {
  for (;;) {
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}

void startHangingChild(const char* self, const std::string& pidFile) {
#ifdef _WIN32
  std::string line;
  for (const std::string& part : {std::string("\""), std::string(self), std::string("\" hang \""),
                                  pidFile, std::string("\"")})
    line.append(part);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
#else
  (void)self;
  if (fork() == 0) {
    writePid(pidFile);
    hangForever();
  }
#endif
}

// A real access violation, not one a sanitizer reports first.
__attribute__((no_sanitize("undefined"))) void crash() {
  static volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string what = argv[1];
  if (what == "exit" && argc > 2) return std::atoi(argv[2]);
  if (what == "crash") {
    crash();
    return 0;
  }
  if (argc < 3) return 2;
  std::string pidFile = argv[2];
  if (what == "hang") {
    writePid(pidFile);
    hangForever();
  }
  if (what == "tree" || what == "orphan") {
    startHangingChild(argv[0], pidFile + ".child");
    writePid(pidFile);
    if (what == "tree") hangForever();
    return 0;
  }
  return 2;
}
