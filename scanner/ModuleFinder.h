// Finds the plug-in modules under the paths a scan is given.
//
// A path names a module file (taken whatever its extension) or a folder, walked recursively for
// component modules (".hox3") and single-entry modules (".dll" on Windows, ".so" elsewhere), in
// any letter case. Links are followed, each folder is entered once (a link back up the tree ends
// there), and a file reached a second time, through a link or another spelling, is kept as a
// duplicate of the first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Types.h"

namespace Brennholt::Scan {

struct FoundModule {
  std::string path;       // as reached: the given path, or a folder's path and the entry names
  std::string canonical;  // absolute, links resolved: the key of the cache
  uint64 size = 0;
  int64 modified = 0;  // the file's modification time in the file system clock's ticks
  std::optional<std::size_t> duplicateOf;  // index of the module first reached as this file
};

struct FoundModules {
  std::vector<FoundModule> modules;   // in the order reached: paths in the order given, folders
                                      // sorted by name
  std::vector<std::string> missing;   // given paths that do not exist
  std::vector<std::string> warnings;  // folders that could not be read
};

// Walks the paths. [main thread]
FoundModules findModules(const std::vector<std::string>& paths);

// True for a file name that the walk takes as a module.
bool hasModuleExtension(const std::string& fileName);

}  // namespace Brennholt::Scan
