// Text conversion on Windows: MultiByteToWideChar and WideCharToMultiByte; invalid input fails.
#include <windows.h>

#include "platform/Platform.h"

namespace Brennholt::Platform {

int32 multiByteToWide(uint32 codePage, const char* source, int32 sourceLength, char16* destination,
                      int32 capacity) {
  if (!source || sourceLength == 0 || sourceLength < -1 || capacity < 0) return 0;
  if (!destination) capacity = 0;
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, source, sourceLength,
                             reinterpret_cast<wchar_t*>(destination), capacity);
}

int32 wideToMultiByte(uint32 codePage, const char16* source, int32 sourceLength, char* destination,
                      int32 capacity) {
  if (!source || sourceLength == 0 || sourceLength < -1 || capacity < 0) return 0;
  if (!destination) capacity = 0;
  // Only UTF-8 can report invalid input; other code pages put their default character in
  // place of what they lack.
  DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  return WideCharToMultiByte(codePage, flags, reinterpret_cast<const wchar_t*>(source),
                             sourceLength, destination, capacity, nullptr, nullptr);
}

}  // namespace Brennholt::Platform
