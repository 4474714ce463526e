// The pieces of parameter discovery that decide what a plug-in's answers turn into: class
// selection, title conversion, the unit walk and the single-entry host callback.
#include <gtest/gtest.h>

#include <cstring>

#include "finder/CHOX3ParamFinder.h"
#include "finder/CParameterInfoFinder.h"
#include "finder/LegacyParamFinder.h"

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

UnitInfo unit(int32 id, int32 parent, const char16_t* name) {
  UnitInfo info;
  std::memset(&info, 0, sizeof(info));
  info.id = id;
  info.parentUnitId = parent;
  for (int i = 0; name[i] && i < 127; ++i) info.name[i] = name[i];
  return info;
}

using Names = std::vector<std::string>;

PClassInfo2 classInfo(const char* category, const char* subCategories) {
  PClassInfo2 info;
  std::memset(&info, 0, sizeof(info));
  std::strncpy(info.category, category, sizeof(info.category));
  std::strncpy(info.subCategories, subCategories, sizeof(info.subCategories));
  return info;
}

}  // namespace

TEST(UnitWalk, NamesEnclosingUnitsOutermostFirstWithoutTheRoot) {
  std::vector<UnitInfo> units = {unit(2, 1, u"Filter"), unit(0, kNoParentUnitId, u"Root"),
                                 unit(1, 0, u"Layer A"), unit(3, 0, u"Layer B")};
  EXPECT_EQ(CParameterInfoFinder::unitNames(2, units), (Names{"Layer A", "Filter"}));
  EXPECT_EQ(CParameterInfoFinder::unitNames(3, units), (Names{"Layer B"}));
  EXPECT_EQ(CParameterInfoFinder::unitNames(0, units), Names{});
  EXPECT_EQ(CParameterInfoFinder::unitNames(99, units), Names{});
}

TEST(UnitWalk, EveryRecordWithTheIdContributes) {
  std::vector<UnitInfo> units = {unit(5, 0, u"First"), unit(5, 0, u"Second")};
  EXPECT_EQ(CParameterInfoFinder::unitNames(5, units), (Names{"Second", "First"}));
}

TEST(UnitWalk, StopsWhenAUnitIsItsOwnAncestor) {
  std::vector<UnitInfo> selfParent = {unit(4, 4, u"Loop")};
  EXPECT_EQ(CParameterInfoFinder::unitNames(4, selfParent), (Names{"Loop"}));

  std::vector<UnitInfo> ring = {unit(1, 2, u"A"), unit(2, 3, u"B"), unit(3, 1, u"C")};
  EXPECT_EQ(CParameterInfoFinder::unitNames(1, ring), (Names{"C", "B", "A"}));
}

TEST(TitleConversion, TakesLowBytesUpToTheFirstZero) {
  char16 title[128] = {};
  std::u16string text = u"Cutoff";
  std::copy(text.begin(), text.end(), title);
  EXPECT_EQ(CParameterInfoFinder::lowByteText(title, 128), "Cutoff");

  // Non-ASCII units keep their low byte; a unit whose low byte is zero ends the text.
  char16 wide[128] = {0x00E9, 0x4E2D, 0x0141, 0x0100, u'x'};
  EXPECT_EQ(CParameterInfoFinder::lowByteText(wide, 128), "\xE9\x2D\x41");

  // An unterminated field stops at its size.
  char16 full[128];
  std::fill(std::begin(full), std::end(full), u'a');
  EXPECT_EQ(CParameterInfoFinder::lowByteText(full, 128), std::string(128, 'a'));
}

TEST(ClassSelection, InstrumentsAreAudioModulesWithInstrumentSubCategory) {
  EXPECT_TRUE(CHOX3ParamFinder::isInstrumentClass(classInfo("Audio Module Class", "Instrument")));
  EXPECT_TRUE(
      CHOX3ParamFinder::isInstrumentClass(classInfo("Audio Module Class", "Fx|Instrument|Synth")));
  EXPECT_FALSE(CHOX3ParamFinder::isInstrumentClass(classInfo("Audio Module Class", "Fx|Delay")));
  EXPECT_FALSE(CHOX3ParamFinder::isInstrumentClass(classInfo("Audio Module Class", "instrument")));
  EXPECT_FALSE(
      CHOX3ParamFinder::isInstrumentClass(classInfo("Component Controller Class", "Instrument")));
  EXPECT_FALSE(CHOX3ParamFinder::isInstrumentClass(classInfo("Audio Module Class ", "Instrument")));
  // What a factory without the extended query leaves behind.
  EXPECT_FALSE(CHOX3ParamFinder::isInstrumentClass(classInfo("", "")));

  // Fields filled to the last byte are read only up to their size.
  PClassInfo2 unterminated = classInfo("Audio Module Class", "");
  std::memset(unterminated.subCategories, 'x', sizeof(unterminated.subCategories));
  std::memcpy(unterminated.subCategories + 118, "Instrument", 10);
  EXPECT_TRUE(CHOX3ParamFinder::isInstrumentClass(unterminated));
  std::memset(unterminated.category, 'A', sizeof(unterminated.category));
  EXPECT_FALSE(CHOX3ParamFinder::isInstrumentClass(unterminated));
}

TEST(SingleEntryHost, CallbackAnswersOnlyTheVersion) {
  EXPECT_EQ(hostCallback(nullptr, kSingleEntryHostVersion, 0, 0, nullptr, 0.0f), 2400);
  EXPECT_EQ(hostCallback(nullptr, 0, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(hostCallback(nullptr, 2, 5, 7, nullptr, 1.0f), 0);
}
