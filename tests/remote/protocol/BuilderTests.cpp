#include <gtest/gtest.h>

#include "ProtocolTestSupport.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuilder.h"
#include "remote/protocol/SysExFilters.h"

using namespace Brennholt;
using namespace ProtocolTest;

namespace {

const SysExFormat::Header kFromKeyboard = SysExFormat::kKeyboardToHostData;
const SysExFormat::Header kToKeyboard = SysExFormat::kHostToKeyboardData;

uint8 dataByte(const Bytes& msg) {
  uint8 value = 0xFF;
  EXPECT_TRUE(ServiceDispatch::readDataByte(view(msg), value));
  return value;
}

}  // namespace

TEST(SysExBuilder, HelloInBothDirections) {
  EXPECT_EQ(take(SysExBuilder::helloToKeyboard()),
            (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x56, 0x01, 0xF7}));
  EXPECT_EQ(take(SysExBuilder::helloToService()),
            (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x56, 0x01, 0xF7}));
}

// What the remote builds reaches the service's readers with the same fields.
TEST(SysExBuilder, RemoteMessagesRoundTripThroughTheServiceReaders) {
  const Bytes move = take(SysExBuilder::knobMove(23, 65));
  EXPECT_EQ(move, message(kFromKeyboard, 0x47, 0x41, {0x41}));
  ASSERT_EQ(ServiceDispatch::classify(view(move)), ServiceMessageKind::KnobTurn);
  int32 knob = -1, steps = 0;
  ASSERT_TRUE(ServiceDispatch::readKnobTurn(view(move), knob, steps));
  EXPECT_EQ(knob, 23);
  EXPECT_EQ(steps, -1);

  // A zero move is built (the remote forwards 0..127) but the service does nothing with it.
  const Bytes still = take(SysExBuilder::knobMove(0, 0));
  EXPECT_FALSE(ServiceDispatch::readKnobTurn(view(still), knob, steps));

  const Bytes key = take(SysExBuilder::functionKey(2));
  EXPECT_EQ(ServiceDispatch::classify(view(key)), ServiceMessageKind::FunctionKey);
  EXPECT_EQ(dataByte(key), 2);

  const Bytes bank = take(SysExBuilder::bankButton(5));
  EXPECT_EQ(ServiceDispatch::classify(view(bank)), ServiceMessageKind::MemorySelect);
  EXPECT_EQ(dataByte(bank), 5);

  const Bytes hello = take(SysExBuilder::helloToService());
  EXPECT_EQ(ServiceDispatch::classify(view(hello)), ServiceMessageKind::Hello);
}

// What the service builds is routed by the remote as intended and carries the right data.
TEST(SysExBuilder, ServiceMessagesRoundTripThroughTheRemoteRoute) {
  using R = ServiceMessageRoute;
  struct Case {
    const char* what;
    Bytes msg;
    uint8 high, low;
    R route;
    std::string text;  // the data as text, when it is a text field
  };
  const Case cases[] = {
      {"memory", take(SysExBuilder::memory(3)), 0x22, 0x00, R::SetBank, "\x03"},
      {"jog stop", take(SysExBuilder::jogStop(true)), 0x23, 0x00, R::SetJogStop, "\x01"},
      {"knob name", take(SysExBuilder::knobName(4, "Cutoff")), 0x34, 0x09, R::Queue,
       "Cutoff                  "},
      {"knob value", take(SysExBuilder::knobValue(12, "-3.5 dB")), 0x3C, 0x21, R::Queue,
       std::string("-3.5 dB \0\0", 10)},
      {"target name", take(SysExBuilder::targetName("Bass\xE9")), 0x50, 0x00, R::Queue,
       "Bass\xE9       "},
      {"text line", take(SysExBuilder::textLine("Audio 01")), 0x60, 0x00, R::QueueAfterPrune,
       "Audio 01                "},
      {"button 3", take(SysExBuilder::buttonName(3, "Undo")), 0x61, 0x12, R::Queue, "Undo  "},
      {"memory name", take(SysExBuilder::memoryName("Mixing")), 0x62, 0x00, R::Queue,
       "Mixing          "},
      {"state", take(SysExBuilder::instrumentState(true)), 0x63, 0x00, R::Queue, "\x01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(c.msg.empty());
    EXPECT_EQ(Bytes(c.msg.begin(), c.msg.begin() + 7),
              Bytes(kToKeyboard.begin(), kToKeyboard.end()));
    EXPECT_EQ(c.msg[7], c.high);
    EXPECT_EQ(c.msg[8], c.low);
    EXPECT_EQ(c.msg.size(), 9 + c.text.size() + 1);
    EXPECT_EQ(c.msg.back(), 0xF7);
    EXPECT_EQ(textAt(c.msg, 9, c.text.size()), c.text);
    EXPECT_EQ(route(c.msg), c.route);
  }
}

TEST(SysExBuilder, FunctionKeyLabelAddressLowIsSixTimesTheKey) {
  for (int32 key = 0; key < 6; ++key) {
    const Bytes msg = take(SysExBuilder::buttonName(key, "F"));
    ASSERT_EQ(msg.size(), 16u);
    EXPECT_EQ(msg[8], 6 * key);
  }
}

TEST(SysExBuilder, NameMessageCopiesTwelveBytesUnchanged) {
  const Bytes longName = take(SysExBuilder::targetName("Grand Pi\xC3\xA4no Layered"));
  EXPECT_EQ(textAt(longName, 9, 12), "Grand Pi\xC3\xA4no");
  const Bytes shortName = take(SysExBuilder::targetName("Organ"));
  EXPECT_EQ(textAt(shortName, 9, 12), "Organ       ");
  // Where the other text fields would dash the high bytes out.
  const Bytes line = take(SysExBuilder::textLine("Grand Pi\xC3\xA4no"));
  EXPECT_EQ(textAt(line, 9, 12), "Grand Pi----");
}

TEST(SysExBuilder, KeyboardMessagesRoundTripThroughTheServiceReaders) {
  const Bytes name = take(SysExBuilder::keyboardName("Strings"));
  ASSERT_EQ(ServiceDispatch::classify(view(name)), ServiceMessageKind::KeyboardName);
  std::string_view read;
  ASSERT_TRUE(ServiceDispatch::readName(view(name), read));
  EXPECT_EQ(read, "Strings");

  const Bytes mode = take(SysExBuilder::remoteMode(1));
  EXPECT_EQ(ServiceDispatch::classify(view(mode)), ServiceMessageKind::RemoteMode);
  EXPECT_EQ(dataByte(mode), 1);

  const Bytes entry = take(SysExBuilder::assignmentEntry(7, {0, 0x00ABCDEF}));
  EXPECT_EQ(textAt(entry, 9, 9), "000ABCDEF");
  ASSERT_EQ(ServiceDispatch::classify(view(entry)), ServiceMessageKind::AssignmentEntry);
  int32 knob = -1;
  KnobAssignment parsed;
  ASSERT_TRUE(KnobAssignment::parseEntry(view(entry), knob, parsed));
  EXPECT_EQ(knob, 7);
  EXPECT_EQ(parsed, (KnobAssignment{0, 0x00ABCDEF}));

  KnobAssignment::Table table;
  for (int32 k = 0; k < 24; ++k) table[std::size_t(k)] = {k % 3, 0x1000u + uint32(k)};
  const Bytes dump = take(SysExBuilder::assignmentDump(table));
  ASSERT_EQ(dump.size(), 226u);
  ASSERT_EQ(ServiceDispatch::classify(view(dump)), ServiceMessageKind::AssignmentDump);
  KnobAssignment::Table read24;
  ASSERT_TRUE(KnobAssignment::parseDump(view(dump), read24));
  for (int32 k = 0; k < 24; ++k) {
    EXPECT_EQ(read24[std::size_t(k)], KnobAssignment::forKnob(k, table[std::size_t(k)])) << k;
  }
}

TEST(SysExBuilder, InvalidInputBuildsNothing) {
  EXPECT_FALSE(SysExBuilder::knobMove(24, 1));
  EXPECT_FALSE(SysExBuilder::knobMove(-1, 1));
  EXPECT_FALSE(SysExBuilder::knobMove(0, 128));
  EXPECT_FALSE(SysExBuilder::functionKey(6));
  EXPECT_FALSE(SysExBuilder::bankButton(-1));
  EXPECT_FALSE(SysExBuilder::memory(6));
  EXPECT_FALSE(SysExBuilder::knobName(24, "x"));
  EXPECT_FALSE(SysExBuilder::knobValue(-1, "x"));
  EXPECT_FALSE(SysExBuilder::buttonName(6, "x"));
  EXPECT_FALSE(SysExBuilder::targetName(""));
  EXPECT_FALSE(SysExBuilder::memoryName(""));
  EXPECT_FALSE(SysExBuilder::assignmentEntry(24, {}));
  EXPECT_FALSE(SysExBuilder::remoteMode(128));
  EXPECT_FALSE(SysExBuilder::frame(SysExDirection::HostToKeyboard, {0x52, 0x00}));
}
