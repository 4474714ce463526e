// Lists the parameters of a single-entry plug-in: loads the module, optionally copies its
// embedded XML description, creates the plug-in and, for an instrument, appends one record
// named after the file.
#pragma once

#include <cstdint>
#include <string>

#include "finder/CInstrumentInfoFinder.h"
#include "sdk/SingleEntry.h"

namespace Brennholt::Hox {

// What the finder answers a plug-in that calls back: the supported version of the standard,
// 0 for everything else. Keeps no state, so calls from inside a dispatch are harmless.
// [main thread]
extern "C" std::intptr_t hostCallback(SingleEntryDescriptor* plugin, int32 opcode, int32 index,
                                      std::intptr_t value, void* data, float option);

class LegacyParamFinder {
 public:
  // Both are borrowed; xmlDumpPath may be null.
  LegacyParamFinder(CInstrumentInfoFinder* driver, const char* xmlDumpPath);

  // Returns kExitDone, kExitNotLoadable, kExitNoEntry, kExitUnusable (also when the plug-in
  // throws) or kExitNoInstrument.
  int find(const char* pluginPath);

  // Room given to a plug-in for one parameter name, far beyond the documented 256 bytes,
  // which some plug-ins overrun; the name kept is cut at kMaxParameterName bytes.
  static constexpr size_t kNameBufferSize = 8192;
  static constexpr size_t kMaxParameterName = 255;

 private:
  // Creates the plug-in through its entry, reads it and closes it; passes on what it throws.
  int probe(SingleEntryMainProc entry);

  CInstrumentInfoFinder* driver_;
  const char* xmlDumpPath_;
  std::string moduleName_;  // the record's name: the file name without folder and extension
};

}  // namespace Brennholt::Hox
