#include "extsetup/QENT_SetupDefaults.h"

namespace Brennholt {

namespace {

struct Entry {
  const char8* category;
  const char8* action;
  const char8* display;
};

constexpr const char8* kNone = "---";

constexpr Entry kFactoryTable[QENT_SetupDefaults::kMemoryCount][QENT_SetupDefaults::kButtonCount] =
    {
        {{"Zoom", "Zoom In", "HZoom+"},
         {"Zoom", "Zoom Out", "HZoom-"},
         {"Zoom", "Zoom In Vertically", "VZoom+"},
         {"Zoom", "Zoom Out Vertically", "VZoom-"},
         {"Devices", "Mixer", "Mixer"},
         {QENT_SetupDefaults::kSetupCategory, QENT_SetupDefaults::kSetupCommand, "Setup"}},
        {{"Editors", "Open Key Editor", "KeyEd"},
         {"Editors", "Open Score Editor", "Score"},
         {"Editors", "Open Drum Editor", "Drum"},
         {"Editors", "Open List Editor", "List"},
         {"Devices", "Mixer", "Mixer"},
         {"Project", "Open Pool", "OpenPl"}},
        {{"AddTrack", "MIDI", "AdMidi"},
         {"Quantize Category", "Auto Quantize On/Off", "AutoQ"},
         {"Quantize Category", "Quantize", "Qtz"},
         {"Quantize Category", "Quantize Lengths", "QtzLng"},
         {"MIDI", "Toggle Step Input", "Step"},
         {"Quantize Category", "Quantize Setup", "QtzSet"}},
        {{"AddTrack", "Audio", "AdAudi"},
         {"AddTrack", "Audio Mono", "AdMono"},
         {"Edit", "Monitor", "Monit"},
         {"Edit", "Select Next Grid Type", "NextGr"},
         {"File", "Import Audio File", "ImpAud"},
         {"Project", "Open Pool", "OpenPl"}},
        {{"Automation", "Show Used Automation (Selected Tracks)", "ShowAt"},
         {"Automation", "Show All Used Automation", "ShwAUA"},
         {"Automation", "Hide All Automation", "HidAAu"},
         {"File", "Export Audio Mixdown", "MixDn"},
         {"Devices", "Mixer", "Mixer"},
         {"File", "Save New Version", "NewVer"}},
        {{kNone, kNone, ""},
         {kNone, kNone, ""},
         {kNone, kNone, ""},
         {kNone, kNone, ""},
         {kNone, kNone, ""},
         {kNone, kNone, ""}},
};

// Replaces memory 2, SF4 on the hardware-companion and entry editions.
constexpr Entry kClipVault = {"Media", "Open Clipvault", "OpenVt"};

}  // namespace

std::vector<String> QENT_SetupDefaults::buttonNames() {
  return {String("SF1"), String("SF2"), String("SF3"), String("SF4"), String("SF5"), String("SF6")};
}

std::vector<String> QENT_SetupDefaults::factoryMemoryNames() {
  return {String("Project Setup"), String("Project Window"),
          String("MIDI"),          String("Audio"),
          String("Mix"),           String(kNone)};
}

AssignmentTable QENT_SetupDefaults::factoryAssignments(int32 hostEdition) {
  const bool clipVault = hostEdition == kHardwareCompanionEdition || hostEdition == kEntryEdition;
  AssignmentTable table(kMemoryCount);
  for (int32 m = 0; m < kMemoryCount; ++m) {
    table[m].reserve(kButtonCount);
    for (int32 b = 0; b < kButtonCount; ++b) {
      const Entry& e = clipVault && m == 1 && b == 3 ? kClipVault : kFactoryTable[m][b];
      table[m].emplace_back(e.category, e.action, e.display);
    }
  }
  return table;
}

}  // namespace Brennholt
