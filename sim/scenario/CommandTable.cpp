#include "sim/scenario/CommandTable.h"

#include <algorithm>

#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// Every command, once: the groups in the order of the sections help shows.
std::vector<const CommandRow*> joinRows() {
  std::vector<const CommandRow*> rows;
  for (std::span<const CommandRow> group :
       {setUpRows(), lifeCycleRows(), timeRows(), keyboardRows(), hostRows(), keyboardCheckRows(),
        hostCheckRows(), outputRows()}) {
    for (const CommandRow& row : group) rows.push_back(&row);
  }
  return rows;
}

const std::vector<const CommandRow*>& rows() {
  static const std::vector<const CommandRow*> joined = joinRows();
  return joined;
}

struct SectionTitle {
  Section section;
  const char* title;
};

constexpr SectionTitle kSections[] = {
    {Section::kSetUp, "set-up (before start; kept across restart)"},
    {Section::kLifeCycle, "life cycle"},
    {Section::kTime, "time"},
    {Section::kKeyboard, "keyboard"},
    {Section::kHost, "host"},
    {Section::kCheck, "checks (settle first, then look)"},
    {Section::kOther, "other"},
};

// Help starts a command's line of help in this column, or on the next line when its usage is
// longer, and wraps it before this width.
constexpr std::size_t kHelpColumn = 40;
constexpr std::size_t kWidth = 100;

std::string_view verbOf(std::string_view name) { return name.substr(0, name.find(' ')); }

}  // namespace

std::span<const CommandRow* const> CommandTable::all() { return rows(); }

const CommandRow* CommandTable::find(std::string_view name) {
  const auto found = std::find_if(rows().begin(), rows().end(),
                                  [name](const CommandRow* row) { return row->name == name; });
  return found == rows().end() ? nullptr : *found;
}

std::vector<const CommandRow*> CommandTable::family(std::string_view verb) {
  std::vector<const CommandRow*> members;
  for (const CommandRow* row : rows()) {
    const std::string_view name = row->name;
    if (name.size() > verb.size() && verbOf(name) == verb) members.push_back(row);
  }
  return members;
}

std::string CommandTable::usage(const CommandRow& row) {
  const std::string_view name = row.name;
  const std::string_view verb = verbOf(name);
  std::string out(verb);
  if (row.addressing == Addressing::kKeyboard) out += "[@K]";
  out += name.substr(verb.size());
  if (*row.syntax != '\0') out.append(" ").append(row.syntax);
  return out;
}

std::string CommandTable::synopsis() {
  std::string out;
  for (const SectionTitle& section : kSections) {
    out.append(section.title).append(":\n");
    for (const CommandRow* row : rows()) {
      if (row->section != section.section) continue;
      std::string line = "  " + usage(*row);
      if (line.size() + 2 > kHelpColumn) {
        out.append(line).append("\n");
        line.clear();
      }
      // The help, word by word, wrapped into its column.
      std::string_view help = row->help;
      while (!help.empty()) {
        line.resize(kHelpColumn, ' ');
        std::size_t cut = help.size();
        if (kHelpColumn + cut > kWidth) {
          cut = help.rfind(' ', kWidth - kHelpColumn);
          if (cut == std::string_view::npos) cut = help.size();
        }
        out.append(line).append(help.substr(0, cut)).append("\n");
        help.remove_prefix(std::min(help.size(), cut + 1));
        line.clear();
      }
    }
  }
  return out;
}

}  // namespace QentSim
