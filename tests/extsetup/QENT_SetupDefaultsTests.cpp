#include "extsetup/QENT_SetupDefaults.h"

#include <gtest/gtest.h>

#include <string>

using Brennholt::AssignmentTable;
using Brennholt::QENT_SetupDefaults;

namespace {

struct Expected {
  const char* category;
  const char* action;
  const char* display;
};

// The texts the host's command catalogue and the keyboard's display get, as shipped.
constexpr Expected kShipped[6][6] = {
    {{"Zoom", "Zoom In", "HZoom+"},
     {"Zoom", "Zoom Out", "HZoom-"},
     {"Zoom", "Zoom In Vertically", "VZoom+"},
     {"Zoom", "Zoom Out Vertically", "VZoom-"},
     {"Devices", "Mixer", "Mixer"},
     {"QENT6/QENT8", "QENT6/QENT8 Extension Setup", "Setup"}},
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
    {{"---", "---", ""},
     {"---", "---", ""},
     {"---", "---", ""},
     {"---", "---", ""},
     {"---", "---", ""},
     {"---", "---", ""}},
};

void expectShipped(const AssignmentTable& table, int edition) {
  const bool clipVault = edition == 2 || edition == 3;
  ASSERT_EQ(table.size(), 6u) << "edition " << edition;
  for (int m = 0; m < 6; ++m) {
    ASSERT_EQ(table[m].size(), 6u) << "edition " << edition << " memory " << m + 1;
    for (int b = 0; b < 6; ++b) {
      Expected e = kShipped[m][b];
      if (clipVault && m == 1 && b == 3) e = {"Media", "Open Clipvault", "OpenVt"};
      const std::string where = "edition " + std::to_string(edition) + " memory " +
                                std::to_string(m + 1) + " button " + std::to_string(b + 1);
      EXPECT_STREQ(table[m][b].category.text8(), e.category) << where;
      EXPECT_STREQ(table[m][b].action.text8(), e.action) << where;
      EXPECT_STREQ(table[m][b].display.text8(), e.display) << where;
    }
  }
}

}  // namespace

TEST(QENT_SetupDefaults, NamesAsShipped) {
  const auto buttons = QENT_SetupDefaults::buttonNames();
  const char* buttonTexts[] = {"SF1", "SF2", "SF3", "SF4", "SF5", "SF6"};
  ASSERT_EQ(buttons.size(), 6u);
  for (int b = 0; b < 6; ++b) EXPECT_STREQ(buttons[b].text8(), buttonTexts[b]);

  const auto memories = QENT_SetupDefaults::factoryMemoryNames();
  const char* memoryTexts[] = {"Project Setup", "Project Window", "MIDI", "Audio", "Mix", "---"};
  ASSERT_EQ(memories.size(), 6u);
  for (int m = 0; m < 6; ++m) EXPECT_STREQ(memories[m].text8(), memoryTexts[m]);
}

// Only the hardware-companion (2) and entry (3) editions open the clip vault on memory 2, SF4;
// every other entry is the same on every host.
TEST(QENT_SetupDefaults, FactoryTableAsShippedForEveryEdition) {
  for (int edition = -1; edition <= 7; ++edition) {
    expectShipped(QENT_SetupDefaults::factoryAssignments(edition), edition);
  }
}
