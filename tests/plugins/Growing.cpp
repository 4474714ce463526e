// Growing.dll: a single-entry instrument that shows one parameter until asked for its first
// name, and three from then on.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

const StandIn::SingleEntryParam kParams[] = {{"First", true}, {"Second", true}, {"Third", true}};

const StandIn::SingleEntrySpec kSpec = {"Growing", Brennholt::kSingleEntryCategoryInstrument,
                                        kParams, 3, 1};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("Growing"), true);

}  // namespace

STANDIN_EXPORT Brennholt::SingleEntryDescriptor* HOXPluginMain(
    Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}
