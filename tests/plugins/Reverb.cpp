// Reverb.dll: a single-entry effect that carries an XML description.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

const StandIn::SingleEntryParam kParams[] = {{"Size", true}, {"Damping", true}};

const StandIn::SingleEntrySpec kSpec = {"Reverb", Brennholt::kSingleEntryCategoryEffect, kParams,
                                        2};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("Reverb"), true);

}  // namespace

STANDIN_EXPORT Brennholt::SingleEntryDescriptor* HOXPluginMain(
    Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}
