// One instrument with one parameter. Built several times: as Tripwire.hox3, whose copies under
// the names a prober must never load show by their load marker whether it did; and, through
// compile definitions, as modules whose exports refuse to cooperate.
#include "tests/plugins/StandInComponent.h"

#ifndef STANDIN_TAG
#define STANDIN_TAG "Tripwire"
#endif
#ifndef STANDIN_INIT_ANSWERS
#define STANDIN_INIT_ANSWERS true
#endif
#ifndef STANDIN_NULL_FACTORY
#define STANDIN_NULL_FACTORY false
#endif

namespace StandIn {
namespace {

const ParamSpec kParams[] = {{0, u"Armed", 0, true}};

const ClassSpec kClasses[] = {
    {"Tripwire", "Audio Module Class", "Instrument", Shape::kSeparate, kParams, 1, nullptr, 0,
     false},
};

}  // namespace

const ModuleSpec standInModule = {STANDIN_TAG, kClasses, 1, STANDIN_INIT_ANSWERS,
                                  STANDIN_NULL_FACTORY};

}  // namespace StandIn
