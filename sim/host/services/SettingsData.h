// The host's persistent settings: integers and texts by section and key, kept in memory or in a
// JSON file. With a file, every change is written at once to a temporary file that then replaces
// the old one, so a host that ends at any moment leaves either the old or the new file. A file
// that cannot be read as settings is set aside under another name, never emptied.
// [host thread]
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace QentSim {

class SettingsData {
 public:
  using Value = std::variant<std::int32_t, std::string>;

  // Keeps the settings in `path` from now on and reads what it holds; a missing file is an
  // empty store. False when the file is damaged: *report then says what happened, the file is
  // set aside under *report's name and the store starts empty.
  bool useFile(const std::string& path, std::string* report);
  // The file in use; empty when the settings are kept in memory.
  const std::string& file() const { return path_; }

  // The value of the key; null when it is missing.
  const Value* find(const std::string& section, const std::string& key) const;
  // Stores a value and, with a file, writes the file. False (the value kept in memory) when the
  // file cannot be written.
  bool set(const std::string& section, const std::string& key, Value value);

 private:
  bool write() const;

  std::string path_;
  std::map<std::string, std::map<std::string, Value>> sections_;
};

}  // namespace QentSim
