// NullEntry.dll: the newer entry answers no plug-in. The older one would, but a prober must not
// fall back to it once the newer one is exported.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

const StandIn::SingleEntryParam kParams[] = {{"Fallback", true}};

const StandIn::SingleEntrySpec kSpec = {"NullEntry", Brennholt::kSingleEntryCategoryInstrument,
                                        kParams, 1};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("NullEntry"), true);

}  // namespace

STANDIN_EXPORT Brennholt::SingleEntryDescriptor* HOXPluginMain(Brennholt::SingleEntryHostCallback) {
  StandIn::trace("NullEntry null entry");
  return nullptr;
}

STANDIN_EXPORT STANDIN_OLD_MAIN(NullEntryOldMain);
Brennholt::SingleEntryDescriptor* NullEntryOldMain(Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}
