#include "sim/host/services/SettingsData.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

namespace QentSim {

namespace {

// A name beside `path` that no file has yet: "PATH.damaged", "PATH.damaged-2", ...
std::string asideName(const std::string& path) {
  std::error_code ignored;
  std::string name = path + ".damaged";
  for (int n = 2; std::filesystem::exists(name, ignored); ++n) {
    name = path + ".damaged-" + std::to_string(n);
  }
  return name;
}

}  // namespace

bool SettingsData::useFile(const std::string& path, std::string* report) {
  path_ = path;
  sections_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;  // nothing stored yet
  std::stringstream text;
  text << in.rdbuf();
  in.close();
  std::string problem;
  try {
    const nlohmann::json document = nlohmann::json::parse(text.str());
    if (!document.is_object()) throw std::runtime_error("the top level is not an object");
    for (const auto& [section, keys] : document.items()) {
      if (!keys.is_object()) throw std::runtime_error("section \"" + section + "\" is no object");
      for (const auto& [key, value] : keys.items()) {
        if (value.is_number_integer()) {
          const auto number = value.get<std::int64_t>();
          if (number < INT32_MIN || number > INT32_MAX)
            throw std::runtime_error("\"" + key + "\" is out of range");
          sections_[section][key] = static_cast<std::int32_t>(number);
        } else if (value.is_string()) {
          sections_[section][key] = value.get<std::string>();
        } else {
          throw std::runtime_error("\"" + key + "\" is neither a number nor a text");
        }
      }
    }
    return true;
  } catch (const std::exception& error) {
    problem = error.what();
  }
  sections_.clear();
  const std::string aside = asideName(path);
  std::error_code failed;
  std::filesystem::rename(path, aside, failed);
  if (report) {
    *report =
        "the settings file " + path + " is damaged (" + problem + "); " +
        (failed ? "it could not be set aside and stays as it is" : "it was set aside as " + aside) +
        ", and the host starts with no settings";
  }
  // A file that could not be moved must not be overwritten by the next change.
  if (failed) path_ = aside;
  return false;
}

const SettingsData::Value* SettingsData::find(const std::string& section,
                                              const std::string& key) const {
  const auto s = sections_.find(section);
  if (s == sections_.end()) return nullptr;
  const auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

bool SettingsData::set(const std::string& section, const std::string& key, Value value) {
  sections_[section][key] = std::move(value);
  return path_.empty() || write();
}

bool SettingsData::write() const {
  nlohmann::json document = nlohmann::json::object();
  for (const auto& [section, keys] : sections_) {
    nlohmann::json& out = document[section];
    out = nlohmann::json::object();
    for (const auto& [key, value] : keys) {
      if (const auto* number = std::get_if<std::int32_t>(&value)) {
        out[key] = *number;
      } else {
        out[key] = std::get<std::string>(value);
      }
    }
  }
  // Texts that are not UTF-8 are written with replacement characters rather than refused.
  const std::string text =
      document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  const std::string temporary = path_ + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code failed;
  std::filesystem::rename(temporary, path_, failed);
  if (failed) std::remove(temporary.c_str());
  return !failed;
}

}  // namespace QentSim
