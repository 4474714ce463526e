#include <gtest/gtest.h>

#include "ProtocolTestSupport.h"
#include "remote/protocol/InboundFrame.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFormat.h"

using namespace Brennholt;
using namespace ProtocolTest;

TEST(SysExFormat, HeadersAreTheFourFixedByteStrings) {
  EXPECT_EQ(SysExFormat::header(SysExDirection::KeyboardToHost, SysExForm::Data),
            (SysExFormat::Header{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01}));
  EXPECT_EQ(SysExFormat::header(SysExDirection::KeyboardToHost, SysExForm::Second),
            (SysExFormat::Header{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x01, 0x01}));
  EXPECT_EQ(SysExFormat::header(SysExDirection::HostToKeyboard, SysExForm::Data),
            (SysExFormat::Header{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01}));
  EXPECT_EQ(SysExFormat::header(SysExDirection::HostToKeyboard, SysExForm::Second),
            (SysExFormat::Header{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x00, 0x01}));

  const Bytes msg = message(SysExFormat::kKeyboardToHostSecond, 0x50, 0x00);
  EXPECT_TRUE(
      SysExFormat::hasHeaderOfDirection(msg.data(), msg.size(), SysExDirection::KeyboardToHost));
  EXPECT_FALSE(SysExFormat::hasHeader(msg.data(), msg.size(), SysExDirection::KeyboardToHost,
                                      SysExForm::Data));
  EXPECT_FALSE(
      SysExFormat::hasHeaderOfDirection(msg.data(), msg.size(), SysExDirection::HostToKeyboard));
  // Shorter than a header: nothing is read.
  EXPECT_FALSE(SysExFormat::hasHeaderOfDirection(msg.data(), 6, SysExDirection::KeyboardToHost));
  EXPECT_FALSE(SysExFormat::hasHeaderOfDirection(nullptr, 7, SysExDirection::KeyboardToHost));
}

TEST(SysExFormat, EveryAddressHasItsFixedTotalLength) {
  struct Case {
    uint8 high, low;
    std::size_t length;
  };
  const Case cases[] = {
      {0x30, 0x00, 19}, {0x48, 0x00, 19}, {0x3B, 0x41, 11},  {0x47, 0x09, 34}, {0x30, 0x21, 20},
      {0x30, 0x05, 0},  {0x49, 0x00, 0},  {0x2F, 0x00, 0},   {0x21, 0x00, 11}, {0x22, 0x00, 11},
      {0x23, 0x00, 11}, {0x50, 0x00, 22}, {0x51, 0x00, 226}, {0x52, 0x00, 0},  {0x53, 0x00, 0},
      {0x56, 0x00, 11}, {0x56, 0x01, 10}, {0x60, 0x00, 34},  {0x61, 0x00, 16}, {0x61, 0x1E, 16},
      {0x61, 0x0C, 16}, {0x61, 0x07, 0},  {0x61, 0x24, 0},   {0x62, 0x00, 26}, {0x63, 0x00, 11},
      {0x60, 0x01, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SysExFormat::fixedLength({c.high, c.low}), c.length)
        << std::hex << int(c.high) << ' ' << int(c.low);
  }
}

TEST(SysExFormat, ValidLengthMeansF7ExactlyWhereTheAddressPutsIt) {
  Bytes msg = message(SysExFormat::kKeyboardToHostData, 0x21, 0x00, {0x02});
  EXPECT_TRUE(SysExFormat::hasValidLength(msg.data(), msg.size()));
  // Buffer cut before the F7: never read past it.
  EXPECT_FALSE(SysExFormat::hasValidLength(msg.data(), msg.size() - 1));
  // One data byte too many: F7 is not at byte 10.
  msg.insert(msg.end() - 1, 0x00);
  EXPECT_FALSE(SysExFormat::hasValidLength(msg.data(), msg.size()));
  // An address without a fixed length is never valid by length.
  const Bytes foreign = message(SysExFormat::kHostToKeyboardData, 0x52, 0x00);
  EXPECT_FALSE(SysExFormat::hasValidLength(foreign.data(), foreign.size()));
}

TEST(InboundFrame, CopiesOneFrameFromTheFirstF0ToTheNextF7) {
  Bytes port{0x00, 0x12};
  const Bytes frame = message(SysExFormat::kKeyboardToHostData, 0x56, 0x00, {0x01});
  port.insert(port.end(), frame.begin(), frame.end());
  port.insert(port.end(), {0xF0, 0x43, 0xF7});  // a second frame is not taken

  SysExPtr copy{InboundFrame::copy(port.data(), port.size())};
  ASSERT_TRUE(copy);
  EXPECT_EQ(Bytes(copy.get(), copy.get() + frame.size()), frame);
  // The rest of the 512-byte buffer stays zero.
  EXPECT_EQ(copy[frame.size()], 0);
  EXPECT_EQ(copy[InboundFrame::kBufferSize - 1], 0);
}

TEST(InboundFrame, LooksNoFurtherThanTheFirst512Bytes) {
  Bytes port(600, 0x00);
  port[3] = 0xF0;
  port[511] = 0xF7;
  SysExPtr atLimit{InboundFrame::copy(port.data(), port.size())};
  ASSERT_TRUE(atLimit);
  EXPECT_EQ(atLimit[508], 0xF7);

  port[511] = 0x00;
  port[512] = 0xF7;
  EXPECT_EQ(InboundFrame::copy(port.data(), port.size()), nullptr);
  // The same bytes without an F0 at all, or with the F7 before the F0.
  port[3] = 0x00;
  port[1] = 0xF7;
  port[5] = 0xF0;
  EXPECT_EQ(InboundFrame::copy(port.data(), 300), nullptr);
  EXPECT_EQ(InboundFrame::copy(nullptr, 10), nullptr);
}
