// Resource types and names as Windows reads them: "#n" names the integer n, any other text is
// a name that compares without regard to ASCII case. Shared by both implementations.
#pragma once

#include "core/Types.h"

namespace Brennholt::Platform {

// True when id is "#n" with n a decimal number of 16 bits; stores n.
inline bool resourceNumber(const char* id, uint16* number) {
  if (!id || id[0] != '#' || id[1] == 0) return false;
  uint32 value = 0;
  for (const char* c = id + 1; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<uint32>(*c - '0');
    if (value > 0xFFFF) return false;
  }
  if (number) *number = static_cast<uint16>(value);
  return true;
}

inline bool sameResourceId(const char* a, const char* b) {
  uint16 na = 0;
  uint16 nb = 0;
  bool numberA = resourceNumber(a, &na);
  bool numberB = resourceNumber(b, &nb);
  if (numberA || numberB) return numberA && numberB && na == nb;
  auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (; *a && *b; ++a, ++b) {
    if (fold(*a) != fold(*b)) return false;
  }
  return *a == *b;
}

}  // namespace Brennholt::Platform
