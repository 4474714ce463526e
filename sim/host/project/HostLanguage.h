// The host's language: its code, and the translations of English words it shows and hands to
// the module's translator requests.
//
// In "en" and "us" (any letter case) every word is its own translation. In any other language
// the project's translations answer, over a small built-in German table when the language is
// "de"; a word without an entry has no translation. [host thread]
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace QentSim {

class HostLanguage {
 public:
  HostLanguage();

  void setCode(std::string code);
  const std::string& code() const { return code_; }
  // The open project's own translations; they take precedence over the built-in table.
  void setProjectTranslations(const std::vector<std::pair<std::string, std::string>>& table);

  // The translation of `english` into *out; false when there is none. The view stays valid
  // until the tables change. Allocates nothing.
  bool translate(std::string_view english, std::string_view* out) const noexcept;
  // What the host shows for one of its own English words: the translation, else the word.
  std::string_view show(std::string_view english) const noexcept;

 private:
  std::string code_ = "en";
  bool english_ = true;
  bool german_ = false;
  std::map<std::string, std::string, std::less<>> project_;
  std::map<std::string, std::string, std::less<>> germanTable_;
};

}  // namespace QentSim
