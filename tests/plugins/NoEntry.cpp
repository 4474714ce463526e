// NoEntry.dll: a loadable module with an XML description but neither entry function.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("NoEntry"), true);

}  // namespace

// Something to export, so the module is not empty of symbols.
STANDIN_EXPORT int StandInVersion() { return 1; }
