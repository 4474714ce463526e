// The QENT6/QENT8's setup configuration: six memories of the six assignable buttons SF1 to SF6,
// their factory names and assignments, and the identity written into its setup files.
#pragma once

#include <vector>

#include "base/String.h"
#include "core/Types.h"
#include "extsetup/CommandAssignment.h"

namespace Brennholt {

struct QENT_SetupDefaults {
  static constexpr const char8* kSetupKey = "QENT";
  static constexpr int32 kMemoryCount = 6;
  static constexpr int32 kButtonCount = 6;

  // The command that opens the setup panel; memory 1 assigns it to SF6.
  static constexpr const char8* kSetupCategory = "QENT6/QENT8";
  static constexpr const char8* kSetupCommand = "QENT6/QENT8 Extension Setup";

  static constexpr const char8* kFileModelName = "Talvane QENT6/QENT8";
  static constexpr const char8* kExtensionVersion = "1.0.6";
  // Files of the predecessor keyboard are read as they are.
  static constexpr const char8* kPredecessorModelName = "Talvane ZAL6/ZAL8";

  // Host edition codes whose factory table opens the clip vault on memory 2, SF4: the
  // hardware-companion edition and the entry editions.
  static constexpr int32 kHardwareCompanionEdition = 2;
  static constexpr int32 kEntryEdition = 3;

  // "SF1" ... "SF6".
  static std::vector<String> buttonNames();
  // The six memories' factory names.
  static std::vector<String> factoryMemoryNames();
  // kMemoryCount rows of kButtonCount assignments for a host of that edition code.
  static AssignmentTable factoryAssignments(int32 hostEdition);
};

}  // namespace Brennholt
