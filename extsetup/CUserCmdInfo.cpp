#include "extsetup/CUserCmdInfo.h"

#include <algorithm>
#include <new>

namespace Brennholt {

namespace {

// Whether the caller's table has at least `memories` rows of at least `buttons` entries.
bool covers(const AssignmentTable& table, int32 memories, int32 buttons) {
  if (table.size() < static_cast<size_t>(memories)) return false;
  for (int32 m = 0; m < memories; ++m) {
    if (table[m].size() < static_cast<size_t>(buttons)) return false;
  }
  return true;
}

}  // namespace

bool CUserCmdInfo::initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                              int32 buttonCount, const std::vector<String>* buttonNames,
                              const std::vector<String>* factoryMemoryNames,
                              const AssignmentTable* factoryAssignments) {
  if (!host || !setupKey || !buttonNames || !factoryAssignments) return false;
  if (memoryCount <= 0 || buttonCount <= 0) return false;
  const int32 memories = std::min(memoryCount, kMaxMemories);
  const int32 buttons = std::min(buttonCount, kMaxButtons);
  // Short tables would be read past their end.
  if (buttonNames->size() < static_cast<size_t>(buttons)) return false;
  if (factoryMemoryNames && factoryMemoryNames->size() < static_cast<size_t>(memories)) {
    return false;
  }
  if (!covers(*factoryAssignments, memories, buttons)) return false;

  clear();
  try {
    host_ = host;
    setupKey_.assign(setupKey);
    assignments_.assign(memories, std::vector<CommandAssignment>(buttons));
    factoryAssignments_.assign(memories, std::vector<CommandAssignment>(buttons));
    memoryNames_.assign(memories, String());
    buttonNames_.assign(buttonNames->begin(), buttonNames->begin() + buttons);
    if (factoryMemoryNames) {
      factoryMemoryNames_.assign(factoryMemoryNames->begin(),
                                 factoryMemoryNames->begin() + memories);
    }
    for (int32 m = 0; m < memories; ++m) {
      // A single memory carries no name.
      if (memories > 1 && factoryMemoryNames) memoryNames_[m] = factoryMemoryNames_[m];
      for (int32 b = 0; b < buttons; ++b) factoryAssignments_[m][b] = (*factoryAssignments)[m][b];
    }
  } catch (const std::bad_alloc&) {
    clear();
    return false;
  }
  memoryCount_ = memories;
  buttonCount_ = buttons;
  return true;
}

void CUserCmdInfo::clear() {
  host_ = nullptr;
  setupKey_ = String();
  memoryCount_ = 0;
  buttonCount_ = 0;
  assignments_.clear();
  factoryAssignments_.clear();
  buttonNames_.clear();
  currentButton_ = 0;
  currentMemory_ = 0;
  memoryNames_.clear();
  factoryMemoryNames_.clear();
}

bool CUserCmdInfo::isMemoryWellFormed(int32 memory) const {
  return memory >= 0 && memory < memoryCount_ && buttonCount_ >= 1 &&
         assignments_.size() == static_cast<size_t>(memoryCount_) &&
         assignments_[memory].size() == static_cast<size_t>(buttonCount_);
}

const char8* CUserCmdInfo::memoryName() const {
  if (currentMemory_ < 0 || static_cast<size_t>(currentMemory_) >= memoryNames_.size()) return "";
  return memoryNames_[currentMemory_].text8();
}

const char8* CUserCmdInfo::buttonName(int32 button) const {
  if (button < 0 || static_cast<size_t>(button) >= buttonNames_.size()) return "";
  return buttonNames_[button].text8();
}

const char8* CUserCmdInfo::category(int32 button) const {
  const CommandAssignment* a = find(currentMemory_, button);
  return a ? a->category.text8() : "";
}

const char8* CUserCmdInfo::action(int32 button) const {
  const CommandAssignment* a = find(currentMemory_, button);
  return a ? a->action.text8() : "";
}

const char8* CUserCmdInfo::displayName(int32 button) const {
  const CommandAssignment* a = find(currentMemory_, button);
  return a ? a->display.text8() : "";
}

bool CUserCmdInfo::assignment(int32 button, CommandAssignment& out) const {
  const CommandAssignment* a = find(currentMemory_, button);
  if (!a) return false;
  out = *a;
  return true;
}

bool CUserCmdInfo::selectMemory(int32 memory) {
  if (memory < 0 || memory >= memoryCount_ || !host_ || memory == currentMemory_) return false;
  currentMemory_ = memory;
  return true;
}

void CUserCmdInfo::selectButton(int32 button) {
  if (button >= 0 && button < buttonCount_) currentButton_ = button;
}

bool CUserCmdInfo::setField(int32 button, String CommandAssignment::*field, const char8* text) {
  CommandAssignment* a = assignmentAt(currentMemory_, button);
  return a && (a->*field).assign(text);
}

bool CUserCmdInfo::setCategory(int32 button, const char8* text) {
  return setField(button, &CommandAssignment::category, text);
}

bool CUserCmdInfo::setAction(int32 button, const char8* text) {
  return setField(button, &CommandAssignment::action, text);
}

bool CUserCmdInfo::setDisplayName(int32 button, const char8* text) {
  return setField(button, &CommandAssignment::display, text);
}

bool CUserCmdInfo::setMemoryName(const char8* text) {
  if (memoryNames_.size() != static_cast<size_t>(memoryCount_) || currentMemory_ < 0 ||
      currentMemory_ >= memoryCount_ || !host_) {
    return false;
  }
  return memoryNames_[currentMemory_].assign(text);
}

bool CUserCmdInfo::resetCurrentMemory() {
  const int32 m = currentMemory_;
  if (!isMemoryWellFormed(m) || factoryAssignments_.size() != static_cast<size_t>(memoryCount_) ||
      factoryMemoryNames_.size() != static_cast<size_t>(memoryCount_)) {
    return false;
  }
  if (memoryCount_ > 1) memoryNames_[m] = factoryMemoryNames_[m];
  for (int32 b = 0; b < buttonCount_; ++b) {
    const CommandAssignment* factory = factoryAssignment(m, b);
    if (factory) assignments_[m][b] = *factory;
  }
  return true;
}

const CommandAssignment* CUserCmdInfo::factoryAssignment(int32 memory, int32 button) const {
  if (memory < 0 || static_cast<size_t>(memory) >= factoryAssignments_.size()) return nullptr;
  const std::vector<CommandAssignment>& row = factoryAssignments_[memory];
  if (button < 0 || static_cast<size_t>(button) >= row.size()) return nullptr;
  return &row[button];
}

const CommandAssignment* CUserCmdInfo::find(int32 memory, int32 button) const {
  if (!isMemoryWellFormed(memory) || button < 0 || button >= buttonCount_) return nullptr;
  return &assignments_[memory][button];
}

CommandAssignment* CUserCmdInfo::assignmentAt(int32 memory, int32 button) {
  return const_cast<CommandAssignment*>(find(memory, button));
}

}  // namespace Brennholt
