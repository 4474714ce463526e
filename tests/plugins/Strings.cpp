// Strings.dll: a single-entry instrument exporting both entries; only the newer one answers, so a
// prober that prefers "main" finds nothing.
#include <iterator>

#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

using StandIn::NameKind;

const StandIn::SingleEntryParam kParams[] = {
    {"Attack", true},
    {"Secret", false},
    {"Release", true},
    {"", true},
    {"", true, NameKind::kOverlong},
    {"Tab\tName\x7f\xe9", true},
    {"", true, NameKind::kHostInfo},
};

const StandIn::SingleEntrySpec kSpec = {"Strings", Brennholt::kSingleEntryCategoryInstrument,
                                        kParams, std::size(kParams)};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("Strings"), true);

}  // namespace

STANDIN_EXPORT Brennholt::SingleEntryDescriptor* HOXPluginMain(
    Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}

STANDIN_EXPORT STANDIN_OLD_MAIN(StringsOldMain);
Brennholt::SingleEntryDescriptor* StringsOldMain(Brennholt::SingleEntryHostCallback) {
  StandIn::trace("Strings main");
  return nullptr;
}
