#include "remote/ElementTable.h"

namespace Brennholt {

namespace {

using Hox::ElementRecord;

constexpr uint8 kCC = 0xB0;
constexpr uint8 kNote = 0x90;
constexpr int32 kKnob = ElementTable::kKnobFlags;
constexpr int32 kButton = ElementTable::kButtonFlags;
constexpr int32 kLamp = ElementTable::kLampButtonFlags;

constexpr ElementRecord kRecords[ElementTable::kCount] = {
    {"AsgnKnob1", kCC, 0, 16, 127, kKnob},  {"AsgnKnob2", kCC, 0, 17, 127, kKnob},
    {"AsgnKnob3", kCC, 0, 18, 127, kKnob},  {"AsgnKnob4", kCC, 0, 19, 127, kKnob},
    {"AsgnKnob5", kCC, 0, 20, 127, kKnob},  {"AsgnKnob6", kCC, 0, 21, 127, kKnob},
    {"AsgnKnob7", kCC, 0, 22, 127, kKnob},  {"AsgnKnob8", kCC, 0, 23, 127, kKnob},
    {"AsgnKnob9", kCC, 0, 24, 127, kKnob},  {"AsgnKnob10", kCC, 0, 25, 127, kKnob},
    {"AsgnKnob11", kCC, 0, 26, 127, kKnob}, {"AsgnKnob12", kCC, 0, 27, 127, kKnob},
    {"EQKnob1", kCC, 0, 28, 127, kKnob},    {"EQKnob2", kCC, 0, 29, 127, kKnob},
    {"EQKnob3", kCC, 0, 30, 127, kKnob},    {"EQKnob4", kCC, 0, 31, 127, kKnob},
    {"EQKnob5", kCC, 0, 32, 127, kKnob},    {"EQKnob6", kCC, 0, 33, 127, kKnob},
    {"EQKnob7", kCC, 0, 34, 127, kKnob},    {"EQKnob8", kCC, 0, 35, 127, kKnob},
    {"EQKnob9", kCC, 0, 36, 127, kKnob},    {"EQKnob10", kCC, 0, 37, 127, kKnob},
    {"EQKnob11", kCC, 0, 38, 127, kKnob},   {"EQKnob12", kCC, 0, 39, 127, kKnob},
    {"DataDial", kCC, 0, 60, 127, kKnob},   {"Top", kNote, 0, 88, 127, kButton},
    {"Rewind", kNote, 0, 91, 127, kButton}, {"FastFwd", kNote, 0, 92, 127, kButton},
    {"Stop", kNote, 0, 93, 127, kButton},   {"Play", kNote, 0, 94, 127, kLamp},
    {"Record", kNote, 0, 95, 127, kLamp},   {"Mute", kNote, 0, 16, 127, kButton},
    {"Solo", kNote, 0, 8, 127, kButton},    {"Inc", kNote, 0, 49, 127, kButton},
    {"Dec", kNote, 0, 48, 127, kButton},    {"SF1", kNote, 0, 54, 127, kButton},
    {"SF2", kNote, 0, 55, 127, kButton},    {"SF3", kNote, 0, 56, 127, kButton},
    {"SF4", kNote, 0, 57, 127, kButton},    {"SF5", kNote, 0, 58, 127, kButton},
    {"SF6", kNote, 0, 59, 127, kButton},    {"F1", kNote, 0, 60, 127, kButton},
    {"F2", kNote, 0, 61, 127, kButton},     {"F3", kNote, 0, 62, 127, kButton},
    {"F4", kNote, 0, 63, 127, kButton},     {"F5", kNote, 0, 64, 127, kButton},
    {"F6", kNote, 0, 65, 127, kButton},     {"Jog", kNote, 0, 118, 127, kLamp},
    {"Lock", kNote, 0, 119, 127, kLamp},    {"SFBank1", kNote, 0, 66, 127, kLamp},
    {"SFBank2", kNote, 0, 67, 127, kLamp},  {"SFBank3", kNote, 0, 68, 127, kLamp},
    {"SFBank4", kNote, 0, 69, 127, kLamp},  {"SFBank5", kNote, 0, 70, 127, kLamp},
    {"SFBank6", kNote, 0, 71, 127, kLamp},
};

constexpr const char8* kDefaultPage = "Default";

struct Binding {
  const char8* element;
  bool isValue;
  const char8* objectOrCategory;
  int32 selector;  // value bindings only
  const char8* valueOrCommand;
  int32 flags;
};

constexpr Binding kDefaultBindings[] = {
    {"Top", false, "Transport", 0, "Return to Zero", 1},
    {"Play", true, "Transport", -1, "start", 0x201},
    {"Stop", true, "Transport", -1, "stop", 0x201},
    {"Rewind", false, "Transport", 0, "Step Back Bar", 0x201},
    {"FastFwd", false, "Transport", 0, "Step Bar", 0x201},
    {"Record", true, "Transport", -1, "record", 0x301},
    {"Mute", true, "Mixer", -2, "mute", 0x301},
    {"Solo", true, "Mixer", -2, "solo", 0x301},
    {"SF1", false, "AddTrack", 0, "Instrument", 0x301},
    {"SF2", false, "Edit", 0, "Edit HOX Instrument", 0x301},
    {"SF3", false, "Edit", 0, "Edit Channel Settings", 0x301},
    {"SF4", false, "Automation", 0, "Toggle Read Enable Selected Tracks", 0x301},
    {"SF5", false, "Automation", 0, "Toggle Write Enable Selected Tracks", 0x301},
    {"SF6", false, "Edit", 0, "Delete", 0x301},
    {"Inc", false, "Preset", 0, "Next", 0x301},
    {"Dec", false, "Preset", 0, "Previous", 0x301},
};

}  // namespace

const Hox::ElementRecord* ElementTable::record(int32 element) {
  return element >= 0 && element < kCount ? &kRecords[element] : nullptr;
}

const Hox::ElementRecord* ElementTable::records() { return kRecords; }

void ElementTable::declareDefaultBindings(Hox::IBindingTarget* target) {
  if (!target) return;
  target->addPage(kDefaultPage);
  for (const Binding& b : kDefaultBindings) {
    if (b.isValue) {
      target->bindValue(kDefaultPage, b.element, b.objectOrCategory, b.selector, b.valueOrCommand,
                        b.flags);
    } else {
      target->bindCommand(kDefaultPage, b.element, b.objectOrCategory, b.valueOrCommand, b.flags);
    }
  }
}

}  // namespace Brennholt
