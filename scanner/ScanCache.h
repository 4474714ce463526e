// The scan cache: what earlier scans found, so that a scan probes only what is new or changed.
//
// An entry is keyed by the module's canonical path and holds what it was probed as (its size and
// modification time, and plugprobe's own size and modification time) beside the result; it
// answers for a module only while all four still match.
//
// On disk: the cache file, a JSON document that is only ever replaced whole (written beside it,
// then renamed over it), and the journal FILE.journal, one JSON line per result recorded since
// the cache was last written, each flushed as it is recorded. Loading reads the cache, then
// replays the journal over it; saving writes the cache with everything and removes the journal.
// A scan killed at any point so keeps every result it had recorded: the journal's last line may
// be cut short, and is then dropped. A cache file that cannot be read as a whole is never
// trusted: it is set aside as FILE.damaged and the scan starts without it.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/Types.h"
#include "scanner/ProbeResult.h"

namespace Brennholt::Scan {

// What an entry was probed as.
struct CacheKey {
  uint64 size = 0;
  int64 modified = 0;
  uint64 probeSize = 0;
  int64 probeModified = 0;
  bool operator==(const CacheKey&) const = default;
};

struct CacheEntry {
  CacheKey key;
  ProbeResult result;
};

// All calls from one thread. [main thread]
class ScanCache {
 public:
  explicit ScanCache(std::filesystem::path file);

  // Reads the cache and replays its journal. Returns what the user should hear: a damaged
  // cache set aside, a journal damaged before its end.
  std::vector<std::string> load();
  // The entry of a module, whatever its key; null when there is none.
  const CacheEntry* find(const std::string& canonical) const;
  // Keeps a result and appends it to the journal at once. False when the journal cannot be
  // written (the result is still kept for save).
  bool record(const std::string& canonical, const CacheEntry& entry);
  // Writes the whole cache in one step and removes the journal; false with the reason in *why.
  bool save(std::string* why);

  std::size_t size() const { return entries_.size(); }
  const std::filesystem::path& file() const { return file_; }
  std::filesystem::path journalFile() const;

 private:
  std::string setAside(const std::string& why);

  std::filesystem::path file_;
  std::map<std::string, CacheEntry> entries_;
  std::ofstream journal_;
};

}  // namespace Brennholt::Scan
