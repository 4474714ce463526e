// The model's settings and setup files through the reference host's own settings store, XML
// writer and reader and file selectors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "extsetup/CExtSetupInfo.h"
#include "extsetup/QENT_SetupDefaults.h"
#include "hostaccess/DAWInfo.h"
#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/midi/HostLink.h"
#include "sim/host/HostState.h"
#include "sim/host/KernelServices.h"

namespace {

using Brennholt::AssignmentTable;
using Brennholt::CExtSetupInfo;
using Brennholt::IPtr;
using Brennholt::QENT_SetupDefaults;
using Brennholt::String;
using QentSim::DialogKind;
using QentSim::HostContext;
using QentSim::SimHost;

// A host with its settings and dialogs, and nothing else running.
struct Host {
  SimHost::State state;
  QentSim::Connection connection =
      std::make_shared<QentSim::HostConnection>();
  IPtr<HostContext> context;
  std::filesystem::path folder;
  Host() {
    connection->state = &state;
    context = IPtr<HostContext>::adopt(new HostContext(connection));
    folder = std::filesystem::temp_directory_path() /
             ("setupfile-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder);
  }
  ~Host() {
    context.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string file(const std::string& name, const std::string& text = "") {
    const std::string path = (folder / name).string();
    if (!text.empty()) std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

struct Model {
  std::vector<String> buttons = QENT_SetupDefaults::buttonNames();
  std::vector<String> memories = QENT_SetupDefaults::factoryMemoryNames();
  AssignmentTable table = QENT_SetupDefaults::factoryAssignments(0);
  Brennholt::DAWInfo daw{u"Tessaly Studio", u"7.5.0", u"Build 100"};
  CExtSetupInfo info;
  explicit Model(Host& host) {
    EXPECT_TRUE(info.initialise(host.context.get(), "QENT", 6, 6, &buttons, &memories, &table));
    info.setFileIdentity(QENT_SetupDefaults::kFileModelName, QENT_SetupDefaults::kExtensionVersion,
                         &daw);
    info.addAcceptedModelName(QENT_SetupDefaults::kPredecessorModelName);
  }
};

std::string setupFile(const std::string& model, const std::string& version,
                      const std::string& body) {
  return "<ExtensionSetupData><data name=\"General\"><model name=\"" + model +
         "\" buttons=\"6\" memories=\"6\"/><file version=\"" + version + "\"/></data>" + body +
         "</ExtensionSetupData>";
}

const std::string kMemory3 =
    "<data name=\"Memory 3\"><memory name=\"Third\"/>"
    "<command button=\"SF2\" category=\"Edit\" action=\"Undo\" display=\"Undo\"/></data>";

TEST(SetupFile, RefusedFilesChangeNothingAndLeaveNothingStaged) {
  Host host;
  Model model(host);
  struct Case {
    const char* what;
    std::string text;
  } refused[] = {
      {"other model", setupFile("Talvane QENT4", "100", kMemory3)},
      {"version 0", setupFile("Talvane QENT6/QENT8", "0", kMemory3)},
      {"version 110", setupFile("Talvane QENT6/QENT8", "110", kMemory3)},
      {"memory 0", setupFile("Talvane QENT6/QENT8", "100", "<data name=\"Memory 0\"/>")},
      {"memory 7", setupFile("Talvane QENT6/QENT8", "100", "<data name=\"Memory 7\"/>")},
      {"unknown button",
       setupFile("Talvane QENT6/QENT8", "100",
                 "<data name=\"Memory 3\"><memory name=\"Staged\"/><command button=\"SF7\" "
                 "category=\"a\" action=\"b\" display=\"c\"/></data>")},
      {"attribute order",
       setupFile("Talvane QENT6/QENT8", "100",
                 "<data name=\"Memory 3\"><memory name=\"Staged\"/><command category=\"a\" "
                 "button=\"SF1\" action=\"b\" display=\"c\"/></data>")},
      {"command outside a memory",
       "<ExtensionSetupData><data name=\"General\"><command button=\"SF1\" category=\"a\" "
       "action=\"b\" display=\"c\"/></data></ExtensionSetupData>"},
      {"not XML", "<ExtensionSetupData>"},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(model.info.loadFile(String(host.file("f.kqe", c.text).c_str()).text16()))
        << c.what;
  }
  ASSERT_TRUE(model.info.selectMemory(2));
  EXPECT_STREQ(model.info.memoryName(), "MIDI");
  // A file that sets nothing of memory 3 after refused ones that staged its name: the name
  // comes from this file alone, so it is empty.
  EXPECT_TRUE(model.info.loadFile(
      String(host.file("g.kqe", setupFile("Talvane QENT6/QENT8", "109", "")).c_str()).text16()));
  EXPECT_STREQ(model.info.memoryName(), "");
  EXPECT_STREQ(model.info.category(0), "");
}

TEST(SetupFile, PredecessorFilesAndRepeatedBlocksLoadTheLaterValues) {
  Host host;
  Model model(host);
  const std::string body =
      kMemory3 +
      "<data name=\"Memory 1\"><memory name=\"One\"/></data>"
      "<data name=\"Memory 3\"><memory name=\"Again\"/>"
      "<command button=\"SF2\" category=\"Edit\" action=\"Redo\" display=\"Redo\"/></data>";
  EXPECT_TRUE(model.info.loadFile(
      String(host.file("z.zqe", setupFile("Talvane ZAL6/ZAL8", "100", body)).c_str()).text16()));
  ASSERT_TRUE(model.info.selectMemory(2));
  EXPECT_STREQ(model.info.memoryName(), "Again");
  EXPECT_STREQ(model.info.action(1), "Redo");
  EXPECT_STREQ(model.info.category(0), "");  // omitted: empty
}

TEST(SetupFile, SavedFileLoadsBackUnchangedAndOpenReportsFailures) {
  Host host;
  Model model(host);
  ASSERT_TRUE(model.info.selectMemory(3));
  model.info.setMemoryName("A & <b> \"q\" \xC3\xA4");
  model.info.setAction(0, "x > y");
  const std::string path = host.file("round.kqe");
  host.state.setup.dialogAnswers.push_back({DialogKind::kSave, path});
  model.info.saveFile();
  ASSERT_TRUE(std::filesystem::exists(path));

  Host other;
  Model loaded(other);
  other.state.setup.dialogAnswers.push_back({DialogKind::kOpen, path});
  EXPECT_TRUE(loaded.info.openFile());
  ASSERT_TRUE(loaded.info.selectMemory(3));
  EXPECT_STREQ(loaded.info.memoryName(), "A & <b> \"q\" \xC3\xA4");
  EXPECT_STREQ(loaded.info.action(0), "x > y");
  EXPECT_STREQ(loaded.info.category(1), "AddTrack");
  EXPECT_TRUE(other.state.records.alertsShown.empty());

  other.state.setup.dialogAnswers.push_back({DialogKind::kOpen, other.file("missing.kqe")});
  EXPECT_FALSE(loaded.info.openFile());
  ASSERT_EQ(other.state.records.alertsShown.size(), 1u);
  EXPECT_EQ(other.state.records.alertsShown[0], "Failed to load.");
  EXPECT_TRUE(loaded.info.openFile());  // no queued answer: cancelled, nothing shown
  EXPECT_EQ(other.state.records.alertsShown.size(), 1u);
}

TEST(SetupSettings, FirstStartAndStoredValuesSurviveAWrite) {
  Host host;
  {
    Model first(host);  // nothing stored: factory values, JogStop written as 1
    EXPECT_EQ(first.info.currentMemory(), 0);
    EXPECT_STREQ(first.info.category(0), "Zoom");
  }
  const auto* jog = host.state.setup.settings.find("QENT Extension Settings", "JogStop");
  ASSERT_TRUE(jog);
  EXPECT_EQ(std::get<std::int32_t>(*jog), 1);
  const std::string section = "ExtensionSetupData_QENT";
  host.state.setup.settings.set(section, "MemoryIndex", 9);
  host.state.setup.settings.set(section, "Category0-0", std::string("---"));
  host.state.setup.settings.set(section, "Action0-0", std::string("---"));
  host.state.setup.settings.set(section, "Category0-1", std::string(""));
  host.state.setup.settings.set(section, "MemoryName1", std::string(""));
  Model second(host);
  EXPECT_EQ(second.info.currentMemory(), 0);  // 9 is out of range
  EXPECT_STREQ(second.info.category(0), "---");
  EXPECT_STREQ(second.info.category(1), "Zoom");  // empty category: factory assignment
  ASSERT_TRUE(second.info.selectMemory(1));
  EXPECT_STREQ(second.info.memoryName(), "");
}

}  // namespace
