// The assignment table of the keyboard's assignable buttons: memoryCount memories of buttonCount
// buttons, each a CommandAssignment, with the factory table a reset restores, the button and
// memory names, and the current memory and button.
//
// Every operation that reads or writes assignments works on a well-formed memory only (see
// isMemoryWellFormed) and otherwise does nothing: false, or an empty text. Texts handed out stay
// valid until the next change of the model. Used on the host thread only.
#pragma once

#include <vector>

#include "base/String.h"
#include "core/Types.h"
#include "extsetup/CommandAssignment.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

class CUserCmdInfo {
 public:
  static constexpr int32 kMaxMemories = 20;
  static constexpr int32 kMaxButtons = 50;

  // Sets up the tables. Refused (false, nothing changed) when host, setupKey, buttonNames
  // or factoryAssignments is null, a count is 0 or less, or a table given has fewer entries
  // than the limited counts need. Counts above kMaxMemories and kMaxButtons are limited to
  // them; only the first rows and entries of the tables given are used. factoryMemoryNames may
  // be null: the memories then have empty names. With a single memory its name is empty. The
  // host is not owned and must outlive the model. The current memory and button become 0 and
  // the assignments start empty; the caller fills them.
  bool initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                  int32 buttonCount, const std::vector<String>* buttonNames,
                  const std::vector<String>* factoryMemoryNames,
                  const AssignmentTable* factoryAssignments);

  // True when memory is in range and its row has exactly buttonCount entries (at least one).
  bool isMemoryWellFormed(int32 memory) const;

  int32 memoryCount() const { return memoryCount_; }
  int32 buttonCount() const { return buttonCount_; }
  int32 currentMemory() const { return currentMemory_; }
  int32 currentButton() const { return currentButton_; }
  const String& setupKey() const { return setupKey_; }

  // Name of the current memory; empty when there is none.
  const char8* memoryName() const;
  // Name of button b ("SF1" ...); empty when b is out of range.
  const char8* buttonName(int32 button) const;
  // One field of button b in the current memory; empty when out of range.
  const char8* category(int32 button) const;
  const char8* action(int32 button) const;
  const char8* displayName(int32 button) const;
  // All three fields of button b in the current memory; false, out unchanged, when out of range.
  bool assignment(int32 button, CommandAssignment& out) const;

  // Makes m the current memory. False, nothing changed, when m is out of range, is already
  // current, or the model has no host.
  bool selectMemory(int32 memory);
  // Makes b the current button; ignored when out of range.
  void selectButton(int32 button);
  // Sets one field of button b in the current memory; null clears it. False when out of range
  // or out of memory, the old text kept.
  bool setCategory(int32 button, const char8* text);
  bool setAction(int32 button, const char8* text);
  bool setDisplayName(int32 button, const char8* text);
  // Renames the current memory; null clears the name. False when there is no current memory,
  // the model has no host, or memory runs out.
  bool setMemoryName(const char8* text);
  // Restores the current memory's assignments from the factory table and, with more than one
  // memory, its name from the factory name. Other memories, the current memory and button are
  // unchanged. False, nothing changed, when the current memory is not well formed or the
  // factory table or names do not cover every memory.
  bool resetCurrentMemory();

 protected:
  Hox::IHostKernel* host() const { return host_; }
  // The memory-name list, which has memoryCount entries once initialised.
  std::vector<String>& memoryNames() { return memoryNames_; }
  const std::vector<String>& memoryNames() const { return memoryNames_; }
  size_t buttonNameCount() const { return buttonNames_.size(); }
  // The entry of a well-formed memory, or null.
  CommandAssignment* assignmentAt(int32 memory, int32 button);
  // The factory entry, or null.
  const CommandAssignment* factoryAssignment(int32 memory, int32 button) const;

 private:
  void clear();
  const CommandAssignment* find(int32 memory, int32 button) const;
  bool setField(int32 button, String CommandAssignment::*field, const char8* text);

  Hox::IHostKernel* host_ = nullptr;  // not owned
  String setupKey_;
  int32 memoryCount_ = 0;
  int32 buttonCount_ = 0;
  AssignmentTable assignments_;
  AssignmentTable factoryAssignments_;
  std::vector<String> buttonNames_;
  int32 currentButton_ = 0;
  int32 currentMemory_ = 0;
  std::vector<String> memoryNames_;
  std::vector<String> factoryMemoryNames_;
};

}  // namespace Brennholt
