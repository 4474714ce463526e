// AllFail.hox3: instruments that all fail once created, so a probe completes with nothing found.
#include "tests/plugins/StandInComponent.h"

namespace StandIn {
namespace {

const ParamSpec kParams[] = {{0, u"Never", 0, true}};

const ClassSpec kClasses[] = {
    {"Ghost", "Audio Module Class", "Instrument", Shape::kNotCreatable, kParams, 1, nullptr, 0,
     false},
    {"Broken", "Audio Module Class", "Instrument", Shape::kSeparate, kParams, -1, nullptr, 0,
     false},
    {"Mute", "Audio Module Class", "Instrument", Shape::kNoController, kParams, 1, nullptr, 0,
     false},
};

}  // namespace

const ModuleSpec standInModule = {"AllFail", kClasses, 3, true, false};

}  // namespace StandIn
