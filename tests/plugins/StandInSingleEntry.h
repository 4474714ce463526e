// A stand-in single-entry plug-in described by a table. Each module source defines its table and
// its entry functions, which call createSingleEntryPlugin.
#pragma once

#include "sdk/SingleEntry.h"

// The older entry is named "main", which a C++ function cannot be; an assembler label gives the
// exported symbol that name on both platforms.
#define STANDIN_OLD_MAIN(function) \
  Brennholt::SingleEntryDescriptor* function(Brennholt::SingleEntryHostCallback) __asm__("main")

namespace StandIn {

using Brennholt::int32;

// How a parameter names itself.
enum class NameKind {
  kFixed,     // the text in SingleEntryParam::name
  kOverlong,  // 300 letters and a terminator, past the documented 256-byte buffer
  kHostInfo,  // "Host <version>/<other>": what the host callback answered
};

struct SingleEntryParam {
  const char* name;
  bool automatable;
  NameKind kind = NameKind::kFixed;
};

struct SingleEntrySpec {
  const char* tag;  // names the module in trace lines
  int32 category;
  const SingleEntryParam* params;
  int32 paramCount;
  // Count shown until the first name is asked for, when it becomes paramCount; negative means
  // paramCount from the start.
  int32 countAtOpen = -1;
};

// Creates the plug-in; its descriptor lives until the host sends close.
Brennholt::SingleEntryDescriptor* createSingleEntryPlugin(const SingleEntrySpec& spec,
                                                          Brennholt::SingleEntryHostCallback host);

// Traces the module's load and, at unload, how many plug-ins were never closed.
void traceModuleLife(const char* tag);

}  // namespace StandIn
