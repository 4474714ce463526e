// Choir.dll: an older single-entry instrument that exports only "main" and carries an XML
// description.
#include "tests/plugins/StandInSingleEntry.h"
#include "tests/plugins/StandInSupport.h"

namespace {

const StandIn::SingleEntryParam kParams[] = {{"Breath", true}, {"Vowel", true}};

const StandIn::SingleEntrySpec kSpec = {"Choir", Brennholt::kSingleEntryCategoryInstrument, kParams,
                                        2};

[[maybe_unused]] const bool traced = (StandIn::traceModuleLife("Choir"), true);

}  // namespace

STANDIN_EXPORT STANDIN_OLD_MAIN(ChoirOldMain);
Brennholt::SingleEntryDescriptor* ChoirOldMain(Brennholt::SingleEntryHostCallback host) {
  return StandIn::createSingleEntryPlugin(kSpec, host);
}
