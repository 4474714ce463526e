#include "extsetup/CExtSetupInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extsetup/QENT_SetupDefaults.h"
#include "sdk/host/HostKernel.h"

using Brennholt::AssignmentTable;
using Brennholt::CExtSetupInfo;
using Brennholt::CommandAssignment;
using Brennholt::int32;
using Brennholt::QENT_SetupDefaults;
using Brennholt::String;
using Brennholt::tresult;
using Brennholt::TUID;
using Brennholt::uint32;

namespace {

// A host that offers no service at all: the model starts from its factory table.
class NoServices : public Brennholt::Hox::IHostKernel {
 public:
  tresult getService(const TUID, void** service) noexcept override {
    *service = nullptr;
    return Brennholt::kNoInterface;
  }
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return Brennholt::kNoInterface;
  }
  uint32 addRef() noexcept override { return 1; }
  uint32 release() noexcept override { return 1; }
};

struct Defaults {
  std::vector<String> buttons = QENT_SetupDefaults::buttonNames();
  std::vector<String> memories = QENT_SetupDefaults::factoryMemoryNames();
  AssignmentTable table;
  explicit Defaults(int edition = 0) : table(QENT_SetupDefaults::factoryAssignments(edition)) {}
};

bool initialiseQent(CExtSetupInfo& model, NoServices& host, const Defaults& d) {
  return model.initialise(&host, "QENT", 6, 6, &d.buttons, &d.memories, &d.table);
}

// Category, action and display of every button of the current memory, joined.
std::string memoryTexts(const CExtSetupInfo& model) {
  std::string texts = model.memoryName();
  for (int32 b = 0; b < model.buttonCount(); ++b) {
    texts +=
        std::string("|") + model.category(b) + "/" + model.action(b) + "/" + model.displayName(b);
  }
  return texts;
}

std::string factoryTexts(const Defaults& d, int32 m) {
  std::string texts = d.memories[m].text8();
  for (const CommandAssignment& a : d.table[m]) {
    texts +=
        std::string("|") + a.category.text8() + "/" + a.action.text8() + "/" + a.display.text8();
  }
  return texts;
}

// prefix followed by n in decimal.
std::string numbered(const char* prefix, int n) {
  std::string text(prefix);
  text += std::to_string(n);
  return text;
}

void expectEmpty(CExtSetupInfo& model) {
  EXPECT_EQ(model.memoryCount(), 0);
  EXPECT_EQ(model.buttonCount(), 0);
  EXPECT_STREQ(model.memoryName(), "");
  EXPECT_STREQ(model.buttonName(0), "");
  EXPECT_STREQ(model.category(0), "");
  CommandAssignment out("kept", "kept", "kept");
  EXPECT_FALSE(model.assignment(0, out));
  EXPECT_STREQ(out.category.text8(), "kept");
  EXPECT_FALSE(model.selectMemory(1));
  EXPECT_FALSE(model.setCategory(0, "Zoom"));
  EXPECT_FALSE(model.setMemoryName("Name"));
  EXPECT_FALSE(model.resetCurrentMemory());
  EXPECT_FALSE(model.isMemoryWellFormed(0));
  EXPECT_TRUE(model.optionSection().isEmpty());
}

}  // namespace

TEST(CExtSetupInfo, StartsFromTheFactoryTable) {
  NoServices host;
  const Defaults d;
  CExtSetupInfo model;
  ASSERT_TRUE(initialiseQent(model, host, d));

  EXPECT_EQ(model.memoryCount(), 6);
  EXPECT_EQ(model.buttonCount(), 6);
  EXPECT_EQ(model.currentButton(), 0);
  EXPECT_EQ(model.mainView(), CExtSetupInfo::kPictureView);
  EXPECT_STREQ(model.optionSection().text8(), "QENT Extension Settings");
  bool jogStop = false;
  EXPECT_TRUE(model.option(CExtSetupInfo::kJogStop, jogStop));
  EXPECT_TRUE(jogStop);
  for (int32 b = 0; b < 6; ++b) EXPECT_STREQ(model.buttonName(b), d.buttons[b].text8());

  EXPECT_EQ(model.currentMemory(), 0);
  for (int32 m = 0; m < 6; ++m) {
    if (m > 0) {
      ASSERT_TRUE(model.selectMemory(m));
    }
    EXPECT_EQ(memoryTexts(model), factoryTexts(d, m)) << "memory " << m + 1;
  }
  CommandAssignment setup;
  ASSERT_TRUE(model.selectMemory(0));
  ASSERT_TRUE(model.assignment(5, setup));
  EXPECT_STREQ(setup.category.text8(), "QENT6/QENT8");
  EXPECT_STREQ(setup.action.text8(), "QENT6/QENT8 Extension Setup");
  EXPECT_STREQ(setup.display.text8(), "Setup");
}

// Missing arguments and tables shorter than the counts are refused before anything is read.
TEST(CExtSetupInfo, InitialiseRefusesMissingOrShortInput) {
  NoServices host;
  const Defaults d;
  std::vector<String> fiveButtons(d.buttons.begin(), d.buttons.begin() + 5);
  std::vector<String> fiveMemories(d.memories.begin(), d.memories.begin() + 5);
  AssignmentTable fiveRows(d.table.begin(), d.table.begin() + 5);
  AssignmentTable shortRow = d.table;
  shortRow[5].pop_back();

  struct Case {
    const char* what;
    Brennholt::Hox::IHostKernel* host;
    const char* key;
    int32 memories;
    int32 buttons;
    const std::vector<String>* buttonNames;
    const std::vector<String>* memoryNames;
    const AssignmentTable* table;
  } cases[] = {
      {"no host", nullptr, "QENT", 6, 6, &d.buttons, &d.memories, &d.table},
      {"no key", &host, nullptr, 6, 6, &d.buttons, &d.memories, &d.table},
      {"no button names", &host, "QENT", 6, 6, nullptr, &d.memories, &d.table},
      {"no table", &host, "QENT", 6, 6, &d.buttons, &d.memories, nullptr},
      {"no memories", &host, "QENT", 0, 6, &d.buttons, &d.memories, &d.table},
      {"negative buttons", &host, "QENT", 6, -1, &d.buttons, &d.memories, &d.table},
      {"five button names", &host, "QENT", 6, 6, &fiveButtons, &d.memories, &d.table},
      {"five memory names", &host, "QENT", 6, 6, &d.buttons, &fiveMemories, &d.table},
      {"five rows", &host, "QENT", 6, 6, &d.buttons, &d.memories, &fiveRows},
      {"a short row", &host, "QENT", 6, 6, &d.buttons, &d.memories, &shortRow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CExtSetupInfo model;
    EXPECT_FALSE(model.initialise(c.host, c.key, c.memories, c.buttons, c.buttonNames,
                                  c.memoryNames, c.table));
    expectEmpty(model);
  }

  // Without factory names the memories are nameless, and a reset has nothing to restore.
  CExtSetupInfo nameless;
  ASSERT_TRUE(nameless.initialise(&host, "QENT", 6, 6, &d.buttons, nullptr, &d.table));
  EXPECT_STREQ(nameless.memoryName(), "");
  ASSERT_TRUE(nameless.setDisplayName(0, "Edited"));
  EXPECT_FALSE(nameless.resetCurrentMemory());
  EXPECT_STREQ(nameless.displayName(0), "Edited");
}

TEST(CExtSetupInfo, CountsAreLimitedTo20MemoriesAnd50Buttons) {
  NoServices host;
  std::vector<String> buttons;
  buttons.reserve(60);
  for (int b = 0; b < 60; ++b) buttons.emplace_back(numbered("B", b).c_str());
  std::vector<String> memories;
  memories.reserve(25);
  for (int m = 0; m < 25; ++m) memories.emplace_back(numbered("M", m).c_str());
  AssignmentTable table(25);
  for (int m = 0; m < 25; ++m) {
    for (int b = 0; b < 60; ++b) {
      const std::string id = std::to_string(m) + "-" + std::to_string(b);
      table[m].emplace_back(id.c_str(), id.c_str(), id.c_str());
    }
  }
  CExtSetupInfo model;
  ASSERT_TRUE(model.initialise(&host, "QENT", 25, 60, &buttons, &memories, &table));
  EXPECT_EQ(model.memoryCount(), 20);
  EXPECT_EQ(model.buttonCount(), 50);
  EXPECT_STREQ(model.buttonName(49), "B49");
  EXPECT_STREQ(model.buttonName(50), "");

  EXPECT_FALSE(model.selectMemory(20));
  ASSERT_TRUE(model.selectMemory(19));
  EXPECT_STREQ(model.memoryName(), "M19");
  EXPECT_STREQ(model.category(49), "19-49");
  EXPECT_STREQ(model.displayName(50), "");
  EXPECT_FALSE(model.setCategory(50, "x"));
  model.selectButton(50);
  EXPECT_EQ(model.currentButton(), 0);
  model.selectButton(49);
  EXPECT_EQ(model.currentButton(), 49);

  // The limited table is the factory table too.
  ASSERT_TRUE(model.setAction(49, "edited"));
  ASSERT_TRUE(model.setMemoryName("edited"));
  ASSERT_TRUE(model.resetCurrentMemory());
  EXPECT_STREQ(model.action(49), "19-49");
  EXPECT_STREQ(model.memoryName(), "M19");
}

// A single memory has no name, neither from the factory names nor from a reset.
TEST(CExtSetupInfo, SingleMemoryHasNoFactoryName) {
  NoServices host;
  const Defaults d;
  CExtSetupInfo model;
  ASSERT_TRUE(model.initialise(&host, "QENT", 1, 6, &d.buttons, &d.memories, &d.table));
  EXPECT_STREQ(model.memoryName(), "");
  ASSERT_TRUE(model.setMemoryName("Mine"));
  ASSERT_TRUE(model.setCategory(0, "Edit"));
  ASSERT_TRUE(model.resetCurrentMemory());
  EXPECT_STREQ(model.memoryName(), "Mine");
  EXPECT_STREQ(model.category(0), "Zoom");
  EXPECT_FALSE(model.selectMemory(0));
  EXPECT_FALSE(model.selectMemory(1));
}

TEST(CExtSetupInfo, SelectingAMemoryOrButtonOutOfRangeChangesNothing) {
  NoServices host;
  const Defaults d;
  CExtSetupInfo model;
  ASSERT_TRUE(initialiseQent(model, host, d));
  ASSERT_TRUE(model.selectMemory(3));
  model.selectButton(2);
  const std::string before = memoryTexts(model);

  for (int32 m : {3, -1, 6}) {
    EXPECT_FALSE(model.selectMemory(m)) << m;
    EXPECT_EQ(model.currentMemory(), 3);
  }
  for (int32 b : {-1, 6}) {
    model.selectButton(b);
    EXPECT_EQ(model.currentButton(), 2);
    EXPECT_FALSE(model.setCategory(b, "x"));
    EXPECT_FALSE(model.setAction(b, "x"));
    EXPECT_FALSE(model.setDisplayName(b, "x"));
    EXPECT_STREQ(model.category(b), "");
    EXPECT_STREQ(model.buttonName(b), "");
    CommandAssignment out("kept", "kept", "kept");
    EXPECT_FALSE(model.assignment(b, out));
    EXPECT_STREQ(out.display.text8(), "kept");
  }
  EXPECT_EQ(memoryTexts(model), before);
}

// Edits go to the current memory only; an absent text clears the field.
TEST(CExtSetupInfo, EditsChangeTheCurrentMemoryOnly) {
  NoServices host;
  const Defaults d;
  CExtSetupInfo model;
  ASSERT_TRUE(initialiseQent(model, host, d));
  ASSERT_TRUE(model.selectMemory(1));
  ASSERT_TRUE(model.setCategory(2, "Edit"));
  ASSERT_TRUE(model.setAction(2, "Undo"));
  ASSERT_TRUE(model.setDisplayName(2, "Undo"));
  ASSERT_TRUE(model.setDisplayName(3, nullptr));
  ASSERT_TRUE(model.setMemoryName("Mine"));

  CommandAssignment edited;
  ASSERT_TRUE(model.assignment(2, edited));
  EXPECT_STREQ(edited.category.text8(), "Edit");
  EXPECT_STREQ(edited.action.text8(), "Undo");
  EXPECT_STREQ(edited.display.text8(), "Undo");
  EXPECT_STREQ(model.displayName(3), "");
  EXPECT_STREQ(model.action(3), "Open List Editor");
  EXPECT_STREQ(model.memoryName(), "Mine");

  for (int32 m : {0, 2}) {
    ASSERT_TRUE(model.selectMemory(m));
    EXPECT_EQ(memoryTexts(model), factoryTexts(d, m));
  }
}

// A reset restores the current memory from the table the model was given, nothing else.
TEST(CExtSetupInfo, ResetRestoresOnlyTheCurrentMemory) {
  NoServices host;
  const Defaults d(2);
  CExtSetupInfo model;
  ASSERT_TRUE(initialiseQent(model, host, d));
  for (int32 m : {0, 1, 3}) {
    if (m > 0) {
      ASSERT_TRUE(model.selectMemory(m));
    }
    ASSERT_TRUE(model.setMemoryName(numbered("Mine", m).c_str()));
    for (int32 b = 0; b < 6; ++b) {
      ASSERT_TRUE(model.setCategory(b, "c"));
      ASSERT_TRUE(model.setAction(b, "a"));
      ASSERT_TRUE(model.setDisplayName(b, "d"));
    }
  }
  ASSERT_TRUE(model.selectMemory(0));
  const std::string edited0 = memoryTexts(model);
  ASSERT_TRUE(model.selectMemory(3));
  const std::string edited3 = memoryTexts(model);
  ASSERT_TRUE(model.selectMemory(1));
  model.selectButton(4);
  ASSERT_TRUE(model.setOption(CExtSetupInfo::kJogStop, false));
  ASSERT_TRUE(model.setMainView(CExtSetupInfo::kTableView));

  ASSERT_TRUE(model.resetCurrentMemory());
  EXPECT_EQ(memoryTexts(model), factoryTexts(d, 1));
  EXPECT_STREQ(model.action(3), "Open Clipvault");
  EXPECT_EQ(model.currentMemory(), 1);
  EXPECT_EQ(model.currentButton(), 4);
  bool jogStop = true;
  ASSERT_TRUE(model.option(CExtSetupInfo::kJogStop, jogStop));
  EXPECT_FALSE(jogStop);
  EXPECT_EQ(model.mainView(), CExtSetupInfo::kTableView);

  ASSERT_TRUE(model.selectMemory(0));
  EXPECT_EQ(memoryTexts(model), edited0);
  ASSERT_TRUE(model.selectMemory(3));
  EXPECT_EQ(memoryTexts(model), edited3);
  ASSERT_TRUE(model.selectMemory(2));
  EXPECT_EQ(memoryTexts(model), factoryTexts(d, 2));
}

TEST(CExtSetupInfo, OnlyJogStopAndTheThreeViewsAreAccepted) {
  NoServices host;
  const Defaults d;
  CExtSetupInfo model;
  ASSERT_TRUE(initialiseQent(model, host, d));
  bool flag = false;
  for (int32 index : {-1, 1}) {
    EXPECT_FALSE(model.setOption(index, false));
    EXPECT_FALSE(model.option(index, flag));
    EXPECT_FALSE(flag);
  }
  ASSERT_TRUE(model.option(CExtSetupInfo::kJogStop, flag));
  EXPECT_TRUE(flag);
  ASSERT_TRUE(model.setOption(CExtSetupInfo::kJogStop, false));
  ASSERT_TRUE(model.option(CExtSetupInfo::kJogStop, flag));
  EXPECT_FALSE(flag);

  ASSERT_TRUE(model.setMainView(CExtSetupInfo::kOptionView));
  EXPECT_FALSE(model.setMainView(3));
  EXPECT_FALSE(model.setMainView(-1));
  EXPECT_EQ(model.mainView(), CExtSetupInfo::kOptionView);
}

TEST(CExtSetupInfo, FileIdentityTakesOnlyWhatIsGiven) {
  CExtSetupInfo model;
  model.setFileIdentity(nullptr, nullptr, nullptr);
  model.addAcceptedModelName(nullptr);
  EXPECT_FALSE(model.isAcceptedModelName(""));

  model.setFileIdentity(QENT_SetupDefaults::kFileModelName, QENT_SetupDefaults::kExtensionVersion,
                        nullptr);
  model.addAcceptedModelName(QENT_SetupDefaults::kPredecessorModelName);
  model.setFileIdentity(nullptr, "2.0", nullptr);
  EXPECT_STREQ(model.fileModelName().text8(), "Talvane QENT6/QENT8");
  EXPECT_STREQ(model.extensionVersion().text8(), "2.0");
  EXPECT_EQ(model.hostInfo(), nullptr);

  EXPECT_TRUE(model.isAcceptedModelName("Talvane QENT6/QENT8"));
  EXPECT_TRUE(model.isAcceptedModelName("Talvane ZAL6/ZAL8"));
  for (const char* other : {"Talvane QENT6", "talvane qent6/qent8", "Talvane QENT6/QENT8 ", ""}) {
    EXPECT_FALSE(model.isAcceptedModelName(other)) << other;
  }
  EXPECT_FALSE(model.isAcceptedModelName(nullptr));
}
