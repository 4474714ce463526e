#include "scanner/AtomicFile.h"

#include "platform/Platform.h"

namespace Brennholt::Scan {

namespace fs = std::filesystem;

bool writeFileAtomically(const fs::path& path, const std::string& text, std::string* why) {
  std::error_code error;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
  fs::path temporary = path;
  temporary += ".tmp" + std::to_string(Platform::currentProcessId());
  fs::remove(temporary, error);
  if (!Platform::writeNewFile(temporary.string().c_str(), text.data(), text.size()) ||
      !Platform::replaceFile(temporary.string().c_str(), path.string().c_str())) {
    fs::remove(temporary, error);
    if (why) *why = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace Brennholt::Scan
