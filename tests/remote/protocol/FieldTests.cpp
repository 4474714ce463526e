#include <gtest/gtest.h>

#include <string>

#include "ProtocolTestSupport.h"
#include "remote/protocol/FixedText.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/RelativeEncoding.h"

using namespace Brennholt;
using namespace ProtocolTest;

namespace {

// Writes `text` into a 40-byte buffer at 9 and returns the field; "!" marks a failed write.
std::string field(std::string_view text, int32 width, bool verbatim = false) {
  Bytes buffer(40, 0xEE);
  const int32 end = verbatim
                        ? FixedText::writeVerbatim(text, buffer.data(), buffer.size(), 9, width)
                        : FixedText::write(text, buffer.data(), buffer.size(), 9, width);
  if (end != 9 + width) return "!";
  EXPECT_EQ(buffer[static_cast<std::size_t>(end)], 0xEE) << "wrote past its field";
  return textAt(buffer, 9, static_cast<std::size_t>(width));
}

}  // namespace

TEST(FixedText, FixedWidthRule) {
  // A high byte at position 3 turns the rest of the text into dashes, then spaces follow.
  EXPECT_EQ(field("ab\xC3\xA9-fghij", 24), "ab--------              ");
  EXPECT_EQ(field("ab\xC3xy", 8), "ab---   ");
  EXPECT_EQ(field("Cutoff Frequency", 8), "Cutoff F");
  EXPECT_EQ(field("", 6), "      ");
  EXPECT_EQ(field(std::string_view("Pan\0xx", 6), 6), "Pan   ");
  // The text's own high byte past the cut is never seen.
  EXPECT_EQ(field("abcdef\xFF", 6), "abcdef");
}

TEST(FixedText, VerbatimRuleKeepsHighBytes) {
  EXPECT_EQ(field("Gr\xC3\xBCn", 12, true), "Gr\xC3\xBCn       ");
  EXPECT_EQ(field("TwelveChars!andmore", 12, true), "TwelveChars!");
}

TEST(FixedText, RefusesFieldsOutsideTheDataOrTheBuffer) {
  Bytes buffer(20, 0xEE);
  EXPECT_EQ(FixedText::write("x", nullptr, 20, 9, 8), -1);
  EXPECT_EQ(FixedText::write("x", buffer.data(), buffer.size(), 8, 8), -1);   // over the address
  EXPECT_EQ(FixedText::write("x", buffer.data(), buffer.size(), 13, 8), -1);  // past the end
  EXPECT_EQ(FixedText::writeVerbatim("x", buffer.data(), buffer.size(), 9, -1), -1);
  EXPECT_EQ(buffer, Bytes(20, 0xEE));
  EXPECT_EQ(FixedText::write("x", buffer.data(), buffer.size(), 12, 8), 20);  // exactly fits
}

TEST(RelativeEncoding, DecodesTheKnobValueRanges) {
  const std::pair<int32, int32> cases[] = {{0, 0},   {1, 1},     {63, 63}, {64, 64}, {65, -1},
                                           {66, -2}, {127, -63}, {128, 0}, {-1, 0}};
  for (auto [value, steps] : cases) EXPECT_EQ(RelativeEncoding::decode(value), steps) << value;
  for (int32 steps = -63; steps <= 64; ++steps) {
    const auto value = RelativeEncoding::encode(steps);
    ASSERT_TRUE(value.has_value()) << steps;
    EXPECT_EQ(RelativeEncoding::decode(*value), steps);
  }
  EXPECT_FALSE(RelativeEncoding::encode(65).has_value());
  EXPECT_FALSE(RelativeEncoding::encode(-64).has_value());
}

TEST(KnobAssignment, EqKnobsHaveFixedParametersAndModeOne) {
  const std::pair<int32, uint32> cases[] = {{11, 0},    {12, 4135}, {15, 4138}, {16, 4131},
                                            {19, 4134}, {20, 4127}, {23, 4130}, {24, 0}};
  for (auto [knob, id] : cases) EXPECT_EQ(KnobAssignment::fixedParameter(knob), id) << knob;

  // Whatever the block holds, an EQ knob reads as its fixed assignment.
  Bytes msg(9 + 9 + 1, 'Z');
  KnobAssignment out;
  EXPECT_EQ(KnobAssignment::parse(msg.data(), msg.size(), 9, 15, out), 18);
  EXPECT_EQ(out, (KnobAssignment{1, 4138}));
}

TEST(KnobAssignment, ParsesModeDigitAndHexIdentifier) {
  struct Case {
    const char* block;
    int32 result;
    KnobAssignment parsed;
  };
  const Case cases[] = {
      {"100001A2F", 18, {1, 0x1A2F}},     {"0FFFFFFFF", 18, {0, 0xFFFFFFFF}},
      {"2deadBEEF", 18, {2, 0xDEADBEEF}}, {"700000010", 18, {2, 0x10}},
      {"A00000010", 18, {2, 0x10}},       {"10000G010", 18, {2, 0}},
      {"1 0000010", 18, {2, 0}},
  };
  for (const Case& c : cases) {
    Bytes msg(9, 0);
    msg.insert(msg.end(), c.block, c.block + 9);
    KnobAssignment out{-5, 7};
    EXPECT_EQ(KnobAssignment::parse(msg.data(), msg.size(), 9, 3, out), c.result) << c.block;
    const KnobAssignment expected = c.result > 0 ? c.parsed : KnobAssignment{-5, 7};
    EXPECT_EQ(out, expected) << c.block;
  }
  // Bad position, bad knob, block past the buffer.
  Bytes msg(18, '1');
  KnobAssignment out;
  EXPECT_EQ(KnobAssignment::parse(msg.data(), msg.size(), 8, 0, out), -1);
  EXPECT_EQ(KnobAssignment::parse(msg.data(), msg.size(), 9, 24, out), -1);
  EXPECT_EQ(KnobAssignment::parse(msg.data(), msg.size(), 10, 0, out), -1);
  EXPECT_EQ(KnobAssignment::parse(nullptr, 18, 9, 0, out), -1);
}
