#include "sim/host/services/CommandCatalogue.h"

#include <algorithm>

namespace QentSim {

namespace {

struct BuiltIn {
  const char* category;
  std::initializer_list<const char*> commands;
};

// The host's own commands, in its order.
const BuiltIn kHostCommands[] = {
    {"AddTrack", {"Audio", "Audio Mono", "Instrument", "MIDI"}},
    {"Automation",
     {"Hide All Automation", "Show All Used Automation", "Show Used Automation (Selected Tracks)",
      "Toggle Read Enable Selected Tracks", "Toggle Write Enable Selected Tracks"}},
    {"Devices", {"Mixer"}},
    {"Edit",
     {"Delete", "Edit Channel Settings", "Edit HOX Instrument", "Monitor",
      "Select Next Grid Type"}},
    {"Editors", {"Open Drum Editor", "Open Key Editor", "Open List Editor", "Open Score Editor"}},
    {"File", {"Export Audio Mixdown", "Import Audio File", "Save New Version"}},
    {"MIDI", {"Toggle Step Input"}},
    {"Media", {"Open Clipvault"}},
    {"Preset", {"Next", "Open Browser", "Previous"}},
    {"Project", {"Open Pool", "Track Preset: Open Browser"}},
    {"QENT6/QENT8", {"QENT6/QENT8 Extension Setup"}},
    {"Quantize Category",
     {"Auto Quantize On/Off", "Quantize", "Quantize Lengths", "Quantize Setup"}},
    {"Remote", {"Hover Knob Mode", "Jog Mode", "Restless Mode"}},
    {"Transport", {"Record", "Return to Zero", "Start", "Step Back Bar", "Step Bar", "Stop"}},
    {"Zoom", {"Zoom In", "Zoom In Vertically", "Zoom Out", "Zoom Out Vertically"}},
};

}  // namespace

CommandCatalogue::CommandCatalogue() { reset(); }

void CommandCatalogue::reset() {
  categories_.clear();
  for (const BuiltIn& b : kHostCommands) {
    Category c;
    c.name = b.category;
    for (const char* command : b.commands) c.commands.emplace_back(command);
    c.builtIn = c.commands.size();
    categories_.push_back(std::move(c));
  }
  builtInCategories_ = categories_.size();
  registered_.clear();
  handlers_.clear();
}

int CommandCatalogue::categoryIndex(std::string_view category) const noexcept {
  for (std::size_t i = 0; i < categories_.size(); ++i) {
    if (categories_[i].name == category) return static_cast<int>(i);
  }
  return -1;
}

const std::string* CommandCatalogue::categoryName(int index) const noexcept {
  if (index < 0 || index >= categoryCount()) return nullptr;
  return &categories_[static_cast<std::size_t>(index)].name;
}

int CommandCatalogue::commandCount(int category) const noexcept {
  if (category < 0 || category >= categoryCount()) return 0;
  return static_cast<int>(categories_[static_cast<std::size_t>(category)].commands.size());
}

int CommandCatalogue::commandIndex(int category, std::string_view command) const noexcept {
  if (category < 0 || category >= categoryCount()) return -1;
  const auto& commands = categories_[static_cast<std::size_t>(category)].commands;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (commands[i] == command) return static_cast<int>(i);
  }
  return -1;
}

const std::string* CommandCatalogue::commandName(int category, int index) const noexcept {
  if (index < 0 || index >= commandCount(category)) return nullptr;
  return &categories_[static_cast<std::size_t>(category)].commands[static_cast<std::size_t>(index)];
}

bool CommandCatalogue::knows(std::string_view category, std::string_view command) const noexcept {
  return commandIndex(categoryIndex(category), command) >= 0;
}

bool CommandCatalogue::registerCommand(const std::string& category, const std::string& command) {
  const std::pair<std::string, std::string> pair(category, command);
  if (std::find(registered_.begin(), registered_.end(), pair) != registered_.end()) return false;
  int index = categoryIndex(category);
  if (index < 0) {
    categories_.push_back({category, {}, 0});
    index = categoryCount() - 1;
  }
  Category& c = categories_[static_cast<std::size_t>(index)];
  if (commandIndex(index, command) < 0) c.commands.push_back(command);
  registered_.push_back(pair);
  return true;
}

bool CommandCatalogue::unregisterCommand(const std::string& category, const std::string& command) {
  auto found = std::find(registered_.begin(), registered_.end(), std::make_pair(category, command));
  if (found == registered_.end()) return false;
  registered_.erase(found);
  const int index = categoryIndex(category);
  Category& c = categories_[static_cast<std::size_t>(index)];
  const int at = commandIndex(index, command);
  if (at >= static_cast<int>(c.builtIn)) c.commands.erase(c.commands.begin() + at);
  if (c.commands.empty() && static_cast<std::size_t>(index) >= builtInCategories_)
    categories_.erase(categories_.begin() + index);
  return true;
}

bool CommandCatalogue::isModuleCommand(std::string_view category,
                                       std::string_view command) const noexcept {
  bool categoryOfModule = false;
  for (const auto& [c, name] : registered_) {
    if (c != category) continue;
    if (name == command) return true;
    categoryOfModule = true;
  }
  return categoryOfModule && knows(category, command);
}

bool CommandCatalogue::addHandler(Brennholt::Hox::IActionHandler* handler) {
  if (std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end()) return false;
  handlers_.push_back(handler);
  return true;
}

bool CommandCatalogue::removeHandler(Brennholt::Hox::IActionHandler* handler) noexcept {
  auto found = std::find(handlers_.begin(), handlers_.end(), handler);
  if (found == handlers_.end()) return false;
  handlers_.erase(found);
  return true;
}

}  // namespace QentSim
