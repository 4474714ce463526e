#include "sim/keyboard/KeyboardElements.h"

#include <array>
#include <cctype>

namespace QentSim {

namespace {

constexpr std::uint8_t kCC = 0xB0;
constexpr std::uint8_t kNote = 0x90;

constexpr std::array<KeyboardElement, KeyboardElements::kCount> kTable{{
    {"AsgnKnob1", kCC, 16, false},  {"AsgnKnob2", kCC, 17, false},  {"AsgnKnob3", kCC, 18, false},
    {"AsgnKnob4", kCC, 19, false},  {"AsgnKnob5", kCC, 20, false},  {"AsgnKnob6", kCC, 21, false},
    {"AsgnKnob7", kCC, 22, false},  {"AsgnKnob8", kCC, 23, false},  {"AsgnKnob9", kCC, 24, false},
    {"AsgnKnob10", kCC, 25, false}, {"AsgnKnob11", kCC, 26, false}, {"AsgnKnob12", kCC, 27, false},
    {"EQKnob1", kCC, 28, false},    {"EQKnob2", kCC, 29, false},    {"EQKnob3", kCC, 30, false},
    {"EQKnob4", kCC, 31, false},    {"EQKnob5", kCC, 32, false},    {"EQKnob6", kCC, 33, false},
    {"EQKnob7", kCC, 34, false},    {"EQKnob8", kCC, 35, false},    {"EQKnob9", kCC, 36, false},
    {"EQKnob10", kCC, 37, false},   {"EQKnob11", kCC, 38, false},   {"EQKnob12", kCC, 39, false},
    {"DataDial", kCC, 60, false},   {"Top", kNote, 88, false},      {"Rewind", kNote, 91, false},
    {"FastFwd", kNote, 92, false},  {"Stop", kNote, 93, false},     {"Play", kNote, 94, true},
    {"Record", kNote, 95, true},    {"Mute", kNote, 16, false},     {"Solo", kNote, 8, false},
    {"Inc", kNote, 49, false},      {"Dec", kNote, 48, false},      {"SF1", kNote, 54, false},
    {"SF2", kNote, 55, false},      {"SF3", kNote, 56, false},      {"SF4", kNote, 57, false},
    {"SF5", kNote, 58, false},      {"SF6", kNote, 59, false},      {"F1", kNote, 60, false},
    {"F2", kNote, 61, false},       {"F3", kNote, 62, false},       {"F4", kNote, 63, false},
    {"F5", kNote, 64, false},       {"F6", kNote, 65, false},       {"Jog", kNote, 118, true},
    {"Lock", kNote, 119, true},     {"SFBank1", kNote, 66, true},   {"SFBank2", kNote, 67, true},
    {"SFBank3", kNote, 68, true},   {"SFBank4", kNote, 69, true},   {"SFBank5", kNote, 70, true},
    {"SFBank6", kNote, 71, true},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

const KeyboardElement* KeyboardElements::at(int index) {
  if (index < 0 || index >= kCount) return nullptr;
  return &kTable[static_cast<std::size_t>(index)];
}

int KeyboardElements::find(std::string_view name) {
  for (int i = 0; i < kCount; ++i) {
    if (equalsIgnoringCase(name, kTable[static_cast<std::size_t>(i)].name)) return i;
  }
  return -1;
}

int KeyboardElements::findByMessage(std::uint8_t status, std::uint8_t number) {
  for (int i = 0; i < kCount; ++i) {
    const KeyboardElement& e = kTable[static_cast<std::size_t>(i)];
    if (e.status == status && e.number == number) return i;
  }
  return -1;
}

int KeyboardElements::knobFromText(std::string_view text) {
  if (!text.empty() && text.size() <= 2 && std::isdigit(static_cast<unsigned char>(text[0])) != 0 &&
      (text.size() == 1 || std::isdigit(static_cast<unsigned char>(text[1])) != 0)) {
    int n = std::stoi(std::string(text));
    return n >= 1 && n <= kKnobCount ? n - 1 : -1;
  }
  int index = find(text);
  return index >= 0 && index < kKnobCount ? index : -1;
}

}  // namespace QentSim
