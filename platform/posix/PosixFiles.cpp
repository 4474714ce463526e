// File attributes and debug output on POSIX.
#include <sys/stat.h>
#include <syslog.h>

#include <atomic>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {
std::atomic<DebugOutputSink> debugSink{nullptr};
}

FileKind fileKind(const char* path) {
  struct stat info {};
  if (!path || !*path || stat(path, &info) != 0) return FileKind::kMissing;
  return S_ISDIR(info.st_mode) ? FileKind::kDirectory : FileKind::kFile;
}

void debugOutput(const char* text) {
  if (!text) return;
  syslog(LOG_USER | LOG_DEBUG, "%s", text);
  if (DebugOutputSink sink = debugSink.load()) sink(text);
}

void setDebugOutputSink(DebugOutputSink sink) { debugSink.store(sink); }

}  // namespace Brennholt::Platform
