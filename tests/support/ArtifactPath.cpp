#include "tests/support/ArtifactPath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace QentTest {

std::string testProgramDir() {
  std::string path;
#ifdef _WIN32
  char buffer[MAX_PATH * 4] = {};
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  path.assign(buffer, n);
#else
  char buffer[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n > 0) path.assign(buffer, static_cast<size_t>(n));
#endif
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string artifactPath(const std::string& name) {
  std::string dir = testProgramDir();
  if (!dir.empty()) dir.pop_back();
  size_t cut = dir.find_last_of("/\\");
  return (cut == std::string::npos ? std::string() : dir.substr(0, cut + 1)) + name;
}

std::string testFilePath(const std::string& name) { return testProgramDir() + name; }

const char* exeSuffix() {
#ifdef _WIN32
  return ".exe";
#else
  return "";
#endif
}

}  // namespace QentTest
