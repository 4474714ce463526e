// Project descriptions: what is refused, and how the refusal names the place and the fault.
#include <gtest/gtest.h>

#include <string>

#include "sim/host/project/ProjectDescription.h"

using namespace QentSim;

namespace {

std::string refusal(const std::string& json) {
  ProjectDescription project;
  std::string error;
  EXPECT_FALSE(ProjectDescription::parse(json, "p.json", &project, &error)) << json;
  return error;
}

TEST(ProjectDescriptionTest, RefusesNamingTheLineOrKeyAndWhatIsWrong) {
  EXPECT_EQ(refusal("{\n  \"tracks\": [\n    { \"name\": \"A\" \n  ]\n}")
                .rfind("p.json:4: syntax error", 0),
            0u);
  EXPECT_EQ(refusal(R"({"tracks": [{"name": "A", "kind": "audio", "colour": "red"}]})"),
            "p.json: tracks[0]: unknown key \"colour\"");
  EXPECT_EQ(refusal(R"({"tracks": [{"name": "A", "kind": "audio", "selected": "yes"}]})"),
            "p.json: tracks[0].selected: expected true or false, found a text");
  EXPECT_EQ(refusal(R"({"tracks": [{"name": "A", "kind": "midi", "instrument": "Padz"}],
                        "instruments": [{"name": "Pads"}]})"),
            "p.json: tracks[0].instrument: no instrument named \"Padz\" in \"instruments\"");
  EXPECT_EQ(refusal(R"({"tracks": [{"name": "F", "kind": "folder", "tracks": [
                          {"name": "V", "kind": "midi", "values": {"panX": {}}}]}]})"),
            "p.json: tracks[0].tracks[0].values: this track's channel has no value \"panX\"");
  EXPECT_EQ(
      refusal(
          R"({"tracks": [{"name": "A", "kind": "audio", "values": {"volume": {"value": 12}}}]})"),
      "p.json: tracks[0].values.volume: value 12 lies outside -60..6");
  EXPECT_EQ(
      refusal(R"({"tracks": [{"name": "A", "kind": "audio"}, {"name": "A", "kind": "midi"}]})"),
      "p.json: tracks[1].name: a track named \"A\" is already there");
  EXPECT_EQ(
      refusal(R"({"instruments": [{"name": "X", "parameters": [{"id": 3},
                        {"id": 4, "title": "T", "format": "%s"}]}]})")
          .rfind(
              "p.json: instruments[0].parameters[1].format: \"%s\" is not a format of one number",
              0),
      0u);
  EXPECT_EQ(
      refusal(
          R"({"instruments": [{"name": "X", "objects": [{"name": "O", "parameters": [{"id": 3}]}],
                        "parameters": [{"id": 3}]}]})"),
      "p.json: instruments[0].objects[0].parameters[0].id: parameter 3 is already in this "
      "instrument");
  // A number no double can hold is refused, not thrown at the host.
  EXPECT_EQ(refusal(R"({"tracks": [], "instruments": [{"name": "X", "parameters": [
                        {"id": 1, "title": "T", "max": 1e400}]}]})"),
            "p.json: number overflow parsing '1e400'");
}

TEST(ProjectDescriptionTest, ResolvesValueFieldsOverTheirPlacesDefaults) {
  ProjectDescription project;
  std::string error;
  ASSERT_TRUE(ProjectDescription::parse(ProjectDescription::demoText(), "demo", &project, &error))
      << error;
  ASSERT_TRUE(ProjectDescription::parse(R"({
      "tracks": [{"name": "A", "kind": "audio", "values": {"band1:freq": {"max": 1000}},
                  "quickControls": [{"destination": "Cutoff", "value": 0.25}]}],
      "instruments": [{"name": "X", "parameters": [{"id": 5, "min": 10, "max": 20, "default": 12}]}]})",
                                        "p.json", &project, &error))
      << error;
  const ParameterDescription& p = project.instruments[0].parameters[0];
  EXPECT_EQ(p.spec.value, 12);  // no value: the default
  EXPECT_EQ(p.spec.format, "%.2f");
  const auto& values = project.tracks[0].values;
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].first, "band1:freq");
  EXPECT_EQ(values[0].second.maximum, 1000);
  EXPECT_EQ(values[0].second.minimum, 20);  // the band's own
  EXPECT_EQ(values[0].second.value, 100);
  EXPECT_EQ(values[0].second.format, "%.1f Hz");
  EXPECT_EQ(values[1].first, "QDestination1");
  EXPECT_EQ(values[1].second.text, "Cutoff");
  EXPECT_EQ(values[2].first, "QuickControl1");
  EXPECT_EQ(values[2].second.value, 0.25);
}

}  // namespace
