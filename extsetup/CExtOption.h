// The setup's option flags. There is one, JogStop (index 0): when set, the keyboard's jog dial
// stops at once instead of slowing down gradually. Options are kept in their own settings
// section, "<setup key> Extension Settings". Used on the host thread only.
#pragma once

#include <array>

#include "base/String.h"
#include "core/Types.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

class CExtOption {
 public:
  static constexpr int32 kJogStop = 0;
  static constexpr int32 kOptionCount = 1;

  // Keeps the host (not owned) and forms the section from the setup key; then reads JogStop
  // from the settings (set when missing, any non-zero value sets it) and writes it back at once.
  // Nothing happens when host or setupKey is null.
  void initialise(Hox::IHostKernel* host, const char8* setupKey);

  // The flag of option index; false, out unchanged, for an unknown index.
  bool option(int32 index, bool& out) const;
  // Sets the flag of option index and writes it to the settings at once; false, nothing
  // changed, for an unknown index.
  bool setOption(int32 index, bool flag);

  // The settings section of the options; empty before initialise.
  const String& optionSection() const { return section_; }

 private:
  void writeJogStop() const;

  Hox::IHostKernel* host_ = nullptr;  // not owned
  std::array<bool, kOptionCount> flags_{true};
  String section_;
};

}  // namespace Brennholt
