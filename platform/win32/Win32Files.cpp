// Files and debug output on Windows.
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {

std::atomic<DebugOutputSink> debugSink{nullptr};

// A handle that allows no reading or writing, only questions about the file itself; opening it
// neither blocks on a pipe nor disturbs a device. Directories need the backup-semantics flag.
HANDLE openForQuery(const char* path) {
  return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

FileKind fileKind(const char* path) {
  if (!path || !*path) return FileKind::kMissing;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FileKind::kDirectory;
  HANDLE handle = openForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) {
    // The attributes' word alone when the system refuses even a handle for questions.
    return attributes == INVALID_FILE_ATTRIBUTES ? FileKind::kMissing : FileKind::kFile;
  }
  DWORD type = GetFileType(handle);
  CloseHandle(handle);
  // A device, or a pipe, which has no attributes to read at all.
  if (type != FILE_TYPE_DISK || attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kOther;
  return FileKind::kFile;
}

bool isSameFile(const char* first, const char* second) {
  if (!first || !*first || !second || !*second) return false;
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  HANDLE handle = openForQuery(first);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(handle, &a) != 0;
  CloseHandle(handle);
  handle = known ? openForQuery(second) : INVALID_HANDLE_VALUE;
  if (handle == INVALID_HANDLE_VALUE) return false;
  known = GetFileInformationByHandle(handle, &b) != 0;
  CloseHandle(handle);
  return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool fileIdentity(const char* path, FileIdentity* identity) {
  if (!path || !*path || !identity) return false;
  HANDLE handle = openForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool writeNewFile(const char* path, const void* data, std::size_t size) {
  if (!path || !*path || (!data && size > 0)) return false;
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char* next = static_cast<const char*>(data);
  std::size_t left = size;
  bool good = true;
  while (good && left > 0) {
    // WriteFile takes at most a DWORD's worth at a time.
    DWORD chunk = left < 0x40000000 ? static_cast<DWORD>(left) : 0x40000000;
    DWORD written = 0;
    good = WriteFile(file, next, chunk, &written, nullptr) && written > 0;
    next += written;
    left -= written;
  }
  if (!CloseHandle(file)) good = false;
  if (!good) DeleteFileA(path);
  return good;
}

bool replaceFile(const char* source, const char* target) {
  return source && *source && target && *target &&
         MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const char* path) { return path && *path && DeleteFileA(path) != 0; }

uint32 currentProcessId() { return GetCurrentProcessId(); }

void debugOutput(const char* text) {
  if (!text) return;
  OutputDebugStringA(text);
  if (DebugOutputSink sink = debugSink.load()) sink(text);
}

void setDebugOutputSink(DebugOutputSink sink) { debugSink.store(sink); }

void silenceConsole() {
  fflush(stdout);
  fflush(stderr);
  // The system's handles, which a module's own C library takes when it loads and which
  // WriteFile reaches directly; then the shared C library's streams and descriptors.
  HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (null != INVALID_HANDLE_VALUE) {
    SetStdHandle(STD_OUTPUT_HANDLE, null);
    SetStdHandle(STD_ERROR_HANDLE, null);
  }
  if (!freopen("NUL", "w", stdout)) return;
  freopen("NUL", "w", stderr);
}

}  // namespace Brennholt::Platform
