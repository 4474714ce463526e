#include <gtest/gtest.h>

#include "ProtocolTestSupport.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuilder.h"
#include "remote/protocol/SysExFilters.h"

using namespace Brennholt;
using namespace ProtocolTest;

namespace {

struct AddressCase {
  uint8 high, low;
  bool inbound;   // the remote forwards it from the keyboard
  bool outbound;  // the remote passes it from the service to the keyboard
};

// Every class of address, with the verdict of both filters.
const AddressCase kAddresses[] = {
    {0x30, 0x00, true, false},  {0x48, 0x00, true, false},  {0x3F, 0x09, false, true},
    {0x48, 0x21, false, true},  {0x30, 0x41, false, false}, {0x31, 0x01, false, false},
    {0x49, 0x00, false, false}, {0x49, 0x09, false, false}, {0x2F, 0x00, false, false},
    {0x50, 0x00, true, true},   {0x51, 0x00, true, false},  {0x52, 0x00, false, true},
    {0x53, 0x00, false, true},  {0x56, 0x00, true, false},  {0x56, 0x01, false, true},
    {0x60, 0x00, false, true},  {0x61, 0x00, false, true},  {0x61, 0x1E, false, true},
    {0x61, 0x05, false, false}, {0x61, 0x24, false, false}, {0x62, 0x00, false, true},
    {0x63, 0x00, false, true},  {0x21, 0x00, false, false}, {0x50, 0x01, false, false},
};

// A message of the address's fixed length (or 12 data bytes when it has none).
Bytes sized(const SysExFormat::Header& header, uint8 high, uint8 low) {
  const std::size_t length = SysExFormat::fixedLength({high, low});
  return message(header, high, low, Bytes(length != 0 ? length - 10 : 12, 0x20));
}

}  // namespace

TEST(SysExFilters, InboundAcceptsKeyboardHeadersAndItsAddressesOnly) {
  for (const AddressCase& c : kAddresses) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.high) << ' ' << int(c.low));
    EXPECT_EQ(SysExFilters::inboundAddress({c.high, c.low}), c.inbound);
    for (const auto* header :
         {&SysExFormat::kKeyboardToHostData, &SysExFormat::kKeyboardToHostSecond}) {
      const Bytes msg = sized(*header, c.high, c.low);
      EXPECT_EQ(SysExFilters::acceptInbound(view(msg)), c.inbound);
    }
    for (const auto* header :
         {&SysExFormat::kHostToKeyboardData, &SysExFormat::kHostToKeyboardSecond}) {
      const Bytes msg = sized(*header, c.high, c.low);
      EXPECT_FALSE(SysExFilters::acceptInbound(view(msg)));
    }
  }
  // A foreign header, or no address low: nothing to decode, so the remote drops it unfiltered.
  Bytes foreign = message(SysExFormat::kKeyboardToHostData, 0x50, 0x00, Bytes(12, 0x20));
  foreign[1] = 0x41;
  EXPECT_FALSE(SysExView::read(foreign.data(), foreign.size()));
  const Bytes shortMsg = message(SysExFormat::kKeyboardToHostData, 0x50, 0x00);
  EXPECT_FALSE(SysExView::read(shortMsg.data(), 8));
  EXPECT_FALSE(SysExView::read(nullptr, 40));
}

TEST(SysExFilters, OutboundRouteOfEveryAddressClass) {
  using R = ServiceMessageRoute;
  for (const AddressCase& c : kAddresses) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.high) << ' ' << int(c.low));
    EXPECT_EQ(SysExFilters::outboundAddress({c.high, c.low}), c.outbound);
    const Bytes msg = sized(SysExFormat::kHostToKeyboardData, c.high, c.low);
    const R expected = !c.outbound ? R::Free : c.high == 0x60 ? R::QueueAfterPrune : R::Queue;
    std::size_t length = 99;
    EXPECT_EQ(SysExFilters::routeServiceMessage(view(msg), length), expected);
    // What goes out is the whole message: its fixed length, or up to its F7.
    EXPECT_EQ(length, c.outbound ? msg.size() : 0u);
    // The second form of the host-to-keyboard header passes as well; the keyboard's do not.
    const Bytes second = sized(SysExFormat::kHostToKeyboardSecond, c.high, c.low);
    EXPECT_EQ(route(second), expected);
    const Bytes wrongWay = sized(SysExFormat::kKeyboardToHostData, c.high, c.low);
    EXPECT_EQ(route(wrongWay), R::Free);
  }
  const Bytes bank = sized(SysExFormat::kHostToKeyboardData, 0x22, 0x00);
  EXPECT_EQ(route(bank), R::SetBank);
  const Bytes jog = sized(SysExFormat::kHostToKeyboardData, 0x23, 0x00);
  EXPECT_EQ(route(jog), R::SetJogStop);
}

TEST(SysExFilters, OutboundNeverPassesAMessageWithoutItsF7) {
  using R = ServiceMessageRoute;
  Bytes line = take(SysExBuilder::textLine("x"));
  EXPECT_EQ(route(line, line.size() - 1), R::Free);
  line.back() = 0x20;
  EXPECT_EQ(route(line), R::Free);
  Bytes other = sized(SysExFormat::kHostToKeyboardData, 0x52, 0x00);
  other.back() = 0x20;
  EXPECT_EQ(route(other), R::Free);
}

TEST(SysExFilters, BankAndJogStopStayWithTheRemoteWhateverFollowsTheirByte) {
  using R = ServiceMessageRoute;
  // They never go out to the port, so only their data byte matters.
  Bytes bank = message(SysExFormat::kHostToKeyboardData, 0x22, 0x00, {0x04, 0x00});
  EXPECT_EQ(route(bank), R::SetBank);
  Bytes jog = message(SysExFormat::kHostToKeyboardData, 0x23, 0x00, {0x01});
  jog.back() = 0x00;
  EXPECT_EQ(route(jog), R::SetJogStop);
  EXPECT_EQ(route(jog, 9), R::Free) << "no data byte";
}

TEST(SysExFilters, TextLineSupersedesOnlyKnobTexts) {
  const std::pair<Bytes, bool> queued[] = {
      {take(SysExBuilder::knobValue(0, "1")), true},
      {take(SysExBuilder::knobValue(5, "2")), true},
      {take(SysExBuilder::knobName(23, "x")), true},
      {take(SysExBuilder::memoryName("M")), false},
      {take(SysExBuilder::buttonName(0, "F")), false},
      {take(SysExBuilder::textLine("t")), false},
  };
  for (const auto& [msg, pruned] : queued) {
    EXPECT_EQ(SysExFilters::prunedByTextLine({msg[7], msg[8]}), pruned)
        << std::hex << int(msg[7]) << ' ' << int(msg[8]);
  }
}

TEST(ServiceDispatch, SelectsOnlyDataFormKeyboardMessages) {
  using K = ServiceMessageKind;
  struct Case {
    uint8 high, low;
    K kind;
  };
  const Case cases[] = {
      {0x50, 0x00, K::KeyboardName},    {0x51, 0x00, K::AssignmentDump},
      {0x56, 0x00, K::RemoteMode},      {0x30, 0x00, K::AssignmentEntry},
      {0x48, 0x00, K::AssignmentEntry}, {0x3A, 0x41, K::KnobTurn},
      {0x3A, 0x09, K::Ignored},         {0x49, 0x41, K::Ignored},
      {0x21, 0x00, K::FunctionKey},     {0x56, 0x01, K::Hello},
      {0x22, 0x00, K::MemorySelect},    {0x23, 0x00, K::Ignored},
      {0x60, 0x00, K::Ignored},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.high) << ' ' << int(c.low));
    const Bytes data = sized(SysExFormat::kKeyboardToHostData, c.high, c.low);
    EXPECT_EQ(ServiceDispatch::classify(view(data)), c.kind);
    for (const auto* header :
         {&SysExFormat::kKeyboardToHostSecond, &SysExFormat::kHostToKeyboardData}) {
      const Bytes other = sized(*header, c.high, c.low);
      EXPECT_EQ(ServiceDispatch::classify(view(other)), K::Ignored);
    }
  }
}

TEST(ServiceDispatch, ReadersRejectBadTerminatorsIndicesAndValues) {
  int32 knob = -1, steps = 0;
  for (int value : {0, 128, 200}) {
    const Bytes turn = message(SysExFormat::kKeyboardToHostData, 0x31, 0x41, {uint8(value)});
    EXPECT_FALSE(ServiceDispatch::readKnobTurn(view(turn), knob, steps)) << value;
  }
  const Bytes knob24 = message(SysExFormat::kKeyboardToHostData, 0x48, 0x41, {0x01});
  EXPECT_FALSE(ServiceDispatch::readKnobTurn(view(knob24), knob, steps));
  const Bytes up64 = message(SysExFormat::kKeyboardToHostData, 0x30, 0x41, {64});
  ASSERT_TRUE(ServiceDispatch::readKnobTurn(view(up64), knob, steps));
  EXPECT_EQ(steps, 64);

  uint8 byte = 0;
  const Bytes longKey = message(SysExFormat::kKeyboardToHostData, 0x21, 0x00, {0x01, 0x02});
  EXPECT_FALSE(ServiceDispatch::readDataByte(view(longKey), byte));
  std::string_view name;
  const Bytes shortName = message(SysExFormat::kKeyboardToHostData, 0x50, 0x00, Bytes(11, 'a'));
  EXPECT_FALSE(ServiceDispatch::readName(view(shortName), name));
}

TEST(KnobAssignment, EntryAndDumpNeedF7RightAfterTheBlocks) {
  KnobAssignment out;
  int32 knob = -1;
  // Knob 24 is the keyboard's own; the service ignores it.
  const Bytes entry24 = message(SysExFormat::kKeyboardToHostData, 0x48, 0x00,
                                {'1', '0', '0', '0', '0', '0', '0', '0', '1'});
  EXPECT_FALSE(KnobAssignment::parseEntry(view(entry24), knob, out));
  Bytes entry = take(SysExBuilder::assignmentEntry(2, {1, 5}));
  ASSERT_TRUE(KnobAssignment::parseEntry(view(entry), knob, out));
  entry.back() = 0x00;
  EXPECT_FALSE(KnobAssignment::parseEntry(view(entry), knob, out));

  KnobAssignment::Table table{}, read{};
  Bytes dump = take(SysExBuilder::assignmentDump(table));
  ASSERT_EQ(dump[225], 0xF7);
  dump[225] = 0x00;
  EXPECT_FALSE(KnobAssignment::parseDump(view(dump), read));
  // 23 blocks and then F7.
  Bytes shortDump = take(SysExBuilder::assignmentDump(table));
  shortDump.erase(shortDump.begin() + 216, shortDump.begin() + 225);
  EXPECT_FALSE(KnobAssignment::parseDump(view(shortDump), read));
}
