// Ensemble.hox3: a module with every class shape a prober meets in one factory, in an order that
// makes stale records show (the class without extended information follows an instrument).
#include <iterator>

#include "tests/plugins/StandInComponent.h"

namespace StandIn {
namespace {

using Brennholt::kNoParentUnitId;

// Sixteen visible units; eight of them fill a 128-unit text field without a terminator.
#define SIXTEEN u"0123456789abcdef"
#define FULL_FIELD(first16) first16 SIXTEEN SIXTEEN SIXTEEN SIXTEEN SIXTEEN SIXTEEN SIXTEEN

const UnitSpec kKeysUnits[] = {
    {0, kNoParentUnitId, u"Root"},
    {1, 0, u"Layer A"},
    {2, 1, u"Filter"},
    {3, 0, u"Lost", true},
    {4, 1, FULL_FIELD(u"Section ........")},
    {5, 1, nullptr},
};

const ParamSpec kKeysParams[] = {
    {0, u"Volume", 0, true},
    {12, u"Cutoff", 2, true},
    {5, u"Hidden", 0, false},
    {6, u"Refused", 0, true, true},
    {7, u"Tab\tLine\r\nEnd", 1, true},
    {8, u"Caf\u00e9 \u00fc", 0, true},
    {9, u"\u03a9mega\u4e41", 0, true},
    {10, u"Gain\u0100Trim", 0, true},
    {11, u"\u0200Nothing", 0, true},
    {2147483647, u"Wrap", 0, true},
    {4294967295u, u"Last", 0, true},
    {13, u"", 0, true, false, Title::kLinkStatus},
    {14, u"", 0, true, false, Title::kHostStatus},
    {15, FULL_FIELD(u"Long title ....."), 4, true},
    {16, u"Lost", 3, true},
    {17, u"Orphan", 99, true},
    {18, u"", 0, true},
    {19, u"Del\u007f", 0, true},
    {20, u"Carried", 5, true},
};

const ParamSpec kEchoParams[] = {{0, u"Time", 0, true}};

const ParamSpec kOrganParams[] = {
    {1, u"Drawbar", 7, true},
    {2, u"", 0, true, false, Title::kSingleStatus},
};

const UnitSpec kBrokenUnits[] = {{0, kNoParentUnitId, u"Root"}};
const ParamSpec kBrokenParams[] = {{0, u"Never", 0, true}};

// Outer and Inner are each other's parent; Self is its own.
const UnitSpec kLoopUnits[] = {
    {0, kNoParentUnitId, u"Root"},
    {1, 2, u"Outer"},
    {2, 1, u"Inner"},
    {3, 3, u"Self"},
};
const ParamSpec kLoopParams[] = {
    {0, u"Ring", 1, true},
    {1, u"Mirror", 3, true},
};

const ParamSpec kBassParams[] = {{3, u"Drive", 0, true}};

#define NO_UNITS nullptr, 0

const ClassSpec kClasses[] = {
    {"Keys", "Audio Module Class", "Instrument|Synth", Shape::kSeparate, kKeysParams,
     std::size(kKeysParams), kKeysUnits, std::size(kKeysUnits), true},
    {"Quiet", "Audio Module Class", "Instrument", Shape::kNoClassInfo, kBassParams, 1, NO_UNITS,
     false},
    {"Echo", "Audio Module Class", "Fx|Delay", Shape::kSeparate, kEchoParams, 1, NO_UNITS, false},
    {"Organ", "Audio Module Class", "Fx|Instrument", Shape::kSingleObject, kOrganParams,
     std::size(kOrganParams), NO_UNITS, false},
    {"Broken", "Audio Module Class", "Instrument", Shape::kSeparate, kBrokenParams, -1,
     kBrokenUnits, 1, true},
    {"Loop", "Audio Module Class", "Instrument", Shape::kSeparate, kLoopParams,
     std::size(kLoopParams), kLoopUnits, std::size(kLoopUnits), true},
    {"Synth", "Audio Module Class", "Synth|Keys", Shape::kSeparate, kBassParams, 1, NO_UNITS,
     false},
    {"Sampler", "Component Controller Class", "Instrument", Shape::kSeparate, kBassParams, 1,
     NO_UNITS, false},
    {"Lower", "Audio Module Class", "instrument", Shape::kSeparate, kBassParams, 1, NO_UNITS,
     false},
    {"Ghost", "Audio Module Class", "Instrument", Shape::kNotCreatable, kBassParams, 1, NO_UNITS,
     false},
    {"Mute", "Audio Module Class", "Instrument", Shape::kNoController, kBassParams, 1, NO_UNITS,
     false},
    {"Faulty", "Audio Module Class", "Instrument", Shape::kSeparate, kBassParams, 1, kBrokenUnits,
     -1, true},
    {"Soft\tPads", "Audio Module Class", "Instrument", Shape::kSeparate, nullptr, 0, NO_UNITS,
     false},
    {"Bass", "Audio Module Class", "Instrument", Shape::kSeparate, kBassParams, 1, NO_UNITS, false},
};

}  // namespace

const ModuleSpec standInModule = {"Ensemble", kClasses, std::size(kClasses), true, false};

}  // namespace StandIn
