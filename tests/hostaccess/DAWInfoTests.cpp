#include "hostaccess/DAWInfo.h"

#include <gtest/gtest.h>

#include "base/StringConversion.h"

using Brennholt::DAWInfo;

namespace {

DAWInfo info(const char16_t* product, const char16_t* version, const char16_t* build = u"1") {
  return DAWInfo(product, version, build);
}

}  // namespace

TEST(DAWInfo, EditionByFirstMatchingWordInAnyCase) {
  struct Case {
    const char16_t* product;
    int edition;
  } cases[] = {
      {u"Tessaly Artist 7", DAWInfo::kStudio},
      {u"TESSALY ARTIST", DAWInfo::kStudio},
      {u"tessaly studio", DAWInfo::kStudio},
      {u"Tessaly Elements with Tessaly LE inside", DAWInfo::kEssential},
      {u"Tessaly LE Tessaly Elements", DAWInfo::kEssential},
      {u"Tessaly Hover", DAWInfo::kHover},
      {u"Tessaly LE", DAWInfo::kLE},
      {u"Tessaly", DAWInfo::kFull},
      {u"Morvane", DAWInfo::kMorvane},
      {u"Other Host", DAWInfo::kUnknown},
      {u"", DAWInfo::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(info(c.product, nullptr).edition(), c.edition);
}

TEST(DAWInfo, ProductNameIsKeptAsTheHostWroteIt) {
  const DAWInfo accented = info(u"Morvane Studio \u00DCbung", u"6.0.7");
  EXPECT_EQ(accented.productName(), Brennholt::toText8(u"Morvane Studio \u00DCbung"));
  EXPECT_EQ(accented.productName().find('?'), std::string::npos);
  EXPECT_EQ(accented.edition(), DAWInfo::kMorvane);
  EXPECT_TRUE(accented.isValid());
}

TEST(DAWInfo, VersionTextStartsAtTheFirstDigitAndSplitsAtDots) {
  DAWInfo a = info(u"Tessaly", u"Version 7.5.20");
  EXPECT_EQ(a.versionText(), "7.5.20");
  EXPECT_EQ(a.major(), 7);
  EXPECT_EQ(a.minor(), 5);
  EXPECT_EQ(a.patch(), 20);
  EXPECT_TRUE(a.isValid());

  DAWInfo b = info(u"Tessaly", u"7.5");
  EXPECT_EQ(b.major(), 7);
  EXPECT_EQ(b.minor(), -1);
  EXPECT_EQ(b.patch(), -1);
  EXPECT_FALSE(b.isValid());

  // Without any dot none of the numbers is read.
  DAWInfo c = info(u"Tessaly", u"7");
  EXPECT_EQ(c.major(), -1);

  // Patch text keeps everything after the second dot; its leading digits count.
  DAWInfo d = info(u"Tessaly", u"8.1.3.99 beta");
  EXPECT_EQ(d.patch(), 3);

  DAWInfo e = info(u"Tessaly", u"no digits");
  EXPECT_EQ(e.versionText(), "");
  EXPECT_EQ(e.major(), -1);
}

TEST(DAWInfo, BuildFromFirstDigitAndValidity) {
  EXPECT_EQ(DAWInfo(u"Tessaly", u"7.0.0", u"Build 412").build(), 412);
  EXPECT_FALSE(DAWInfo(u"Tessaly", u"7.0.0", u"none").isValid());
  EXPECT_FALSE(DAWInfo(u"Tessaly", u"7.0.0", nullptr).isValid());
  EXPECT_FALSE(DAWInfo(u"Unknown", u"7.0.0", u"1").isValid());
  EXPECT_FALSE(DAWInfo(nullptr, nullptr, nullptr).isValid());
}

TEST(DAWInfo, CompareSkipsNegativeArguments) {
  DAWInfo v75 = info(u"Tessaly", u"7.5.2");
  EXPECT_EQ(v75.compare(7, 5, -1), 0);
  EXPECT_EQ(v75.compare(7, 4, -1), 1);
  EXPECT_EQ(v75.compare(7, 6, -1), -1);
  EXPECT_EQ(v75.compare(8, 0, 0), -1);
  EXPECT_EQ(v75.compare(6, 9, 9), 1);
  EXPECT_EQ(v75.compare(-1, -1, 2), 0);
  EXPECT_EQ(v75.compare(-1, -1, -1), 0);
  EXPECT_EQ(info(u"Tessaly", u"7.0.0").compare(7, 5, -1), -1);
  EXPECT_EQ(info(u"Morvane", u"6.0.7").compare(6, 5, -1), -1);
}
