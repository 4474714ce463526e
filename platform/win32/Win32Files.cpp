// File attributes and debug output on Windows.
#include <windows.h>

#include <atomic>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {
std::atomic<DebugOutputSink> debugSink{nullptr};
}

FileKind fileKind(const char* path) {
  if (!path || !*path) return FileKind::kMissing;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory : FileKind::kFile;
}

void debugOutput(const char* text) {
  if (!text) return;
  OutputDebugStringA(text);
  if (DebugOutputSink sink = debugSink.load()) sink(text);
}

void setDebugOutputSink(DebugOutputSink sink) { debugSink.store(sink); }

}  // namespace Brennholt::Platform
