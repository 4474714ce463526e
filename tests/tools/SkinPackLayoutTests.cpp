// skinpack's layout read back by the host's reader: the package the build made from
// extsetup/skin/, and the writer's rules on entries made up here.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "sim/skin/SkinPackage.h"
#include "tests/tools/SkinTestFiles.h"
#include "tools/skinpack/SkinPackWriter.h"

using QentSim::SkinPackage;
using QentTools::SkinPackWriter;

namespace {

const std::string kSkinDir = QENT_SKIN_DIR;

// The images in package order (by name), then the skin description.
const std::vector<std::string> kEntryNames = {
    "qent_ex_back.png",         "qent_ex_back_assign.png",  "qent_ex_back_option.png",
    "qent_ex_back_quick.png",   "qent_ex_btn_load.png",     "qent_ex_btn_reset1.png",
    "qent_ex_btn_reset2.png",   "qent_ex_btn_reset3.png",   "qent_ex_btn_reset4.png",
    "qent_ex_btn_reset5.png",   "qent_ex_btn_reset6.png",   "qent_ex_btn_save.png",
    "qent_ex_frame_green1.png", "qent_ex_frame_green2.png", "qent_ex_tab_option.png",
    "qent_ex_tab_quick.png",    "qent_ex_tab_sfassign.png", "skin.xml"};

bool expectedCompressed(const std::string& name) {
  return name == "skin.xml" || name.rfind("qent_ex_back", 0) == 0 ||
         name.rfind("qent_ex_frame_", 0) == 0;
}

SkinPackage readBuilt(std::vector<uint8_t>* bytes) {
  *bytes = SkinTest::readFile(SkinTest::builtPackagePath());
  SkinPackage package;
  std::string error;
  EXPECT_TRUE(package.read(bytes->data(), bytes->size(), &error)) << error;
  return package;
}

std::string text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(SkinPackLayout, EntriesLieBackToBackFromTheHeaderToTheDirectory) {
  std::vector<uint8_t> bytes;
  SkinPackage package = readBuilt(&bytes);
  ASSERT_EQ(package.entries().size(), kEntryNames.size());

  uint64_t next = 25;
  for (size_t i = 0; i < kEntryNames.size(); ++i) {
    const SkinPackage::Entry& entry = package.entries()[i];
    SCOPED_TRACE(kEntryNames[i]);
    EXPECT_EQ(entry.name, kEntryNames[i]);
    EXPECT_EQ(entry.offset, next);
    next = entry.offset + uint64_t{entry.packedSize};

    std::vector<uint8_t> source = SkinTest::readFile(kSkinDir + "/" + entry.name);
    ASSERT_FALSE(source.empty());
    EXPECT_TRUE(entry.data == source) << "the contents come back as the file holds them";
    if (expectedCompressed(entry.name)) {
      EXPECT_EQ(entry.flags, SkinPackage::kCompressed);
      EXPECT_LT(entry.packedSize, source.size());
    } else {
      EXPECT_EQ(entry.flags, SkinPackage::kStored);
      EXPECT_EQ(entry.packedSize, source.size());
    }
  }
  // Directory and trailer follow the last entry's data directly.
  const uint32_t directoryLength = SkinTest::uint32At(bytes, bytes.size() - 16);
  EXPECT_EQ(next + directoryLength + 48, bytes.size());
  EXPECT_EQ(package.identifier().size(), 32u);
}

TEST(SkinPackLayout, TheSameSkinGivesTheSameBytesAndAnotherGivesAnotherIdentifier) {
  std::vector<uint8_t> built = SkinTest::readFile(SkinTest::builtPackagePath());
  auto pack = [](const std::string& extra) {
    SkinPackWriter writer;
    for (const std::string& name : kEntryNames) {
      std::vector<uint8_t> data =
          SkinTest::readFile(std::string(kSkinDir).append("/").append(name));
      if (name == "skin.xml") data.insert(data.end(), extra.begin(), extra.end());
      writer.add(name, data);
    }
    std::vector<uint8_t> package;
    std::string error;
    EXPECT_TRUE(writer.build(&package, &error)) << error;
    return package;
  };
  EXPECT_TRUE(pack("") == built) << "the build's package is reproducible from the folder";
  std::vector<uint8_t> other = pack("<!-- -->\n");
  ASSERT_GE(other.size(), 48u);
  EXPECT_NE(std::string(other.end() - 48, other.end() - 16),
            std::string(built.end() - 48, built.end() - 16));
}

TEST(SkinPackLayout, EntriesAreCompressedOnlyWhenThatSavesAnEighth) {
  std::mt19937 random(7);
  std::vector<uint8_t> noise(4000);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  // Noise with a compressible tail that saves less than an eighth.
  std::vector<uint8_t> almost = noise;
  almost.insert(almost.end(), 300, 'x');
  std::vector<uint8_t> flat(5000, 'a');

  SkinPackWriter writer;
  writer.add("empty", {});
  writer.add("noise", noise);
  writer.add("almost", almost);
  writer.add("flat", flat);
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(writer.build(&bytes, &error)) << error;

  SkinPackage package;
  ASSERT_TRUE(package.read(bytes.data(), bytes.size(), &error)) << error;
  ASSERT_EQ(package.entries().size(), 4u);
  const auto& entries = package.entries();
  EXPECT_EQ(entries[0].flags, SkinPackage::kStored);
  EXPECT_EQ(entries[0].packedSize, 0u);
  EXPECT_EQ(entries[1].flags, SkinPackage::kStored);
  EXPECT_EQ(entries[2].flags, SkinPackage::kStored);
  EXPECT_TRUE(entries[2].data == almost);
  EXPECT_EQ(entries[3].flags, SkinPackage::kCompressed);
  EXPECT_LT(entries[3].packedSize, 100u);
  EXPECT_TRUE(entries[3].data == flat);
  // The compressed record carries the inflated size before the name: 4 + 4 + 4 + 4 + "flat\0".
  const uint32_t directoryLength = SkinTest::uint32At(bytes, bytes.size() - 16);
  EXPECT_EQ(directoryLength, (12 + 6) + (12 + 6) + (12 + 7) + (16 + 5));
  EXPECT_EQ(SkinTest::uint32At(bytes, bytes.size() - 48 - 5 - 4), flat.size());
}

TEST(SkinPackLayout, TheWriterRefusesNamesTheDirectoryCannotCarry) {
  for (const std::string& name : {std::string(), std::string("caf\xC3\xA9.png"),
                                  std::string("a\nb"), std::string(256, 'n')}) {
    SkinPackWriter writer;
    writer.add(name, {1, 2, 3});
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(writer.build(&bytes, &error)) << name;
    EXPECT_NE(error.find("name"), std::string::npos) << error;
  }
  SkinPackWriter twice;
  twice.add("skin.xml", {1});
  twice.add("skin.xml", {2});
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(twice.build(&bytes, &error));
  EXPECT_NE(error.find("twice"), std::string::npos) << error;
}

// The skin engine binds every control to the controller's value of the same name; these are
// the values the setup window's controller offers, by template, with the control kinds that
// show them.
TEST(SkinDescription, TemplatesNameEveryValueOfTheControllerWithAFittingKind) {
  std::vector<uint8_t> bytes;
  SkinPackage package = readBuilt(&bytes);
  const SkinPackage::Entry* entry = package.find("skin.xml");
  ASSERT_NE(entry, nullptr);
  // What the comments say about the dialect is not part of the skin.
  const std::string xml =
      std::regex_replace(text(entry->data), std::regex("<!--[\\s\\S]*?-->"), "");

  using Controls = std::map<std::string, std::string>;  // name -> kind
  const Controls tabs = {
      {"PictureViewTab", "switch"}, {"TableViewTab", "switch"}, {"OptionViewTab", "switch"}};
  Controls memories = {{"LoadButton", "switch"},
                       {"SaveButton", "switch"},
                       {"PageName", "edit"},
                       {"ResetButtons", "alternative"},
                       {"ResetButton", "switch"}};
  for (int i = 1; i <= 6; ++i) memories["Page" + std::to_string(i)] = "switch";
  Controls picture = {
      {"ButtonName", "text"}, {"Category", "menu"}, {"Action", "menu"}, {"DisplayName", "edit"}};
  Controls table;
  for (int i = 1; i <= 6; ++i) {
    const std::string n = std::to_string(i);
    picture["Button" + n] = "switch";
    table["ButtonName" + n] = "text";
    table["Category" + n] = "menu";
    table["Action" + n] = "menu";
    table["DisplayName" + n] = "edit";
  }
  picture.insert(tabs.begin(), tabs.end());
  picture.insert(memories.begin(), memories.end());
  table.insert(tabs.begin(), tabs.end());
  table.insert(memories.begin(), memories.end());
  Controls option = tabs;
  option["JogStopFlag"] = "checkbox";
  const std::map<std::string, Controls> expected = {
      {"QENTExtSetupPanel", {{"MainView", "alternative"}}},
      {"PictureView", picture},
      {"TableView", table},
      {"OptionView", option}};

  const std::regex templateRe("<Template\\s+name=\"([^\"]+)\"([^>]*)>([\\s\\S]*?)</Template>");
  const std::regex controlRe("<Control\\b([^>]*)>");
  const std::regex attributeRe("(\\w+)=\"([^\"]*)\"");
  auto attributes = [&](const std::string& tag) {
    std::map<std::string, std::string> result;
    for (std::sregex_iterator it(tag.begin(), tag.end(), attributeRe), end; it != end; ++it) {
      result[(*it)[1]] = (*it)[2];
    }
    return result;
  };
  std::map<std::string, Controls> found;
  std::map<std::string, std::string> windowAttributes;
  for (std::sregex_iterator it(xml.begin(), xml.end(), templateRe), end; it != end; ++it) {
    const std::string name = (*it)[1];
    if (name == "QENTExtSetupPanel") windowAttributes = attributes((*it)[2]);
    const std::string body = (*it)[3];
    Controls& controls = found[name];
    for (std::sregex_iterator c(body.begin(), body.end(), controlRe); c != end; ++c) {
      auto control = attributes((*c)[1]);
      controls[control["name"]] = control["kind"];
    }
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(windowAttributes["title"], "QENT6/QENT8 Extension Setup");
  EXPECT_EQ(windowAttributes["width"], "600");
  EXPECT_EQ(windowAttributes["height"], "400");
  EXPECT_EQ(windowAttributes["style"], "panelstyle|rememberpos");

  // The alternatives' children in value order: the three views, the six reset images.
  EXPECT_NE(xml.find("<View template=\"PictureView\"/>\n      <View template=\"TableView\"/>\n"
                     "      <View template=\"OptionView\"/>"),
            std::string::npos);
  size_t at = 0;
  for (int i = 1; i <= 6; ++i) {
    at = xml.find("bitmap=\"qent_ex_btn_reset" + std::to_string(i) + "\"", at);
    EXPECT_NE(at, std::string::npos) << "reset image " << i << " in order";
  }
  EXPECT_NE(xml.find("title=\"Jog stops without gradual slowdown.\""), std::string::npos);

  // Every bitmap is declared once with its package entry, and every use names a declared one.
  const std::regex bitmapRe("<Bitmap\\s+name=\"([^\"]+)\"\\s+file=\"([^\"]+)\"\\s*/>");
  std::set<std::string> declared;
  for (std::sregex_iterator it(xml.begin(), xml.end(), bitmapRe), end; it != end; ++it) {
    EXPECT_TRUE(declared.insert((*it)[1]).second) << (*it)[1];
    EXPECT_NE(package.find((*it)[2].str()), nullptr) << (*it)[2];
  }
  EXPECT_EQ(declared.size(), 17u);
  const std::regex useRe("bitmap=\"([^\"]+)\"");
  for (std::sregex_iterator it(xml.begin(), xml.end(), useRe), end; it != end; ++it) {
    EXPECT_EQ(declared.count((*it)[1]), 1u) << (*it)[1];
  }
}
