#include "scanner/ScanCache.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "scanner/AtomicFile.h"
#include "scanner/ResultJson.h"

namespace Brennholt::Scan {

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

constexpr const char* kFormat = "plugscan cache";
constexpr int kVersion = 1;

Json entryToJson(const CacheEntry& entry) {
  return {{"size", entry.key.size},
          {"modified", entry.key.modified},
          {"plugprobe_size", entry.key.probeSize},
          {"plugprobe_modified", entry.key.probeModified},
          {"result", resultToJson(entry.result)}};
}

std::optional<CacheEntry> entryFromJson(const Json& json, std::string* why) {
  try {
    CacheEntry entry;
    entry.key.size = json.at("size").get<uint64>();
    entry.key.modified = json.at("modified").get<int64>();
    entry.key.probeSize = json.at("plugprobe_size").get<uint64>();
    entry.key.probeModified = json.at("plugprobe_modified").get<int64>();
    std::optional<ProbeResult> result = resultFromJson(json.at("result"), why);
    if (!result) return std::nullopt;
    entry.result = std::move(*result);
    return entry;
  } catch (const Json::exception& error) {
    *why = error.what();
    return std::nullopt;
  }
}

std::string dumpJson(const Json& json, int indent) {
  // Paths need not be valid UTF-8 (Linux file names are bytes); such bytes are replaced.
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

bool readWholeFile(const fs::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *text = buffer.str();
  return true;
}

}  // namespace

ScanCache::ScanCache(fs::path file) : file_(std::move(file)) {}

fs::path ScanCache::journalFile() const {
  fs::path journal = file_;
  journal += ".journal";
  return journal;
}

std::string ScanCache::setAside(const std::string& why) {
  fs::path damaged = file_;
  damaged += ".damaged";
  std::error_code error;
  fs::remove(damaged, error);
  fs::rename(file_, damaged, error);
  return "cache " + file_.string() + " is damaged (" + why + "): set aside as " + damaged.string() +
         "; its modules are probed again";
}

std::vector<std::string> ScanCache::load() {
  std::vector<std::string> messages;
  entries_.clear();
  std::string text;
  if (readWholeFile(file_, &text)) {
    std::string why;
    try {
      Json json = Json::parse(text);
      if (!json.is_object() || json.value("format", "") != kFormat)
        throw std::runtime_error("not a plugscan cache");
      if (json.value("version", 0) != kVersion)
        throw std::runtime_error("version " + json.value("version", Json()).dump());
      std::map<std::string, CacheEntry> entries;
      for (const auto& [path, value] : json.at("modules").items()) {
        std::optional<CacheEntry> entry = entryFromJson(value, &why);
        if (!entry)
          throw std::runtime_error(std::string("module ").append(path).append(": ").append(why));
        entries.emplace(path, std::move(*entry));
      }
      entries_ = std::move(entries);
    } catch (const std::exception& error) {
      messages.push_back(setAside(error.what()));
    }
  }
  if (readWholeFile(journalFile(), &text)) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
      ++number;
      bool last = lines.eof();  // no line end after it: a write the scan's end cut short
      std::string why;
      std::optional<CacheEntry> entry;
      Json json = Json::parse(line, nullptr, false);
      if (!json.is_discarded() && json.is_object() && json.contains("path") &&
          json["path"].is_string()) {
        entry = entryFromJson(json, &why);
      }
      if (!entry) {
        if (!last)
          messages.push_back("cache journal " + journalFile().string() + " is damaged at line " +
                             std::to_string(number) + ": the rest of it is ignored");
        break;
      }
      entries_[json["path"].get<std::string>()] = std::move(*entry);
    }
  }
  return messages;
}

const CacheEntry* ScanCache::find(const std::string& canonical) const {
  auto it = entries_.find(canonical);
  return it == entries_.end() ? nullptr : &it->second;
}

bool ScanCache::record(const std::string& canonical, const CacheEntry& entry) {
  entries_[canonical] = entry;
  if (!journal_.is_open()) {
    std::error_code ignored;
    if (file_.has_parent_path()) fs::create_directories(file_.parent_path(), ignored);
    journal_.open(journalFile(), std::ios::binary | std::ios::app);
  }
  Json line = entryToJson(entry);
  line["path"] = canonical;
  journal_ << dumpJson(line, -1) << '\n';
  journal_.flush();
  return journal_.good();
}

bool ScanCache::save(std::string* why) {
  Json modules = Json::object();
  for (const auto& [path, entry] : entries_) modules[path] = entryToJson(entry);
  Json json = {{"format", kFormat}, {"version", kVersion}, {"modules", modules}};
  std::string text = dumpJson(json, 1);
  text.push_back('\n');

  if (!writeFileAtomically(file_, text, why)) return false;
  std::error_code error;
  if (journal_.is_open()) journal_.close();
  fs::remove(journalFile(), error);
  return true;
}

}  // namespace Brennholt::Scan
