#include "finder/OutputFile.h"

#include <cstdio>

#include "platform/Platform.h"

namespace Brennholt::Hox {

namespace {

// Folder part of a path, trailing separator kept; empty for a bare file name.
std::string folderOf(const std::string& path) {
#ifdef _WIN32
  size_t cut = path.find_last_of("/\\:");
#else
  size_t cut = path.find_last_of('/');
#endif
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// A name of its own beside the output: the process identifier keeps two probes that write to
// one folder apart, and the short fixed form fits wherever the output's own name fits.
std::string temporaryName(const std::string& path, int attempt) {
  return folderOf(path) + ".plugprobe-" + std::to_string(Platform::currentProcessId()) + "-" +
         std::to_string(attempt) + ".tmp";
}

// Leaves no list at path: removes it, or, where the folder forbids that, empties it.
void discardPrevious(const std::string& path) {
  if (Platform::fileKind(path.c_str()) != Platform::FileKind::kFile) return;
  if (Platform::removeFile(path.c_str())) return;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) std::fclose(file);
}

}  // namespace

bool writeOutputFile(const std::string& path, std::string_view bytes) {
  Platform::FileKind kind = Platform::fileKind(path.c_str());
  if (path.empty() || (kind != Platform::FileKind::kFile && kind != Platform::FileKind::kMissing))
    return false;
  // A name left by an earlier run that died with this process identifier is skipped.
  constexpr int kAttempts = 10;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string temporary = temporaryName(path, attempt);
    if (Platform::writeNewFile(temporary.c_str(), bytes.data(), bytes.size())) {
      if (Platform::replaceFile(temporary.c_str(), path.c_str())) return true;
      Platform::removeFile(temporary.c_str());
      break;
    }
    if (Platform::fileKind(temporary.c_str()) == Platform::FileKind::kMissing) break;
  }
  discardPrevious(path);
  return false;
}

}  // namespace Brennholt::Hox
