// The older single-entry plug-in standard: a module exports one entry function that returns a
// plug-in descriptor, and every request to the plug-in passes through the descriptor's dispatch
// function as a numeric opcode. The plug-in calls back into the host through a function of the
// same form.
//
// The descriptor is owned by the plug-in and stays valid from the entry call until the host
// sends kSingleEntryClose. A host reads only the fields at fixed offsets asserted below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Types.h"

namespace Brennholt {

struct SingleEntryDescriptor;

extern "C" {
// Dispatch function of the plug-in and callback of the host share this form:
// (descriptor, opcode, index, value, data, option) -> result.
using SingleEntryDispatchProc = std::intptr_t (*)(SingleEntryDescriptor* plugin, int32 opcode,
                                                  int32 index, std::intptr_t value, void* data,
                                                  float option);
using SingleEntryHostCallback = SingleEntryDispatchProc;
// The module's entry ("HOXPluginMain", or "main" in older modules): creates the plug-in and
// returns its descriptor, or null when there is none. [main thread]
using SingleEntryMainProc = SingleEntryDescriptor* (*)(SingleEntryHostCallback host);
}

inline constexpr const char* kSingleEntryMainName = "HOXPluginMain";
inline constexpr const char* kSingleEntryOldMainName = "main";

struct SingleEntryDescriptor {
  int32 magic;  // the plug-in's own tag; not checked by the host
  int32 reserved0;
  SingleEntryDispatchProc dispatcher;  // every request goes through here [main thread]
  void* reserved1[3];
  int32 programCount;
  int32 parameterCount;  // may change while the plug-in is open
  int32 reserved2[6];
  void* plugInData;  // the plug-in's own object, never touched by the host
};
static_assert(offsetof(SingleEntryDescriptor, dispatcher) == 8);
static_assert(offsetof(SingleEntryDescriptor, parameterCount) == 44);

// Opcodes the host sends to the plug-in's dispatcher. Value is 0 and option 0.0 for all of them.
enum SingleEntryOpcode : int32 {
  kSingleEntryOpen = 0,              // index 0, data null; result ignored
  kSingleEntryClose = 1,             // index 0, data null; result ignored; the descriptor ends
  kSingleEntryGetParameterName = 8,  // index = parameter; data = zero-filled text buffer
  kSingleEntryCanBeAutomated = 26,   // index = parameter; non-zero = yes
  kSingleEntryGetCategory = 35,      // result: a SingleEntryCategory
};

// The documented size of the parameter-name buffer: a name of at most 255 bytes and its
// terminator. Plug-ins are known to write past it, so hosts hand over more and cut the name.
inline constexpr int32 kSingleEntryParameterNameSize = 256;

enum SingleEntryCategory : int32 {
  kSingleEntryCategoryUnknown = 0,
  kSingleEntryCategoryEffect = 1,
  kSingleEntryCategoryInstrument = 2,
};

// Opcodes a plug-in may send to the host callback.
enum SingleEntryHostOpcode : int32 {
  kSingleEntryHostVersion = 1,  // the host's supported version of the standard
};

inline constexpr std::intptr_t kSingleEntryHostVersionNumber = 2400;

}  // namespace Brennholt
