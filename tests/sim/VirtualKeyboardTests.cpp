// The virtual keyboard: what it sends for each gesture, what its display keeps from each host
// message, and how it answers the hello and a target name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/keyboard/VirtualKeyboard.h"

namespace {

using QentSim::KeyboardElements;
using QentSim::VirtualKeyboard;
using Bytes = std::vector<std::uint8_t>;

// A host-to-keyboard message: header, address, data, F7.
Bytes hostMessage(std::uint8_t high, std::uint8_t low, const Bytes& data,
                  std::uint8_t form = 0x10) {
  // Appended byte by byte: the cross compiler misreads a range insert here at -O3.
  Bytes m{0xF0, 0x43, form, 0x7F, 0x1C, 0x00, 0x01, high, low};
  for (std::uint8_t byte : data) m.push_back(byte);
  m.push_back(0xF7);
  return m;
}

Bytes text(const std::string& s, std::size_t width) {
  Bytes out(s.begin(), s.end());
  out.resize(width, ' ');
  return out;
}

struct Wired {
  VirtualKeyboard kb{1};
  std::vector<Bytes> sent;
  Wired() {
    kb.connect([this](const std::uint8_t* b, std::size_t n) { sent.emplace_back(b, b + n); });
  }
  void receive(const Bytes& m) { kb.receiveMidi(m.data(), m.size()); }
};

int element(const char* name) { return KeyboardElements::find(name); }

TEST(VirtualKeyboard, TurnsUseTheRelativeEncodingAndSplitLargeTurns) {
  Wired w;
  std::string error;
  ASSERT_TRUE(w.kb.turn(element("AsgnKnob1"), 3, &error));
  ASSERT_TRUE(w.kb.turn(element("EQKnob12"), -1, &error));
  ASSERT_TRUE(w.kb.turn(element("DataDial"), 100, &error));
  ASSERT_TRUE(w.kb.turn(element("DataDial"), -100, &error));
  ASSERT_TRUE(w.kb.turn(element("AsgnKnob2"), 0, &error));
  const std::vector<Bytes> expected = {
      {0xB0, 16, 3},   {0xB0, 39, 65},  {0xB0, 60, 64}, {0xB0, 60, 36},
      {0xB0, 60, 127}, {0xB0, 60, 101}, {0xB0, 17, 0},
  };
  EXPECT_EQ(w.sent, expected);

  EXPECT_FALSE(w.kb.turn(element("Play"), 1, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(w.sent.size(), expected.size());
}

TEST(VirtualKeyboard, ButtonsSendNoteOnWithFullVelocityAndZeroForRelease) {
  Wired w;
  std::string error;
  ASSERT_TRUE(w.kb.press(element("F3"), &error));
  ASSERT_TRUE(w.kb.release(element("F3"), &error));
  ASSERT_TRUE(w.kb.press(element("Mute"), &error));
  ASSERT_TRUE(w.kb.press(element("sfbank6"), &error));  // names ignore case
  const std::vector<Bytes> expected = {
      {0x90, 62, 127}, {0x90, 62, 0}, {0x90, 16, 127}, {0x90, 71, 127}};
  EXPECT_EQ(w.sent, expected);
  EXPECT_FALSE(w.kb.press(element("AsgnKnob1"), &error));
  EXPECT_FALSE(w.kb.release(element("DataDial"), &error));
}

TEST(VirtualKeyboard, DisplayKeepsEachTextMessage) {
  Wired w;
  w.receive(hostMessage(0x30, 0x09, text("Cutoff", 24)));
  w.receive(hostMessage(0x47, 0x09, text("EQ4 Gain", 24)));
  w.receive(hostMessage(0x30, 0x21, [] {
    Bytes d = text("12.5 dB", 8);
    d.push_back(0);
    d.push_back(0);
    return d;
  }()));
  w.receive(hostMessage(0x60, 0x00, text("Audio 01", 24)));
  w.receive(hostMessage(0x50, 0x00, text("Grand Piano ", 12)));
  w.receive(hostMessage(0x62, 0x00, text("Project Setup", 16)));
  w.receive(hostMessage(0x63, 0x00, {1}));
  for (int k = 0; k < 6; ++k) {
    w.receive(hostMessage(0x61, static_cast<std::uint8_t>(6 * k),
                          text("Key" + std::to_string(k + 1), 6)));
  }
  EXPECT_EQ(w.kb.knobName(0), "Cutoff");
  EXPECT_EQ(w.kb.knobName(23), "EQ4 Gain");
  EXPECT_EQ(w.kb.knobValue(0), "12.5 dB");
  EXPECT_EQ(w.kb.line(), "Audio 01");
  EXPECT_EQ(w.kb.target(), "Grand Piano");
  EXPECT_EQ(w.kb.memoryName(), "Project Setup");
  EXPECT_EQ(w.kb.flag(), 1);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(w.kb.keyLabel(k), "Key" + std::to_string(k + 1));
  EXPECT_EQ(w.kb.received().size(), 13u);
}

TEST(VirtualKeyboard, DisplayIgnoresDamagedForeignAndKeyboardSideMessages) {
  Wired w;
  w.receive(hostMessage(0x60, 0x00, text("Kept", 24)));
  // One byte short, a foreign manufacturer, the keyboard's own direction, a label low byte
  // that is no key, knob 24 (the keyboard's own).
  w.receive(hostMessage(0x60, 0x00, text("Short", 23)));
  Bytes foreign = hostMessage(0x60, 0x00, text("Foreign", 24));
  foreign[1] = 0x44;
  w.receive(foreign);
  Bytes own = hostMessage(0x60, 0x00, text("Own", 24));
  own[5] = 0x01;
  w.receive(own);
  w.receive(hostMessage(0x61, 0x07, text("Bad", 6)));
  w.receive(hostMessage(0x48, 0x09, text("Knob 25", 24)));
  EXPECT_EQ(w.kb.line(), "Kept");
  for (int k = 0; k < 6; ++k) EXPECT_EQ(w.kb.keyLabel(k), "");
  // The second header form is the hardware's too.
  w.receive(hostMessage(0x60, 0x00, text("Second", 24), 0x30));
  EXPECT_EQ(w.kb.line(), "Second");
  // Everything was recorded, shown or not.
  EXPECT_EQ(w.kb.received().size(), 7u);
  EXPECT_TRUE(w.sent.empty());
}

TEST(VirtualKeyboard, LampsFollowNoteOnsFromTheHost) {
  Wired w;
  const Bytes playOn{0x90, 94, 127}, playOff{0x90, 94, 0}, bank3{0x90, 68, 127};
  w.receive(playOn);
  w.receive(bank3);
  EXPECT_TRUE(w.kb.lamp(element("Play")));
  EXPECT_TRUE(w.kb.lamp(element("SFBank3")));
  EXPECT_FALSE(w.kb.lamp(element("Record")));
  w.receive(playOff);
  EXPECT_FALSE(w.kb.lamp(element("Play")));
  // A control change on the lamp's number is no lamp.
  w.receive({0xB0, 94, 127});
  EXPECT_FALSE(w.kb.lamp(element("Play")));
}

TEST(VirtualKeyboard, AnswersATargetNameWithItsNameAndStoredAssignments) {
  Wired w;
  // Stored under a long name: the display only ever holds its first 12 characters.
  w.kb.storeAssignment("Grand Piano Deluxe", 0, {0, 0x1234ABCD});
  w.kb.storeAssignment("Grand Piano Deluxe", 11, {1, 7});
  const Bytes name = text("Grand Piano ", 12);
  w.receive(hostMessage(0x50, 0x00, name));
  EXPECT_TRUE(w.sent.empty()) << "answers wait for the next round";
  ASSERT_TRUE(w.kb.sendPendingAnswers());
  ASSERT_EQ(w.sent.size(), 2u);

  Bytes echo{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x50, 0x00};
  for (std::uint8_t byte : name) echo.push_back(byte);
  echo.push_back(0xF7);
  EXPECT_EQ(w.sent[0], echo);

  const Bytes& dump = w.sent[1];
  ASSERT_EQ(dump.size(), 226u);
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 9),
            (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x51, 0x00}));
  EXPECT_EQ(std::string(dump.begin() + 9, dump.begin() + 18), "01234ABCD");
  EXPECT_EQ(std::string(dump.begin() + 9 + 11 * 9, dump.begin() + 18 + 11 * 9), "100000007");
  EXPECT_EQ(dump[9 + 1 * 9], '2');  // knob 2 unassigned
  // The EQ knobs report the parameters they are fixed to, 4135 first and 4130 last.
  EXPECT_EQ(std::string(dump.begin() + 9 + 12 * 9, dump.begin() + 18 + 12 * 9), "100001027");
  EXPECT_EQ(std::string(dump.begin() + 9 + 23 * 9, dump.begin() + 18 + 23 * 9), "100001022");
  EXPECT_EQ(dump[225], 0xF7);
  EXPECT_FALSE(w.kb.sendPendingAnswers());

  // An unknown name gets unassigned knobs; with the answer off, nothing at all.
  w.sent.clear();
  w.receive(hostMessage(0x50, 0x00, text("Strings", 12)));
  w.kb.sendPendingAnswers();
  ASSERT_EQ(w.sent.size(), 2u);
  EXPECT_EQ(w.sent[1][9], '2');
  w.sent.clear();
  w.kb.setAnswerName(false);
  w.receive(hostMessage(0x50, 0x00, text("Bass", 12)));
  EXPECT_FALSE(w.kb.sendPendingAnswers());
  EXPECT_EQ(w.kb.target(), "Bass");
}

TEST(VirtualKeyboard, AnswersTheHelloWithRemoteModeAndTheNameItShows) {
  Wired w;
  w.receive(hostMessage(0x50, 0x00, text("Piano", 12)));
  w.kb.sendPendingAnswers();
  w.sent.clear();
  w.receive({0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x56, 0x01, 0xF7});
  w.kb.sendPendingAnswers();
  ASSERT_EQ(w.sent.size(), 2u);
  EXPECT_EQ(w.sent[0], (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x56, 0x00, 0x01, 0xF7}));
  EXPECT_EQ(std::string(w.sent[1].begin() + 7, w.sent[1].end() - 1),
            std::string("\x50\x00", 2) + "Piano       ");

  // A blank display still reports 12 spaces; with the hello answer off, nothing.
  Wired blank;
  blank.receive({0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x56, 0x01, 0xF7});
  blank.kb.sendPendingAnswers();
  ASSERT_EQ(blank.sent.size(), 2u);
  EXPECT_EQ(std::string(blank.sent[1].begin() + 9, blank.sent[1].end() - 1), std::string(12, ' '));
  blank.sent.clear();
  blank.kb.setAnswerHello(false);
  blank.receive({0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x56, 0x01, 0xF7});
  EXPECT_FALSE(blank.kb.sendPendingAnswers());
}

TEST(KeyboardElements, KnobReferencesByNumberOrName) {
  EXPECT_EQ(KeyboardElements::knobFromText("1"), 0);
  EXPECT_EQ(KeyboardElements::knobFromText("24"), 23);
  EXPECT_EQ(KeyboardElements::knobFromText("EQKnob1"), 12);
  EXPECT_EQ(KeyboardElements::knobFromText("asgnknob12"), 11);
  for (const char* bad : {"0", "25", "DataDial", "Play", "", "-1", "1x"})
    EXPECT_EQ(KeyboardElements::knobFromText(bad), -1) << bad;
  EXPECT_EQ(KeyboardElements::findByMessage(0x90, 16), element("Mute"));
  EXPECT_EQ(KeyboardElements::findByMessage(0xB0, 16), element("AsgnKnob1"));
}

}  // namespace
