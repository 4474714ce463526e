// Child processes on POSIX: posix_spawn into a new process group; the wait watches a pidfd where
// the kernel offers one and polls otherwise; the group is killed before the child is reaped.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/ChildProcess.h"

extern char** environ;

namespace Brennholt::Platform {

namespace {

struct PosixProcess {
  pid_t pid = -1;
  int pidfd = -1;  // -1 where the kernel has no pidfd_open
  bool killed = false;
};

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
#else
  (void)pid;
  return -1;
#endif
}

// True when the child has ended, without collecting it.
bool hasEnded(pid_t pid) {
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    if (errno != EINTR) return true;  // nothing left to wait for
  }
  return info.si_pid == pid;
}

}  // namespace

ProcessHandle startProcess(const std::string& program, const std::vector<std::string>& arguments,
                           std::string* error) {
  std::vector<std::string> strings{program};
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(strings.size() + 1);
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own (led by the child), so that one kill reaches all it starts and the
  // terminal's Ctrl-C reaches only us; signals back to their defaults, none blocked.
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  int result = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    if (error) *error = strerror(result);
    return nullptr;
  }
  auto* process = new PosixProcess;
  process->pid = pid;
  process->pidfd = openPidfd(pid);
  return process;
}

bool waitProcess(ProcessHandle handle, uint32 milliseconds) {
  auto* process = static_cast<PosixProcess*>(handle);
  if (!process) return true;
  const bool forever = milliseconds == kWaitForever;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!hasEnded(process->pid)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (!forever && left <= 0) return false;
    if (process->pidfd >= 0) {
      pollfd watch{process->pidfd, POLLIN, 0};
      // An interrupt (EINTR) just goes round again.
      poll(&watch, 1, forever ? -1 : static_cast<int>(left));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return true;
}

void killProcessTree(ProcessHandle handle) {
  auto* process = static_cast<PosixProcess*>(handle);
  if (!process) return;
  // The child is not reaped yet, so its group id is still ours to use.
  kill(-process->pid, SIGKILL);
  kill(process->pid, SIGKILL);
  process->killed = true;
}

void closeProcess(ProcessHandle handle, ProcessEnd* end) {
  auto* process = static_cast<PosixProcess*>(handle);
  if (!process) return;
  // Whatever the child left running in its group goes with it.
  kill(-process->pid, SIGKILL);
  int status = 0;
  while (waitpid(process->pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (end) {
    *end = ProcessEnd{};
    if (process->killed) {
      end->kind = ProcessEnd::Kind::kKilled;
    } else if (WIFSIGNALED(status)) {
      end->kind = ProcessEnd::Kind::kCrashed;
      end->crashCode = static_cast<uint32>(WTERMSIG(status));
    } else {
      end->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
  }
  if (process->pidfd >= 0) close(process->pidfd);
  delete process;
}

namespace {

const char* signalName(uint32 crashCode) {
  switch (crashCode) {
    case SIGSEGV:
      return "SIGSEGV";
    case SIGABRT:
      return "SIGABRT";
    case SIGBUS:
      return "SIGBUS";
    case SIGILL:
      return "SIGILL";
    case SIGFPE:
      return "SIGFPE";
    case SIGTRAP:
      return "SIGTRAP";
    case SIGSYS:
      return "SIGSYS";
    case SIGKILL:
      return "SIGKILL";
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGPIPE:
      return "SIGPIPE";
    default:
      return "";
  }
}

}  // namespace

std::string describeCrash(uint32 crashCode) {
  std::string text = "signal " + std::to_string(crashCode);
  const char* name = signalName(crashCode);
  return *name ? text + " (" + name + ")" : text;
}

}  // namespace Brennholt::Platform
