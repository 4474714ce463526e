// DescribedInstrument.dll: a single-entry instrument with two automatable parameters whose
// resource table the fuzz program that loaded it rewrites between probes. The table is writable
// on purpose: the program keeps the module loaded, fills the entries with its input and then
// lets the probe load the module again, which finds the same table.
#include <cstring>

#include "platform/Platform.h"
#include "sdk/SingleEntry.h"

using namespace Brennholt;

// Room for the entries the fuzz program writes and the closing entry whose type is null.
extern "C" __attribute__((visibility("default"))) HoxResourceEntry hoxResourceTable[17];
HoxResourceEntry hoxResourceTable[17] = {};

namespace {

const char* const kNames[] = {"Cutoff", "Resonance"};

std::intptr_t dispatch(SingleEntryDescriptor* plugin, int32 opcode, int32 index, std::intptr_t,
                       void* data, float) {
  switch (opcode) {
    case kSingleEntryGetCategory:
      return kSingleEntryCategoryInstrument;
    case kSingleEntryCanBeAutomated:
      return index >= 0 && index < plugin->parameterCount ? 1 : 0;
    case kSingleEntryGetParameterName:
      if (data && index >= 0 && index < plugin->parameterCount)
        std::strcpy(static_cast<char*>(data), kNames[index]);
      return 0;
    default:
      return 0;
  }
}

SingleEntryDescriptor descriptor = [] {
  SingleEntryDescriptor d{};
  d.dispatcher = &dispatch;
  d.parameterCount = 2;
  return d;
}();

}  // namespace

extern "C" __attribute__((visibility("default"))) SingleEntryDescriptor* HOXPluginMain(
    SingleEntryHostCallback) {
  return &descriptor;
}
