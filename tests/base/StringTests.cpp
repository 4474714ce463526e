// ConstString and String: both widths, conversion in place, resize, compare, the helpers and
// the table of 16-bit copies kept for the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/String.h"
#include "base/StringConversion.h"

using namespace Brennholt;

namespace {

std::u16string wide(const ConstString& text) {
  return std::u16string(text.text16(), text.length());
}
std::string narrow(const ConstString& text) { return std::string(text.text8(), text.length()); }

TEST(ConstString, AViewAnswersOnlyInItsOwnWidth) {
  ConstString eight("abc");
  EXPECT_EQ(eight.length(), 3);
  EXPECT_EQ(eight.getChar8(1), 'b');
  EXPECT_EQ(eight.getChar8(3), 0) << "index at the length";
  EXPECT_EQ(eight.getChar8(-1), 0);
  EXPECT_EQ(eight.getChar16(0), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(eight.text16()), "");

  ConstString sixteen(u"xyz");
  EXPECT_TRUE(sixteen.isWide());
  EXPECT_EQ(sixteen.getChar8(0), 0);
  EXPECT_STREQ(sixteen.text8(), "");
  EXPECT_EQ(sixteen.getChar16(2), u'z');
  EXPECT_EQ(sixteen.text(), sixteen.text16());

  ConstString absent;
  EXPECT_EQ(absent.length(), 0);
  EXPECT_EQ(absent.ptr(), nullptr);
  EXPECT_STREQ(absent.text8(), "");
}

TEST(String, ConstructionHonoursLengthAndTerminator) {
  EXPECT_EQ(narrow(String("abcdef", 3)), "abc");
  EXPECT_EQ(narrow(String("ab\0cd", 5, true)), "ab") << "stops at the zero before the length";
  String raw("ab\0cd", 5, false);
  EXPECT_EQ(raw.length(), 5);
  EXPECT_EQ(raw.getChar8(3), 'c');
  EXPECT_EQ(wide(String(u"hello", 4)), u"hell");
  EXPECT_EQ(String(static_cast<const char8*>(nullptr)).length(), 0);
}

TEST(String, ReadingTheOtherWidthConvertsInPlace) {
  String text(u"Memory 1");
  ASSERT_TRUE(text.isWide());
  EXPECT_STREQ(text.text8(), "Memory 1");
  EXPECT_FALSE(text.isWide());
  EXPECT_EQ(text.length(), 8);
  EXPECT_EQ(text.getChar16(7), u'1');
  EXPECT_TRUE(text.isWide());
  const char16* units = text.text16();
  EXPECT_EQ(units[text.length()], 0) << "terminated after the last character";
}

TEST(String, FailedConversionKeepsTheText) {
  String text("bad \xC3 byte");  // a truncated UTF-8 sequence
  EXPECT_FALSE(text.toWideString(65001));
  EXPECT_FALSE(text.isWide());
  EXPECT_EQ(narrow(text), "bad \xC3 byte");
  const char16 unpaired[] = {u'a', 0xD800, u'b', 0};
  String lone(unpaired);
  EXPECT_FALSE(lone.toMultiByte(65001));
  EXPECT_TRUE(lone.isWide());
  EXPECT_EQ(lone.length(), 3);
}

TEST(String, MultiByteWithAnotherCodePageGoesThroughSixteenBits) {
  String text(u"caf\u00E9");
  ASSERT_TRUE(text.toMultiByte(65001));
  EXPECT_EQ(narrow(text), "caf\xC3\xA9");
  String ascii("plain");
  EXPECT_TRUE(ascii.toMultiByte(65001));
  EXPECT_EQ(narrow(ascii), "plain");
}

TEST(String, ResizeFillsPadsAndFrees) {
  String text("abc");
  ASSERT_TRUE(text.resize(5, false, true));
  EXPECT_EQ(narrow(text), "abc  ");
  EXPECT_EQ(text.text8()[5], 0);
  ASSERT_TRUE(text.resize(2, false));
  EXPECT_EQ(narrow(text), "ab");
  ASSERT_TRUE(text.resize(4, false));
  EXPECT_EQ(text.getChar8(2), 0) << "new positions are zero without fill";

  String sixteen(u"ab");
  ASSERT_TRUE(sixteen.resize(4, true, true));
  EXPECT_EQ(wide(sixteen), u"ab  ");

  ASSERT_TRUE(sixteen.resize(0, false));
  EXPECT_EQ(sixteen.length(), 0);
  EXPECT_EQ(sixteen.ptr(), nullptr);
  EXPECT_FALSE(sixteen.isWide());
  EXPECT_FALSE(sixteen.resize(-1, false));
}

TEST(String, ResizeToTheOtherWidthKeepsTheCharacters) {
  String text("ab");
  ASSERT_TRUE(text.resize(3, true, true));
  EXPECT_EQ(std::u16string(static_cast<const char16*>(text.ptr()), 3), u"ab ");
}

TEST(String, AssignCopiesAndLeavesItsOwnBufferAlone) {
  String text("first");
  ASSERT_TRUE(text.assign(text.text8()));
  EXPECT_EQ(narrow(text), "first");
  ASSERT_TRUE(text.assign(text.text8() + 2));  // a part of its own buffer
  EXPECT_EQ(narrow(text), "rst");
  ASSERT_TRUE(text.assign(u"wide", 2));
  EXPECT_EQ(wide(text), u"wi");
}

TEST(String, CopiesOwnTheirBuffers) {
  String original("shared?");
  String copy(original);
  String assigned;
  assigned = original;
  original.assign("changed");
  EXPECT_EQ(narrow(copy), "shared?");
  EXPECT_EQ(narrow(assigned), "shared?");
  String moved(std::move(copy));
  EXPECT_EQ(narrow(moved), "shared?");
}

TEST(String, CompareFromPositionOverLength) {
  String text("Extension");
  EXPECT_EQ(text.compare(ConstString("Extension")), 0);
  EXPECT_LT(text.compare(ConstString("Extensions")), 0);
  EXPECT_GT(text.compare(ConstString("Extend")), 0);
  EXPECT_EQ(text.compare(3, ConstString("ens"), 3), 0);
  EXPECT_EQ(text.compare(0, ConstString("ExtXXX"), 3), 0);
  EXPECT_NE(text.compare(ConstString("EXTENSION")), 0);
  EXPECT_EQ(text.compare(ConstString("EXTENSION"), ConstString::kCaseInsensitive), 0);
  // Past the end: an empty remainder, below anything and equal to nothing but empty.
  EXPECT_LT(text.compare(20, ConstString("a")), 0);
  EXPECT_EQ(text.compare(9, ConstString("")), 0);
  EXPECT_EQ(ConstString().compare(ConstString("")), 0);
  EXPECT_GT(ConstString("a").compare(ConstString()), 0);
}

TEST(String, CompareAcrossWidthsWidensTheEightBitSide) {
  ConstString eight("Mixer");
  ConstString sixteen(u"mixer");
  EXPECT_EQ(eight.compare(sixteen, ConstString::kCaseInsensitive), 0);
  EXPECT_LT(eight.compare(sixteen), 0);
  EXPECT_EQ(sixteen.compare(1, ConstString("ixe"), 3), 0);
  EXPECT_FALSE(eight.isWide()) << "a view is never converted";
}

TEST(String, AsciiCheckInBothWidths) {
  EXPECT_TRUE(String("").isAsciiString());
  EXPECT_TRUE(String(u"").isAsciiString());
  EXPECT_TRUE(String("Memory 6~").isAsciiString());
  EXPECT_FALSE(String("caf\xE9").isAsciiString());
  EXPECT_FALSE(String(u"caf\u00E9").isAsciiString());
  EXPECT_FALSE(ConstString(u"\u0080").isAsciiString());
}

TEST(StringConversion, HelpersConvertBothWays) {
  EXPECT_EQ(toText8(u"Devices"), "Devices");
  EXPECT_EQ(toText16("Devices"), u"Devices");
  EXPECT_EQ(toText8(u"abc", 2), "ab");
  EXPECT_EQ(toText8(nullptr), "");
}

TEST(StringConversion, HostTextIsReadFromAZeroedBufferAndCutAtItsEnd) {
  std::string text = readHostText([](char16* buffer, int32 capacity) {
    EXPECT_EQ(capacity, kHostTextUnits);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[capacity - 1], 0);
    buffer[0] = u'Q';
    buffer[1] = u'C';
  });
  EXPECT_EQ(text, "QC");
  std::string full = readHostText([](char16* buffer, int32 capacity) {
    for (int32 i = 0; i < capacity; ++i) buffer[i] = u'x';  // no terminator
  });
  EXPECT_EQ(full.size(), static_cast<size_t>(kHostTextUnits - 1));
}

TEST(StableText16, SameSourceSameCopy) {
  static const char title[] = "Extension Setup";
  const char16* first = stableText16(title);
  EXPECT_EQ(std::u16string(first), u"Extension Setup");
  EXPECT_EQ(stableText16(title), first);
  std::string elsewhere = title;
  EXPECT_EQ(stableText16(elsewhere.c_str()), first) << "the same text shares the copy";
  EXPECT_EQ(std::u16string(stableText16(nullptr)), u"");
}

TEST(StableText16, AReusedBufferGetsItsNewTextAndOldCopiesStayValid) {
  char buffer[32];
  std::strcpy(buffer, "Load...");
  const char16* load = stableText16(buffer);
  std::strcpy(buffer, "Save...");
  const char16* save = stableText16(buffer);
  EXPECT_EQ(std::u16string(save), u"Save...");
  EXPECT_EQ(std::u16string(load), u"Load...") << "the host may still hold the first copy";
  std::strcpy(buffer, "Load...");
  EXPECT_EQ(stableText16(buffer), load);
}

}  // namespace
