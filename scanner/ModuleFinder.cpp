#include "scanner/ModuleFinder.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/Platform.h"

namespace Brennholt::Scan {

namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

class Walk {
 public:
  FoundModules found;

  void path(const std::string& given) {
    std::error_code error;
    fs::file_status status = fs::status(given, error);
    if (error || !fs::exists(status)) {
      found.missing.push_back(given);
      return;
    }
    if (fs::is_directory(status)) {
      folder(fs::path(given));
    } else {
      file(fs::path(given));
    }
  }

 private:
  void folder(const fs::path& folder) {
    Platform::FileIdentity identity;
    if (Platform::fileIdentity(folder.string().c_str(), &identity) &&
        !folders_.insert({identity.volume, identity.index}).second)
      return;  // entered before: a link back up the tree, or the same folder given twice
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error) {
      found.warnings.push_back(folder.string() + ": " + error.message());
      return;
    }
    std::vector<fs::path> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
      if (error) break;
      entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
      fs::file_status status = fs::status(entry, error);  // links followed
      if (error) continue;                                // a dangling link
      if (fs::is_directory(status)) {
        this->folder(entry);
      } else if (fs::is_regular_file(status) && hasModuleExtension(entry.filename().string())) {
        file(entry);
      }
    }
  }

  void file(const fs::path& path) {
    std::error_code error;
    FoundModule module;
    module.path = path.string();
    fs::path canonical = fs::canonical(path, error);
    module.canonical = error ? fs::absolute(path, error).string() : canonical.string();
    module.size = fs::file_size(path, error);
    if (error) module.size = 0;
    fs::file_time_type modified = fs::last_write_time(path, error);
    module.modified = error ? 0 : static_cast<int64>(modified.time_since_epoch().count());
    Platform::FileIdentity identity;
    bool known = Platform::fileIdentity(module.path.c_str(), &identity);
    auto key = known ? std::pair{identity.volume, identity.index} : std::pair<uint64, uint64>{};
    auto first = known ? files_.find(key) : files_.end();
    if (first == files_.end()) {
      auto byName = canonicals_.find(module.canonical);
      if (byName != canonicals_.end()) module.duplicateOf = byName->second;
    } else {
      module.duplicateOf = first->second;
    }
    if (!module.duplicateOf) {
      if (known) files_[key] = found.modules.size();
      canonicals_[module.canonical] = found.modules.size();
    }
    found.modules.push_back(std::move(module));
  }

  std::set<std::pair<uint64, uint64>> folders_;
  std::map<std::pair<uint64, uint64>, std::size_t> files_;
  std::map<std::string, std::size_t> canonicals_;
};

}  // namespace

bool hasModuleExtension(const std::string& fileName) {
  std::string lower = lowerAscii(fileName);
  auto endsWith = [&](const std::string& suffix) {
    return lower.size() > suffix.size() &&
           lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
#ifdef _WIN32
  return endsWith(".hox3") || endsWith(".dll");
#else
  return endsWith(".hox3") || endsWith(".so");
#endif
}

FoundModules findModules(const std::vector<std::string>& paths) {
  Walk walk;
  for (const std::string& path : paths) walk.path(path);
  return std::move(walk.found);
}

}  // namespace Brennholt::Scan
