// Empty.dll: a single-entry instrument without parameters.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

const StandIn::SingleEntrySpec kSpec = {"Empty", Brennholt::kSingleEntryCategoryInstrument, nullptr,
                                        0};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("Empty"), true);

}  // namespace

STANDIN_EXPORT Brennholt::SingleEntryDescriptor* HOXPluginMain(
    Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}
