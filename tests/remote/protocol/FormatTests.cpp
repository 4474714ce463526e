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

TEST(SysExView, DecodesHeaderAndAddressOnce) {
  const Bytes msg = message(SysExFormat::kHostToKeyboardSecond, 0x61, 0x0C, Bytes(6, 'a'));
  const auto decoded = SysExView::read(msg.data(), msg.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->bytes, msg.data());
  EXPECT_EQ(decoded->size, msg.size());
  EXPECT_EQ(decoded->direction, SysExDirection::HostToKeyboard);
  EXPECT_EQ(decoded->form, SysExForm::Second);
  EXPECT_EQ(decoded->address, (SysExAddress{0x61, 0x0C}));
  EXPECT_EQ(view(message(SysExFormat::kKeyboardToHostData, 0x50, 0x00)).direction,
            SysExDirection::KeyboardToHost);
  // Without the address low, or with a byte of the header changed, there is nothing to decode.
  EXPECT_FALSE(SysExView::read(msg.data(), 8));
  for (std::size_t i = 0; i < SysExFormat::kHeaderSize; ++i) {
    Bytes changed = msg;
    changed[i] ^= 0x02;
    EXPECT_FALSE(SysExView::read(changed.data(), changed.size())) << i;
  }
}

TEST(SysExView, ValidLengthMeansF7ExactlyWhereTheAddressPutsIt) {
  Bytes msg = message(SysExFormat::kKeyboardToHostData, 0x21, 0x00, {0x02});
  EXPECT_TRUE(view(msg).hasValidLength());
  // Message cut before the F7: never read past it.
  EXPECT_FALSE(view(msg, msg.size() - 1).hasValidLength());
  // One data byte too many: F7 is not at byte 10.
  msg.insert(msg.end() - 1, 0x00);
  EXPECT_FALSE(view(msg).hasValidLength());
  // An address without a fixed length is never valid by length.
  const Bytes foreign = message(SysExFormat::kHostToKeyboardData, 0x52, 0x00);
  EXPECT_FALSE(view(foreign).hasValidLength());
}

TEST(InboundFrame, CopiesOneFrameFromTheFirstF0ToTheNextF7) {
  Bytes port{0x00, 0x12};
  const Bytes frame = message(SysExFormat::kKeyboardToHostData, 0x56, 0x00, {0x01});
  port.insert(port.end(), frame.begin(), frame.end());
  port.insert(port.end(), {0xF0, 0x43, 0xF7});  // a second frame is not taken

  const SysExPtr copy = InboundFrame::copy(port.data(), port.size());
  ASSERT_TRUE(copy);
  // Exactly the frame, and its length with it.
  EXPECT_EQ(Bytes(copy.get(), copy.get() + copy.size()), frame);
}

TEST(InboundFrame, LooksNoFurtherThanTheFirst512Bytes) {
  Bytes port(600, 0x00);
  port[3] = 0xF0;
  port[511] = 0xF7;
  const SysExPtr atLimit = InboundFrame::copy(port.data(), port.size());
  ASSERT_TRUE(atLimit);
  ASSERT_EQ(atLimit.size(), 509u);
  EXPECT_EQ(atLimit[508], 0xF7);

  port[511] = 0x00;
  port[512] = 0xF7;
  EXPECT_FALSE(InboundFrame::copy(port.data(), port.size()));
  // The same bytes without an F0 at all, or with the F7 before the F0.
  port[3] = 0x00;
  port[1] = 0xF7;
  port[5] = 0xF0;
  EXPECT_FALSE(InboundFrame::copy(port.data(), 300));
  EXPECT_FALSE(InboundFrame::copy(nullptr, 10));
}
