#include "hostaccess/DisplayText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/StringConversion.h"
#include "hostaccess/ParameterController.h"
#include "sim/host/BareHost.h"
#include "sim/host/project/ProjectModel.h"
#include "sim/host/project/TreeValue.h"

namespace {

using Brennholt::displayValue;
using Brennholt::englishName;
using Brennholt::knobValueText;
using Brennholt::ParameterController;
using Brennholt::quickControlName;
using Brennholt::quickControlRename;
using Brennholt::valueText;
using Brennholt::vexelOneName;
using QentSim::TreeValue;
using QentSim::ValueSpec;

// The module's 8-bit form of a text, in the code page the conversions use.
std::string narrow(const char16_t* text) { return Brennholt::toText8(text); }

using Words = std::vector<std::pair<std::string, std::string>>;

// The host in a language it has no words of its own for: the test's are all there are.
const Words kWords = {{"On", "Ein"},
                      {"Off", "Aus"},
                      {"EQ", "EQ"},
                      {"Quality", "G\xC3\xBCte"},
                      {"Volume", "Lautst\xC3\xA4rke"},
                      {"Pan", "Panorama"},
                      {"EQ 1 Gain", "EQ 1 Verst."}};

class DisplayTexts : public testing::Test {
 protected:
  DisplayTexts() {
    host.setLanguage("xx");
    host.setTranslations(kWords);
  }
  void TearDown() override {
    EXPECT_EQ(host.kernelReferences(), 0) << "a host reference was kept";
    EXPECT_EQ(host.treeReferences(), 0) << "a host reference was kept";
  }
  TreeValue* number(double minimum, double maximum, double plain, const char* format,
                    std::vector<std::pair<double, std::string>> texts = {}) {
    ValueSpec spec;
    spec.minimum = minimum;
    spec.maximum = maximum;
    spec.value = plain;
    spec.format = format;
    spec.texts = std::move(texts);
    return host.looseValue(spec);
  }
  TreeValue* text(const std::string& shown) {
    ValueSpec spec;
    spec.textOnly = true;
    spec.text = shown;
    return host.looseValue(spec);
  }

  QentSim::BareHost host;
  Brennholt::Hox::IHostKernel* kernel = host.kernel();
};

TEST_F(DisplayTexts, ValueTextsBecomeDisplayable) {
  EXPECT_EQ(displayValue(kernel, u"+\u221E"), "+oo");
  EXPECT_EQ(displayValue(kernel, u"-\u221E"), "-oo");
  EXPECT_EQ(displayValue(kernel, u"\u2212\u221E"), "-oo");
  EXPECT_EQ(displayValue(kernel, u"\u221E"), "oo");
  EXPECT_EQ(displayValue(kernel, u"Ein"), "On");
  EXPECT_EQ(displayValue(kernel, u"Aus"), "Off");
  EXPECT_EQ(displayValue(kernel, u"-6.0 dB"), "-6.0 dB");
  // An empty text is no switch word, even against a word the host has no translation for.
  Words withoutOff = kWords;
  withoutOff.erase(withoutOff.begin() + 1);
  host.setTranslations(withoutOff);
  EXPECT_EQ(displayValue(kernel, u""), "");

  host.setLanguage("US");
  EXPECT_EQ(displayValue(kernel, u"Ein"), "Ein");
  EXPECT_EQ(displayValue(nullptr, u"Ein"), "Ein");
}

TEST_F(DisplayTexts, NamesBecomeEnglish) {
  EXPECT_EQ(englishName(kernel, narrow(u"EQ 1 G\u00fcte")), "EQ 1 Q");
  EXPECT_EQ(englishName(kernel, narrow(u"Lautst\u00e4rke")), "Volume");
  EXPECT_EQ(englishName(kernel, "EQ 1 Verst."), "EQ 1 Gain");
  EXPECT_EQ(englishName(kernel, narrow(u"G\u00fcte")), narrow(u"G\u00fcte"));  // only beside EQ
  EXPECT_EQ(englishName(kernel, "EQ - EQ1 Gain EQ5 EQ4"), "EQ - EQ 1 Gain EQ5 EQ 4");

  // In US English only the equaliser's quality is shortened (the host's word is the English).
  host.setLanguage("us");
  EXPECT_EQ(englishName(kernel, narrow(u"Lautst\u00e4rke")), narrow(u"Lautst\u00e4rke"));
  EXPECT_EQ(englishName(kernel, "EQ 1 Quality"), "EQ 1 Q");
}

TEST_F(DisplayTexts, QuickControlNamesAndFallbackValueTexts) {
  TreeValue* control = number(0, 4, 1, "%.2f");
  TreeValue* destination = text("Lautst\xC3\xA4rke");
  EXPECT_EQ(quickControlName(kernel, 2, destination), "Q3:Volume");
  EXPECT_EQ(quickControlName(kernel, -1, destination), "");
  EXPECT_EQ(quickControlName(kernel, 0, nullptr), "");

  ParameterController controller;
  EXPECT_EQ(valueText(controller, destination, "Q1:"), "");
  ASSERT_TRUE(controller.bind(control, ParameterController::kRelative, 4));
  EXPECT_EQ(valueText(controller, nullptr, "Q1:"), "(0.250)");
  EXPECT_EQ(valueText(controller, destination, "Q1:Pan"), "(0.250)");

  // A quick control without a destination shows its three-character name and no value.
  TreeValue* none = text("");
  const std::string name = quickControlRename(kernel, "Q1:Volume", none);
  EXPECT_EQ(name, "Q1:");
  EXPECT_EQ(valueText(controller, none, name), "");

  // A control whose host gives no value text, and one that shows infinity.
  ASSERT_TRUE(controller.bind(number(0, 4, 1, ""), ParameterController::kRelative, 4));
  EXPECT_EQ(knobValueText(kernel, controller, nullptr, "Q1:"), "(0.250)");
  ASSERT_TRUE(controller.bind(number(0, 4, 1, "", {{1, "+\xE2\x88\x9E"}}),
                              ParameterController::kRelative, 4));
  EXPECT_EQ(knobValueText(kernel, controller, nullptr, "Q1:"), "+oo");
  EXPECT_EQ(knobValueText(kernel, controller, none, "Q1:"), "");
  controller.unbind();
}

TEST_F(DisplayTexts, VexelOneNamesComeFromTheProgramObject) {
  QentSim::ProjectDescription project;
  std::string error;
  ASSERT_TRUE(QentSim::ProjectDescription::parse(
      R"({"instruments": [{"name": "VexelOne", "programTitles": [{"7": "Bright"}],
          "parameters": [{"id": 100, "tag": 7}, {"id": 101, "tag": 8}]}]})",
      "test", &project, &error))
      << error;
  host.openProject(project);
  TreeValue* cutoff = host.value("inst:VexelOne", "100");
  TreeValue* untitled = host.value("inst:VexelOne", "101");
  ASSERT_TRUE(cutoff && untitled);
  Brennholt::IPtr<Brennholt::Hox::IHostObject> instrument;
  ASSERT_EQ(cutoff->getOwner(instrument.put()), Brennholt::kResultOk);

  std::string name = "Cutoff";
  EXPECT_TRUE(vexelOneName(instrument.get(), cutoff, name));
  EXPECT_EQ(name, "Bright");
  EXPECT_FALSE(vexelOneName(instrument.get(), cutoff, name));
  EXPECT_FALSE(vexelOneName(instrument.get(), untitled, name));  // no title for this tag
  EXPECT_EQ(name, "Bright");
}

}  // namespace
