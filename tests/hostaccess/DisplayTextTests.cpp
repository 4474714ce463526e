#include "hostaccess/DisplayText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/StringConversion.h"
#include "hostaccess/ParameterController.h"
#include "sdk/host/CommandServices.h"
#include "tests/hostaccess/FakeHostTree.h"

namespace {

using Brennholt::displayValue;
using Brennholt::englishName;
using Brennholt::int32;
using Brennholt::knobValueText;
using Brennholt::ParameterController;
using Brennholt::quickControlName;
using Brennholt::quickControlRename;
using Brennholt::tresult;
using Brennholt::TUID;
using Brennholt::uint32;
using Brennholt::valueText;
using Brennholt::vexelOneName;
using Brennholt::Test::copyText;
using Brennholt::Test::FakeObject;
using Brennholt::Test::FakeTree;
using Brennholt::Test::FakeValue;

// Answers a word from its table; a word it has no entry for has no translation.
class FakeTranslator final : public Brennholt::Hox::ITranslator {
 public:
  explicit FakeTranslator(int& references) : references_(references) {}

  std::u16string language = u"de";
  std::map<std::u16string, std::u16string> words;

  tresult translate(const char16_t* english, char16_t* text, int32 capacity) noexcept override {
    auto it = words.find(english);
    copyText(it == words.end() ? u"" : it->second, text, capacity);
    return it == words.end() ? Brennholt::kResultFalse : Brennholt::kResultOk;
  }
  tresult registerTable(void*, const char16_t*, const char16_t*) noexcept override {
    return Brennholt::kResultFalse;
  }
  tresult getLanguage(char16_t* code, int32 capacity) noexcept override {
    copyText(language, code, capacity);
    return Brennholt::kResultOk;
  }
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return Brennholt::kNoInterface;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++references_); }
  uint32 release() noexcept override { return static_cast<uint32>(--references_); }

 private:
  int& references_;
};

// The module's 8-bit form of a text, in the code page the conversions use.
std::string narrow(const char16_t* text) { return Brennholt::toText8(text); }

class DisplayTexts : public testing::Test {
 protected:
  DisplayTexts() {
    tree.offer(Brennholt::Hox::ITranslator::iid, &translator);
    translator.words = {{u"On", u"Ein"},
                        {u"Off", u"Aus"},
                        {u"EQ", u"EQ"},
                        {u"Quality", u"G\u00fcte"},
                        {u"Volume", u"Lautst\u00e4rke"},
                        {u"Pan", u"Panorama"},
                        {u"EQ 1 Gain", u"EQ 1 Verst."}};
  }
  void TearDown() override { EXPECT_EQ(tree.references, 0) << "a host reference was kept"; }

  FakeTree tree;
  FakeTranslator translator{tree.references};
};

TEST_F(DisplayTexts, ValueTextsBecomeDisplayable) {
  EXPECT_EQ(displayValue(&tree, u"+\u221E"), "+oo");
  EXPECT_EQ(displayValue(&tree, u"-\u221E"), "-oo");
  EXPECT_EQ(displayValue(&tree, u"\u2212\u221E"), "-oo");
  EXPECT_EQ(displayValue(&tree, u"\u221E"), "oo");
  EXPECT_EQ(displayValue(&tree, u"Ein"), "On");
  EXPECT_EQ(displayValue(&tree, u"Aus"), "Off");
  EXPECT_EQ(displayValue(&tree, u"-6.0 dB"), "-6.0 dB");
  // An empty text is no switch word, even against a word the host has no translation for.
  translator.words.erase(u"Off");
  EXPECT_EQ(displayValue(&tree, u""), "");

  translator.language = u"US";
  EXPECT_EQ(displayValue(&tree, u"Ein"), "Ein");
  EXPECT_EQ(displayValue(nullptr, u"Ein"), "Ein");
}

TEST_F(DisplayTexts, NamesBecomeEnglish) {
  EXPECT_EQ(englishName(&tree, narrow(u"EQ 1 G\u00fcte")), "EQ 1 Q");
  EXPECT_EQ(englishName(&tree, narrow(u"Lautst\u00e4rke")), "Volume");
  EXPECT_EQ(englishName(&tree, "EQ 1 Verst."), "EQ 1 Gain");
  EXPECT_EQ(englishName(&tree, narrow(u"G\u00fcte")), narrow(u"G\u00fcte"));  // only beside EQ
  EXPECT_EQ(englishName(&tree, "EQ - EQ1 Gain EQ5 EQ4"), "EQ - EQ 1 Gain EQ5 EQ 4");

  translator.language = u"us";
  EXPECT_EQ(englishName(&tree, narrow(u"Lautst\u00e4rke")), narrow(u"Lautst\u00e4rke"));
  EXPECT_EQ(englishName(&tree, narrow(u"EQ 1 G\u00fcte")), "EQ 1 Q");
}

TEST_F(DisplayTexts, QuickControlNamesAndFallbackValueTexts) {
  FakeValue* control = tree.value();
  control->minimum = 0;
  control->maximum = 4;
  control->plain = 1;
  FakeValue* destination = tree.value();
  destination->text = u"Lautst\u00e4rke";
  EXPECT_EQ(quickControlName(&tree, 2, destination), "Q3:Volume");
  EXPECT_EQ(quickControlName(&tree, -1, destination), "");
  EXPECT_EQ(quickControlName(&tree, 0, nullptr), "");

  ParameterController controller;
  EXPECT_EQ(valueText(controller, destination, "Q1:"), "");
  ASSERT_TRUE(controller.bind(control, ParameterController::kRelative, 4));
  EXPECT_EQ(valueText(controller, nullptr, "Q1:"), "(0.250)");
  EXPECT_EQ(valueText(controller, destination, "Q1:Pan"), "(0.250)");

  // A quick control without a destination shows its three-character name and no value.
  destination->format = [](double) { return std::u16string(); };
  const std::string name = quickControlRename(&tree, "Q1:Volume", destination);
  EXPECT_EQ(name, "Q1:");
  EXPECT_EQ(valueText(controller, destination, name), "");

  control->format = [](double) { return std::u16string(); };
  EXPECT_EQ(knobValueText(&tree, controller, nullptr, "Q1:"), "(0.250)");
  control->format = [](double) { return std::u16string(u"+\u221E"); };
  EXPECT_EQ(knobValueText(&tree, controller, nullptr, "Q1:"), "+oo");
  EXPECT_EQ(knobValueText(&tree, controller, destination, "Q1:"), "");
  controller.unbind();
}

TEST_F(DisplayTexts, VexelOneNamesComeFromTheProgramObject) {
  FakeObject* instrument = tree.object("");
  FakeObject* titles = tree.object("0", instrument);
  titles->tagTitles[7] = u"Bright";
  FakeValue* cutoff = tree.value(instrument);
  cutoff->tagNumber = 7;

  std::string name = "Cutoff";
  EXPECT_TRUE(vexelOneName(instrument, cutoff, name));
  EXPECT_EQ(name, "Bright");
  EXPECT_FALSE(vexelOneName(instrument, cutoff, name));
  cutoff->tagNumber = 8;  // no title for this tag: the name stays
  EXPECT_FALSE(vexelOneName(instrument, cutoff, name));
  EXPECT_EQ(name, "Bright");
}

}  // namespace
