// Text conversion under the Win32 contract, on both platforms. Code page 0 differs between the
// platforms beyond ASCII, so the exact UTF-8 behaviour is checked with code page 65001.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"

using namespace Brennholt;
using namespace Brennholt::Platform;

namespace {

constexpr uint32 kUtf8 = 65001;

std::u16string toWide(uint32 codePage, const std::string& text) {
  int32 n = multiByteToWide(codePage, text.data(), static_cast<int32>(text.size()), nullptr, 0);
  std::u16string result(static_cast<size_t>(n), u'\0');
  if (n > 0)
    multiByteToWide(codePage, text.data(), static_cast<int32>(text.size()), result.data(), n);
  return result;
}

std::string toNarrow(uint32 codePage, const std::u16string& text) {
  int32 n = wideToMultiByte(codePage, text.data(), static_cast<int32>(text.size()), nullptr, 0);
  std::string result(static_cast<size_t>(n), '\0');
  if (n > 0)
    wideToMultiByte(codePage, text.data(), static_cast<int32>(text.size()), result.data(), n);
  return result;
}

TEST(Text, AsciiRoundTripsInTheSystemCodePage) {
  EXPECT_EQ(toWide(0, "Memory 1"), u"Memory 1");
  EXPECT_EQ(toNarrow(0, u"Memory 1"), "Memory 1");
}

TEST(Text, Utf8CoversEveryPlane) {
  std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9";  // a, e-acute, euro, keyboard
  std::u16string wide = u"a\u00E9\u20AC\U0001F3B9";
  EXPECT_EQ(toWide(kUtf8, text), wide);
  EXPECT_EQ(toNarrow(kUtf8, wide), text);
}

TEST(Text, InvalidUtf8FailsTheConversion) {
  for (const char* bad :
       {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xE2\x82"}) {
    EXPECT_EQ(multiByteToWide(kUtf8, bad, -1, nullptr, 0), 0) << "input " << bad;
  }
  const char16 lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(wideToMultiByte(kUtf8, lone, 3, nullptr, 0), 0);
  const char16 lowFirst[] = {0xDC00, 0xD800};
  EXPECT_EQ(wideToMultiByte(kUtf8, lowFirst, 2, nullptr, 0), 0);
}

TEST(Text, MinusOneLengthIncludesTheTerminator) {
  EXPECT_EQ(multiByteToWide(0, "abc", -1, nullptr, 0), 4);
  char16 wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(multiByteToWide(0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(wideToMultiByte(0, u"abc", -1, nullptr, 0), 4);
}

TEST(Text, TooSmallDestinationFailsAndBadArgumentsAnswerZero) {
  char16 wide[2];
  EXPECT_EQ(multiByteToWide(0, "abc", 3, wide, 2), 0);
  char narrow[2];
  EXPECT_EQ(wideToMultiByte(0, u"abc", 3, narrow, 2), 0);
  EXPECT_EQ(multiByteToWide(0, "abc", 0, nullptr, 0), 0);
  EXPECT_EQ(multiByteToWide(0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(wideToMultiByte(0, u"abc", -2, nullptr, 0), 0);
}

}  // namespace
