// The setup window's GUI values: each made by the host (through its create-instance operation),
// attached to one owner with the value's tag, and kept under the skin's control name. Values are
// found by tag (the first whose value reports it) or by name (exact match).
//
// The container holds the one reference it got for each value and, when destroyed, detaches the
// owner from every value and releases them, so a value the host still holds never calls back an
// owner that is gone. Host thread only.
#pragma once

#include "base/PValueList.h"
#include "core/FUnknown.h"
#include "core/Types.h"
#include "sdk/host/PanelServices.h"
#include "sdk/host/SetupServices.h"

namespace Brennholt {

class PValueContainer {
 public:
  // `host` is the host context that makes the values (it answers IHostClasses); `owner` is told
  // of their changes and is not referenced. [host thread]
  PValueContainer(FUnknown* host, Hox::IPlugController* owner);
  // Detaches the owner from every value and releases them. [host thread]
  ~PValueContainer();
  PValueContainer(const PValueContainer&) = delete;
  PValueContainer& operator=(const PValueContainer&) = delete;

  // Makes a value of `valueClass`, attaches the owner with `tag` and keeps it under `name`.
  // The value (no reference added), or null when the host made none or memory ran out.
  // [host thread]
  Hox::IGuiValue* add(const FUID& valueClass, int32 tag, const char8* name);

  // The first value reporting `tag` / kept under `name`; null when there is none.
  // [host thread]
  Hox::IGuiValue* findByTag(int32 tag) const;
  Hox::IGuiValue* findByName(const char8* name) const;

 private:
  IPtr<Hox::IHostClasses> classes_;
  Hox::IPlugController* owner_;  // not owned
  mutable PValueList values_;    // entries hold IGuiValue objects
};

}  // namespace Brennholt
