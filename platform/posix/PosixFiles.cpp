// Files and debug output on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {
std::atomic<DebugOutputSink> debugSink{nullptr};
}

FileKind fileKind(const char* path) {
  struct stat info {};
  if (!path || !*path || stat(path, &info) != 0) return FileKind::kMissing;
  if (S_ISREG(info.st_mode)) return FileKind::kFile;
  return S_ISDIR(info.st_mode) ? FileKind::kDirectory : FileKind::kOther;
}

bool isSameFile(const char* first, const char* second) {
  struct stat a {};
  struct stat b {};
  if (!first || !*first || !second || !*second) return false;
  if (stat(first, &a) != 0 || stat(second, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool fileIdentity(const char* path, FileIdentity* identity) {
  struct stat info {};
  if (!path || !*path || !identity || stat(path, &info) != 0) return false;
  identity->volume = static_cast<uint64>(info.st_dev);
  identity->index = static_cast<uint64>(info.st_ino);
  return true;
}

bool writeNewFile(const char* path, const void* data, std::size_t size) {
  if (!path || !*path || (!data && size > 0)) return false;
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const char* next = static_cast<const char*>(data);
  size_t left = size;
  bool good = true;
  while (good && left > 0) {
    ssize_t n = write(fd, next, left);
    if (n < 0 && errno == EINTR) continue;
    good = n > 0;
    if (good) {
      next += n;
      left -= static_cast<size_t>(n);
    }
  }
  // Some file systems report a failed write only when the file is closed.
  if (close(fd) != 0) good = false;
  if (!good) unlink(path);
  return good;
}

bool replaceFile(const char* source, const char* target) {
  return source && *source && target && *target && rename(source, target) == 0;
}

bool removeFile(const char* path) { return path && *path && unlink(path) == 0; }

uint32 currentProcessId() { return static_cast<uint32>(getpid()); }

void debugOutput(const char* text) {
  if (!text) return;
  syslog(LOG_USER | LOG_DEBUG, "%s", text);
  if (DebugOutputSink sink = debugSink.load()) sink(text);
}

void setDebugOutputSink(DebugOutputSink sink) { debugSink.store(sink); }

void silenceConsole() {
  fflush(stdout);
  fflush(stderr);
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  // The C++ streams write through stdout and stderr, and those through these descriptors.
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  if (null > STDERR_FILENO) close(null);
}

}  // namespace Brennholt::Platform
