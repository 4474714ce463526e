#include "extsetup/CExtOption.h"

#include <cstdio>

namespace Brennholt {

void CExtOption::initialise(Hox::IHostKernel* host, const char8* setupKey) {
  if (!host || !setupKey) return;
  // Section names are at most 255 characters; a longer key is cut.
  char8 section[256];
  std::snprintf(section, sizeof(section), "%s Extension Settings", setupKey);
  host_ = host;
  section_.assign(section);
  flags_[kJogStop] = true;
}

bool CExtOption::option(int32 index, bool& out) const {
  if (index < 0 || index >= kOptionCount) return false;
  out = flags_[index];
  return true;
}

bool CExtOption::setOption(int32 index, bool flag) {
  if (index < 0 || index >= kOptionCount) return false;
  flags_[index] = flag;
  return true;
}

}  // namespace Brennholt
