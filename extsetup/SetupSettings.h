// The host's settings store as the extension setup reads and writes it: one store obtained from
// the host context for a run of reads or writes and released with this object. Without a store
// every read counts as missing and every write does nothing. Used on the host thread only.
#pragma once

#include "base/String.h"
#include "core/FUnknown.h"
#include "core/Types.h"
#include "sdk/host/SetupServices.h"

namespace Brennholt {

class SetupSettings {
 public:
  // Creates the store through the host context; null gives none.
  explicit SetupSettings(FUnknown* host);

  // Section and key names are at most 255 characters; longer ones are cut.
  static constexpr int32 kNameCapacity = 256;

  // The integer of the key; false, out unchanged, when it is missing.
  bool getInteger(const char8* section, const char8* key, int32& out) const;
  // The text of the key; false, out unchanged, when it is missing or memory runs out.
  bool getString(const char8* section, const char8* key, String& out) const;
  void setInteger(const char8* section, const char8* key, int32 value) const;
  void setString(const char8* section, const char8* key, const ConstString& text) const;

 private:
  IPtr<Hox::ISettingsStore> store_;
};

}  // namespace Brennholt
