#include "sim/host/project/HostLanguage.h"

#include <cctype>

namespace QentSim {

namespace {

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

HostLanguage::HostLanguage() {
  // The words the host shows for its own values, and those its dialogs use.
  germanTable_ = {
      {"On", "Ein"},
      {"Off", "Aus"},
      {"Volume", "Lautstärke"},
      {"Pan", "Pan"},
      {"Left-Right", "Links-Rechts"},
      {"Pan Left-Right", "Pan Links-Rechts"},
      {"Pan Right", "Pan Rechts"},
      {"Stereo Pan Type", "Stereo-Pan-Modus"},
      {"Name", "Name"},
      {"Output", "Ausgang"},
      {"Program", "Programm"},
      {"Write Enable", "Schreiben"},
      {"EQ", "EQ"},
      {"Quality", "Güte"},
      {"Reset", "Zurücksetzen"},
      {"Cancel", "Abbrechen"},
      {"OK", "OK"},
      {"Failed to load.", "Laden fehlgeschlagen."},
      {"This will reset the command assignment to the factory default.",
       "Die Befehlszuweisung wird auf die Werkseinstellung zurückgesetzt."},
  };
  for (int band = 1; band <= 4; ++band) {
    const std::string n = std::to_string(band);
    germanTable_.emplace("EQ " + n + " On", "EQ " + n + " Ein");
    germanTable_.emplace("EQ " + n + " Type", "EQ " + n + " Typ");
    germanTable_.emplace("EQ " + n + " Gain", "EQ " + n + " Verstärkung");
    germanTable_.emplace("EQ " + n + " Freq.", "EQ " + n + " Freq.");
    germanTable_.emplace("EQ " + n + " Quality", "EQ " + n + " Güte");
  }
  for (int control = 1; control <= 8; ++control) {
    const std::string n = std::to_string(control);
    germanTable_.emplace("Quick Control " + n, "Quick-Control " + n);
    germanTable_.emplace("Quick Control " + n + " Destination", "Quick-Control " + n + " Ziel");
  }
}

void HostLanguage::setCode(std::string code) {
  code_ = std::move(code);
  english_ = sameWord(code_, "en") || sameWord(code_, "us");
  german_ = sameWord(code_, "de");
}

void HostLanguage::setProjectTranslations(
    const std::vector<std::pair<std::string, std::string>>& table) {
  project_.clear();
  for (const auto& [english, translated] : table) project_.emplace(english, translated);
}

bool HostLanguage::translate(std::string_view english, std::string_view* out) const noexcept {
  if (english_) {
    *out = english;
    return true;
  }
  auto found = project_.find(english);
  if (found != project_.end()) {
    *out = found->second;
    return true;
  }
  if (german_) {
    found = germanTable_.find(english);
    if (found != germanTable_.end()) {
      *out = found->second;
      return true;
    }
  }
  return false;
}

std::string_view HostLanguage::show(std::string_view english) const noexcept {
  std::string_view shown;
  return translate(english, &shown) ? shown : english;
}

}  // namespace QentSim
