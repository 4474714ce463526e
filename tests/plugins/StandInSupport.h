// Small helpers shared by the stand-in plug-in modules that the probe tests load: export
// decoration, the trace file through which a module reports what a prober did to it, a count of
// live objects, and 16-bit text copying into fixed fields.
//
// Everything here is compiled into each module on its own; the modules link nothing else of ours.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Types.h"

// Exports are listed in a .def file on Windows; elsewhere they need default visibility, since
// our targets hide everything else.
#if defined(_WIN32)
#define STANDIN_EXPORT extern "C"
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace StandIn {

using Brennholt::char16;
using Brennholt::int32;
using Brennholt::uint32;

// Names the file that trace lines go to; unset means no tracing.
inline constexpr const char* kTraceVariable = "PROBE_TRACE";

// Appends one line to the trace file. Opened and closed per line so that nothing is lost when
// the prober ends the process abruptly.
inline void trace(const std::string& line) {
  const char* path = std::getenv(kTraceVariable);
  if (path == nullptr || *path == '\0') return;
  if (FILE* file = std::fopen(path, "ab")) {
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

// Number of reference-counted objects of this module that are still alive; a prober that
// forgets a release leaves it above zero when the module is unloaded.
inline std::atomic<int32>& liveObjects() {
  static std::atomic<int32> count{0};
  return count;
}

// Copies zero-terminated 16-bit text into a field of `capacity` units. The terminator is written
// only when it fits, so a text of exactly `capacity` units fills the field completely.
inline void copyText16(char16* field, int32 capacity, const char16* text) {
  int32 i = 0;
  for (; text != nullptr && text[i] != 0 && i < capacity; ++i) field[i] = text[i];
  if (i < capacity) field[i] = 0;
}

// 16-bit copy of ASCII text, for comparisons with what the host hands back.
inline std::u16string widen(const char* text) {
  std::u16string out;
  for (; text != nullptr && *text != '\0'; ++text) out.push_back(static_cast<char16>(*text));
  return out;
}

}  // namespace StandIn
