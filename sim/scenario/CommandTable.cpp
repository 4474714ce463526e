#include "sim/scenario/CommandTable.h"

#include <algorithm>
#include <iterator>

#include "sim/scenario/commands/HostChecks.h"
#include "sim/scenario/commands/HostCommands.h"
#include "sim/scenario/commands/KeyboardChecks.h"
#include "sim/scenario/commands/KeyboardCommands.h"
#include "sim/scenario/commands/LifeCycleCommands.h"
#include "sim/scenario/commands/OutputCommands.h"
#include "sim/scenario/commands/PanelCommands.h"
#include "sim/scenario/commands/SettingsCommands.h"
#include "sim/scenario/commands/SetupCommands.h"
#include "sim/scenario/commands/TimeCommands.h"

namespace QentSim {

namespace {

// Every command, once.
constexpr const CommandSpec* kCommands[] = {
    // set-up
    &HostIdentityCommand::spec,
    &LanguageCommand::spec,
    &KeyboardsCommand::spec,
    &PortCommand::spec,
    &ServiceCommand::spec,
    &ProjectCommand::spec,
    &SettingsCommand::spec,
    &SettingCommand::spec,
    // life cycle
    &StartCommand::spec,
    &StopCommand::spec,
    &RestartCommand::spec,
    &KillCommand::spec,
    &DetectCommand::spec,
    &UnplugCommand::spec,
    &ActivateCommand::spec,
    &DeactivateCommand::spec,
    // time
    &IdleCommand::spec,
    &AdvanceCommand::spec,
    &ClockCommand::spec,
    &SettleCommand::spec,
    &WaitCommand::spec,
    &PositionCommand::spec,
    // keyboard
    &TurnCommand::spec,
    &PressCommand::spec,
    &ReleaseCommand::spec,
    &TapCommand::spec,
    &MidiCommand::spec,
    &SysExCommand::spec,
    &KbAssignCommand::spec,
    &KbAnswerCommand::spec,
    // host
    &PageCommand::spec,
    &HostCommandCommand::spec,
    &SetCommand::spec,
    &SelectCommand::spec,
    &RouteCommand::spec,
    &RemoveCommand::spec,
    &QueryCommand::spec,
    &MenuCommand::spec,
    &PanelPressCommand::spec,
    &PanelChooseCommand::spec,
    &PanelTypeCommand::spec,
    &PanelCloseCommand::spec,
    &DialogSaveCommand::spec,
    &DialogOpenCommand::spec,
    &DialogCancelCommand::spec,
    &AlertCommand::spec,
    // checks of a keyboard
    &SentCheck::spec,
    &NotSentCheck::spec,
    &SentCountCheck::spec,
    &IdleMaxCheck::spec,
    &KnobCheck::spec,
    &LineCheck::spec,
    &TargetCheck::spec,
    &MemoryNameCheck::spec,
    &FKeyCheck::spec,
    &FlagCheck::spec,
    &LampCheck::spec,
    &BindingsCheck::spec,
    // checks of the host
    &ModeCheck::spec,
    &ExecutedCheck::spec,
    &NotExecutedCheck::spec,
    &FunctionCheck::spec,
    &PlayingCheck::spec,
    &RecordingCheck::spec,
    &MixerCheck::spec,
    &DevicesCheck::spec,
    &DeviceCheck::spec,
    &DetectCheck::spec,
    &StepCheck::spec,
    &NotStepCheck::spec,
    &ValueCheck::spec,
    &TextCheck::spec,
    &EditsCheck::spec,
    &EditCheck::spec,
    &DependentsCheck::spec,
    &AnswerCheck::spec,
    &SettingCheck::spec,
    &NoSettingCheck::spec,
    &AlertCheck::spec,
    &NoAlertCheck::spec,
    &FileCheck::spec,
    &NoFileCheck::spec,
    &PanelValueCheck::spec,
    &PanelEntriesCheck::spec,
    &PanelOpenCheck::spec,
    // output
    &ClearCommand::spec,
    &ShowCommand::spec,
    &PanelShowCommand::spec,
    &SayCommand::spec,
};

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

std::span<const CommandSpec* const> CommandTable::all() { return kCommands; }

const CommandSpec* CommandTable::find(std::string_view name) {
  const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                  [name](const CommandSpec* spec) { return spec->name == name; });
  return found == std::end(kCommands) ? nullptr : *found;
}

std::vector<const CommandSpec*> CommandTable::family(std::string_view verb) {
  std::vector<const CommandSpec*> members;
  for (const CommandSpec* spec : kCommands) {
    const std::string_view name = spec->name;
    if (name.size() > verb.size() && verbOf(name) == verb) members.push_back(spec);
  }
  return members;
}

std::string CommandTable::usage(const CommandSpec& spec) {
  const std::string_view name = spec.name;
  const std::string_view verb = verbOf(name);
  std::string out(verb);
  if (spec.addressing == Addressing::kKeyboard) out += "[@K]";
  out += name.substr(verb.size());
  if (*spec.syntax != '\0') out.append(" ").append(spec.syntax);
  return out;
}

std::string CommandTable::synopsis() {
  std::string out;
  for (const SectionTitle& section : kSections) {
    out.append(section.title).append(":\n");
    for (const CommandSpec* spec : kCommands) {
      if (spec->section != section.section) continue;
      std::string line = "  " + usage(*spec);
      if (line.size() + 2 > kHelpColumn) {
        out.append(line).append("\n");
        line.clear();
      }
      // The help, word by word, wrapped into its column.
      std::string_view help = spec->help;
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
