#include "extsetup/CExtOption.h"

#include <cstdio>

#include "extsetup/SetupSettings.h"

namespace Brennholt {

namespace {
constexpr const char8* kJogStopKey = "JogStop";
}  // namespace

void CExtOption::initialise(Hox::IHostKernel* host, const char8* setupKey) {
  if (!host || !setupKey) return;
  // Section names are at most 255 characters; a longer key is cut.
  char8 section[256];
  std::snprintf(section, sizeof(section), "%s Extension Settings", setupKey);
  host_ = host;
  section_.assign(section);
  int32 stored = 1;
  SetupSettings(host).getInteger(section_.text8(), kJogStopKey, stored);
  flags_[kJogStop] = stored != 0;
  writeJogStop();
}

void CExtOption::writeJogStop() const {
  if (!host_) return;
  SetupSettings(host_).setInteger(section_.text8(), kJogStopKey, flags_[kJogStop] ? 1 : 0);
}

bool CExtOption::option(int32 index, bool& out) const {
  if (index < 0 || index >= kOptionCount) return false;
  out = flags_[index];
  return true;
}

bool CExtOption::setOption(int32 index, bool flag) {
  if (index < 0 || index >= kOptionCount) return false;
  flags_[index] = flag;
  if (index == kJogStop) writeJogStop();
  return true;
}

}  // namespace Brennholt
