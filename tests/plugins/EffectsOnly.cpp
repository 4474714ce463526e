// EffectsOnly.hox3: classes that come close to an instrument without being one.
#include "tests/plugins/StandInComponent.h"

namespace StandIn {
namespace {

const ParamSpec kParams[] = {{0, u"Mix", 0, true}};

const ClassSpec kClasses[] = {
    {"Echo", "Audio Module Class", "Fx|Delay", Shape::kSeparate, kParams, 1, nullptr, 0, false},
    {"Quiet", "Audio Module Class", "Instrument", Shape::kNoClassInfo, kParams, 1, nullptr, 0,
     false},
    {"Sampler", "Component Controller Class", "Instrument", Shape::kSeparate, kParams, 1, nullptr,
     0, false},
    {"Lower", "Audio Module Class", "instrument|Synth", Shape::kSeparate, kParams, 1, nullptr, 0,
     false},
};

}  // namespace

const ModuleSpec standInModule = {"EffectsOnly", kClasses, 4, true, false};

}  // namespace StandIn
