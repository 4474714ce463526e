// The setup window through the host's side of it: the controller's skin, command and window,
// and the panel driven through its values as the host's skin engine and the user drive them, on
// the reference host's bare host with the skin the built module carries.
#include "extsetup/CExtSetupPanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "extsetup/CExtSetupPanelController.h"
#include "extsetup/QENT_SetupDefaults.h"
#include "hostaccess/DAWInfo.h"
#include "hostaccess/QENT_HKA.h"
#include "platform/Platform.h"
#include "remote/channels/ModuleState.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/PanelServices.h"
#include "sim/host/BareHost.h"
#include "sim/host/UserDialogs.h"
#include "sim/host/panels/GuiValues.h"
#include "sim/host/panels/HostWindow.h"
#include "tests/support/ArtifactPath.h"

namespace {

using namespace Brennholt;
using namespace Brennholt::Hox;
using QentSim::BareHost;
using QentSim::GuiValue;
using QentSim::HostService;
using QentSim::HostWindow;
using Kind = QentSim::GuiValue::Kind;

struct Monitor final : Brennholt::IExtSetupInfoMonitor {
  std::vector<std::string> calls;
  void displayNameChanged(int32 button) noexcept override {
    calls.push_back("label " + std::to_string(button));
  }
  void memoryChanged(int32 memory) noexcept override {
    calls.push_back("memory " + std::to_string(memory));
  }
  void jogStopChanged(bool flag) noexcept override {
    calls.push_back(std::string("jog ") + (flag ? "1" : "0"));
  }
  std::vector<std::string> take() { return std::exchange(calls, {}); }
};

using Calls = std::vector<std::string>;
using Texts = std::vector<std::string>;

// The built module, loaded once only for the skin package it carries; the panel hands its
// handle to the host's panel registry as the module's own.
void* skinModule() {
  static Platform::ModuleHandle handle =
      Platform::loadModule(QentTest::artifactPath("qentlink.hox3").c_str());
  return handle;
}

// The person at the host: answers alerts from `answers` (else the last button), remembers each
// alert with its buttons, and picks `file` in an open selector (empty: cancels).
struct User final : QentSim::UserDialogs {
  std::deque<int> answers;
  std::vector<Texts> shown;
  std::string file;
  int opened = 0;
  int alert(const std::string& message, const Texts& buttons) override {
    Texts alert{message};
    alert.insert(alert.end(), buttons.begin(), buttons.end());
    shown.push_back(alert);
    int answer = static_cast<int>(buttons.size());
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    return answer;
  }
  std::string chooseFile(QentSim::DialogKind kind, const std::string&,
                         const std::string&) override {
    if (kind == QentSim::DialogKind::kOpen) ++opened;
    return file;
  }
};

// The bare host in a language whose words are the English ones in upper case, so a shown text
// proves it was translated; the user at it; and the user's hands on the open window's values.
struct Host {
  BareHost bare;
  User user;
  Texts known = {"This will reset the command assignment to the factory default.", "Reset",
                 "Cancel", "Failed to load.", "OK"};

  Host() {
    bare.setUserDialogs(&user);
    bare.setLanguage("xx");
    teach();
  }
  // The host forgets (or learns again) the translation of a word.
  void forget(const std::string& word) {
    std::erase(known, word);
    teach();
  }
  void learn(const std::string& word) {
    known.push_back(word);
    teach();
  }
  static std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
  void teach() {
    std::vector<std::pair<std::string, std::string>> table;
    for (const std::string& word : known) table.emplace_back(word, upper(word));
    bare.setTranslations(table);
  }

  HostWindow* window() const { return bare.activeWindow(); }
  // The value bound to the open window's control `name`; null when there is none.
  GuiValue* get(const std::string& name) const {
    HostWindow* w = window();
    const HostWindow::Widget* found = w ? find(w->root(), name) : nullptr;
    return found ? GuiValue::of(found->value.get()) : nullptr;
  }
  GuiValue* at(const std::string& name) const {
    GuiValue* value = get(name);
    if (!value) ADD_FAILURE() << "no value " << name;
    return value;
  }
  // Every value the window bound, once each.
  std::vector<IPtr<IGuiValue>> values() const {
    std::vector<IPtr<IGuiValue>> out;
    if (HostWindow* w = window()) collect(w->root(), &out);
    return out;
  }
  // An "on" switch or tab goes on; a push switch goes on and off again.
  void press(const std::string& name) {
    if (GuiValue* v = at(name)) v->setValue(1, 1);
  }
  void push(const std::string& name) {
    if (GuiValue* v = at(name)) {
      v->setValue(1, 1);
      v->setValue(0, 1);
    }
  }
  void choose(const std::string& name, const std::string& entry) {
    GuiValue* menu = at(name);
    if (!menu) return;
    const Texts entries = menu->entries();
    auto found = std::find(entries.begin(), entries.end(), entry);
    if (found == entries.end()) {
      ADD_FAILURE() << name << " has no entry " << entry;
      return;
    }
    menu->setValue(static_cast<int32>(found - entries.begin()), 1);
  }
  void type(const std::string& name, const std::u16string& text) {
    if (GuiValue* v = at(name)) v->setText(text.c_str(), 1);
  }
  std::string shown(const std::string& name) const {
    GuiValue* v = at(name);
    return v ? v->shown() : "<none>";
  }
  int32 number(const std::string& name) const {
    GuiValue* v = at(name);
    return v ? v->getValue() : -99;
  }
  Texts entries(const std::string& name) const {
    GuiValue* v = at(name);
    return v ? v->entries() : Texts{};
  }
  std::string setting(const std::string& key) const {
    return bare.setting("ExtensionSetupData_QENT", key);
  }

 private:
  static const HostWindow::Widget* find(const HostWindow::Widget& w, const std::string& name) {
    if (w.name == name && w.value) return &w;
    for (const HostWindow::Widget& child : w.children) {
      if (const HostWindow::Widget* found = find(child, name)) return found;
    }
    return nullptr;
  }
  static void collect(const HostWindow::Widget& w, std::vector<IPtr<IGuiValue>>* out) {
    const bool seen = std::any_of(out->begin(), out->end(), [&](const IPtr<IGuiValue>& v) {
      return v.get() == w.value.get();
    });
    if (w.value && !seen) out->push_back(w.value);
    for (const HostWindow::Widget& child : w.children) collect(child, out);
  }
};

// The QENT6/QENT8 set-up in the host.
struct SetupWindow {
  Host host;
  std::vector<String> buttons = QENT_SetupDefaults::buttonNames();
  std::vector<String> memories = QENT_SetupDefaults::factoryMemoryNames();
  AssignmentTable table = QENT_SetupDefaults::factoryAssignments(0);
  Brennholt::DAWInfo daw{u"Tessaly Studio", u"7.5.0", u"Build 100"};
  Monitor monitor;
  void* module = skinModule();
  std::unique_ptr<CExtSetupPanelController> controller;

  SetupWindow() { controller = std::make_unique<CExtSetupPanelController>("QENT", module); }
  ~SetupWindow() {
    controller.reset();
    while (host.bare.closeWindow()) {
    }
  }
  bool initialise(const char8* language = nullptr) {
    const bool ready = controller->initialise(host.bare.kernel(), "QENTExtSetupPanel.srf", language,
                                              6, 6, &buttons, &memories, &table);
    controller->setMonitor(&monitor);
    controller->setFileIdentity("Talvane QENT6/QENT8", "1.0.6", &daw);
    return ready;
  }
  bool open(uint8 displayNameLength = 6) {
    return controller->openPanel("QENTExtSetupPanel", displayNameLength, 16, &monitor);
  }
  CExtSetupInfo& model() { return controller->setupInfo(); }
  void closeWindow() { EXPECT_TRUE(host.bare.closeWindow()); }
};

// A setup file of one memory block for keyboard `model`, written where the user picks it.
struct SetupFile {
  std::filesystem::path path;
  explicit SetupFile(const std::string& model) {
    path = std::filesystem::temp_directory_path() /
           ("panel-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".kqe");
    std::ofstream(path, std::ios::binary)
        << "<ExtensionSetupData><data name=\"General\"><model name=\"" << model
        << "\" buttons=\"6\" memories=\"6\"/><file version=\"100\"/></data>"
           "<data name=\"Memory 1\"><memory name=\"Loaded\"/><command button=\"SF1\" "
           "category=\"Edit\" action=\"Monitor\" display=\"Mon\"/></data>"
           "</ExtensionSetupData>";
  }
  ~SetupFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

Calls everyLabel() {
  Calls labels;
  for (int b = 0; b < 6; ++b) labels.push_back("label " + std::to_string(b));
  return labels;
}

// How many hold `value` beside the caller.
uint32 holders(IGuiValue* value) {
  value->addRef();
  return value->release() - 1;
}

}  // namespace

TEST(SetupPanel, MakesItsValuesAndShowsTheModel) {
  struct Expected {
    int32 tag;
    std::string name;
    Kind kind;
  };
  std::vector<Expected> expected = {
      {0, "ResetButton", Kind::kBool},      {1, "ResetButtons", Kind::kInt},
      {299, "PictureViewTab", Kind::kBool}, {300, "TableViewTab", Kind::kBool},
      {301, "OptionViewTab", Kind::kBool},  {302, "MainView", Kind::kInt},
      {296, "LoadButton", Kind::kBool},     {297, "SaveButton", Kind::kBool}};
  for (int m = 0; m < 6; ++m) {
    expected.push_back({270 + m, "Page" + std::to_string(m + 1), Kind::kBool});
  }
  expected.push_back({298, "PageName", Kind::kString});
  for (int b = 0; b < 6; ++b) {
    const std::string n = std::to_string(b + 1);
    expected.push_back({10 + b, "ButtonName" + n, Kind::kString});
    expected.push_back({60 + b, "Category" + n, Kind::kList});
    expected.push_back({110 + b, "Action" + n, Kind::kList});
    expected.push_back({210 + b, "Button" + n, Kind::kBool});
    expected.push_back({160 + b, "DisplayName" + n, Kind::kString});
  }
  expected.push_back({290, "ButtonName", Kind::kString});
  expected.push_back({291, "Category", Kind::kList});
  expected.push_back({292, "Action", Kind::kList});
  expected.push_back({293, "DisplayName", Kind::kString});
  expected.push_back({295, "JogStopFlag", Kind::kBool});

  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;
  ASSERT_NE(h.window(), nullptr);
  IPlugController* controller = h.window()->controller();
  ASSERT_NE(controller, nullptr);
  // Every control of the skin is bound, each to the value the panel offers under its name.
  EXPECT_EQ(h.bare.panelProblems(), Texts{});
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    GuiValue* value = h.get(e.name);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getTag(), e.tag);
    EXPECT_EQ(value->kind(), e.kind);
    EXPECT_EQ(value->getAttributes(), 0);
    IGuiValue* offered = nullptr;
    EXPECT_EQ(controller->getValueByName(e.name.c_str(), &offered), kResultOk);
    EXPECT_EQ(offered, static_cast<IGuiValue*>(value));
  }
  IGuiValue* none = h.get("Page1");
  EXPECT_EQ(controller->getValueByName("Nope", &none), kResultFalse);
  EXPECT_EQ(none, nullptr);
  void* object = nullptr;
  EXPECT_EQ(controller->queryInterface(IPlugController::iid.bytes(), &object), kResultOk);
  EXPECT_EQ(object, controller);
  controller->release();
  EXPECT_EQ(controller->queryInterface(IGuiValue::iid.bytes(), &object), kNoInterface);
  EXPECT_EQ(object, nullptr);

  // The model's page, button and view, every menu filled and selected.
  EXPECT_EQ(h.number("Page1"), 1);
  EXPECT_EQ(h.number("Page2"), 0);
  EXPECT_EQ(h.number("Button1"), 1);
  EXPECT_EQ(h.number("PictureViewTab"), 1);
  EXPECT_EQ(h.number("MainView"), 0);
  EXPECT_EQ(h.number("JogStopFlag"), 1);
  EXPECT_EQ(h.shown("PageName"), "Project Setup");
  EXPECT_EQ(h.shown("ButtonName"), "SF1");
  EXPECT_EQ(h.shown("ButtonName3"), "SF3");
  EXPECT_EQ(h.shown("Category"), "Zoom");
  EXPECT_EQ(h.shown("Action"), "Zoom In");
  EXPECT_EQ(h.shown("DisplayName"), "HZoom+");
  EXPECT_EQ(h.shown("Category6"), "QENT6/QENT8");
  EXPECT_EQ(h.shown("Action6"), "QENT6/QENT8 Extension Setup");
  EXPECT_EQ(h.shown("DisplayName4"), "VZoom-");
  // The host's fifteen categories and "---"; its four zoom commands and "---".
  ASSERT_EQ(h.entries("Category2").size(), 16u);
  EXPECT_EQ(h.entries("Category2").back(), "---");
  EXPECT_EQ(h.entries("Action2").size(), 5u);
  EXPECT_EQ(h.shown("Action2"), "Zoom Out");
  EXPECT_TRUE(s.monitor.calls.empty());

  // Without display-text fields the window has none.
  SetupWindow plain;
  ASSERT_TRUE(plain.initialise());
  ASSERT_TRUE(plain.open(0));
  EXPECT_NE(plain.host.get("ButtonName1"), nullptr);
  EXPECT_EQ(plain.host.get("DisplayName1"), nullptr);
  EXPECT_EQ(plain.host.get("DisplayName"), nullptr);
}

TEST(SetupPanel, TabsPagesAndButtonsAreRadioGroups) {
  SetupWindow s;
  s.table[2][0].category = String("Nowhere");  // a category the host does not know
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;

  h.press("TableViewTab");
  EXPECT_EQ(h.number("PictureViewTab"), 0);
  EXPECT_EQ(h.number("MainView"), 1);
  EXPECT_EQ(s.model().mainView(), 1);
  h.press("OptionViewTab");
  EXPECT_EQ(h.number("TableViewTab"), 0);
  EXPECT_EQ(h.at("ResetButton")->getAttributes(), IValueAttributes::kDisabled);
  h.press("PictureViewTab");
  EXPECT_EQ(h.number("OptionViewTab"), 0);
  EXPECT_EQ(h.at("ResetButton")->getAttributes(), 0);
  EXPECT_EQ(s.model().mainView(), 0);

  // "Page3": memory 2, told once, the third reset image; the button area follows the memory.
  h.press("Page3");
  EXPECT_EQ(h.number("Page1"), 0);
  EXPECT_EQ(h.number("Page3"), 1);
  EXPECT_EQ(s.model().currentMemory(), 2);
  EXPECT_EQ(s.monitor.take(), (Calls{"memory 2"}));
  EXPECT_EQ(h.number("ResetButtons"), 2);
  EXPECT_EQ(h.shown("PageName"), "MIDI");
  EXPECT_EQ(h.shown("DisplayName"), "AdMidi");
  // A category the host does not know shows "---", and the model keeps it.
  EXPECT_EQ(h.shown("Category"), "---");
  EXPECT_STREQ(s.model().category(0), "Nowhere");
  EXPECT_STREQ(s.model().action(0), "MIDI");

  h.press("Page2");
  h.press("Button4");
  EXPECT_EQ(h.number("Page3"), 0);
  EXPECT_EQ(h.number("Button1"), 0);
  EXPECT_EQ(h.number("Button4"), 1);
  EXPECT_EQ(s.model().currentButton(), 3);
  EXPECT_EQ(h.shown("ButtonName"), "SF4");
  EXPECT_EQ(h.shown("Category"), "Editors");
  EXPECT_EQ(h.shown("Action"), "Open List Editor");
  EXPECT_EQ(h.shown("DisplayName"), "List");
  EXPECT_EQ(s.monitor.take(), (Calls{"memory 1"}));

  h.at("JogStopFlag")->setValue(0, 1);
  bool jogStop = true;
  ASSERT_TRUE(s.model().option(0, jogStop));
  EXPECT_FALSE(jogStop);
  EXPECT_EQ(h.bare.setting("QENT Extension Settings", "JogStop"), "0");
  EXPECT_EQ(s.monitor.take(), (Calls{"jog 0"}));
}

TEST(SetupPanel, CategoryAndCommandMenusEditTheButton) {
  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;

  // "---" is stored as the category; the command text stays.
  h.choose("Category1", "---");
  EXPECT_STREQ(s.model().category(0), "---");
  EXPECT_STREQ(s.model().action(0), "Zoom In");
  EXPECT_EQ(h.entries("Action1"), Texts{"---"});
  EXPECT_EQ(h.shown("Action1"), "---");

  // A new category refills the command menu, which shows "---" for a command not in it.
  h.choose("Category1", "Edit");
  EXPECT_STREQ(s.model().category(0), "Edit");
  EXPECT_STREQ(s.model().action(0), "Zoom In");
  EXPECT_EQ(h.entries("Action1").size(), 6u);
  EXPECT_EQ(h.shown("Action1"), "---");
  h.choose("Action1", "Delete");
  EXPECT_STREQ(s.model().action(0), "Delete");
  h.choose("Action1", "---");
  EXPECT_STREQ(s.model().action(0), "---");

  // The single-button area edits the current button.
  h.press("Button5");
  h.choose("Category", "Edit");
  h.choose("Action", "Monitor");
  EXPECT_STREQ(s.model().category(4), "Edit");
  EXPECT_STREQ(s.model().action(4), "Monitor");
  EXPECT_STREQ(s.model().category(0), "Edit");
  EXPECT_TRUE(s.monitor.calls.empty());

  // A host without its command system: only "---" in the menus, and the model untouched.
  SetupWindow bare;
  bare.host.bare.setServiceEnabled(HostService::kCommandCatalogue, false);
  bare.host.bare.setServiceEnabled(HostService::kCommandCategoryList, false);
  ASSERT_TRUE(bare.initialise());
  ASSERT_TRUE(bare.open());
  bare.host.press("TableViewTab");
  EXPECT_EQ(bare.host.entries("Category3"), Texts{"---"});
  EXPECT_EQ(bare.host.shown("Action3"), "---");
  EXPECT_STREQ(bare.model().category(2), "Zoom");
  EXPECT_STREQ(bare.model().action(2), "Zoom In Vertically");
}

TEST(SetupPanel, NameFieldsTakeSevenBitTextWithinTheirLimits) {
  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;

  h.type("PageName", u"ABCDEFGHIJKLMNOP");
  EXPECT_STREQ(s.model().memoryName(), "ABCDEFGHIJKLMNOP");
  h.type("PageName", u"abcdefghijklmnopq");
  EXPECT_STREQ(s.model().memoryName(), "abcdefghijklmnop");
  EXPECT_EQ(h.shown("PageName"), "abcdefghijklmnop");

  h.type("DisplayName1", u"Abcdefgh");
  EXPECT_STREQ(s.model().displayName(0), "Abcdef");
  EXPECT_EQ(h.shown("DisplayName1"), "Abcdef");
  EXPECT_EQ(s.monitor.take(), (Calls{"label 0"}));

  // An accented letter clears the field; the model keeps its text, even through the field's
  // own notification of the clearing.
  h.type("DisplayName1", u"Caf\u00e9");
  EXPECT_EQ(h.shown("DisplayName1"), "");
  EXPECT_STREQ(s.model().displayName(0), "Abcdef");
  h.type("PageName", u"\u00c4rger");
  EXPECT_EQ(h.shown("PageName"), "");
  EXPECT_STREQ(s.model().memoryName(), "abcdefghijklmnop");
  EXPECT_TRUE(s.monitor.take().empty());

  // The single-button area's field is the current button's; an empty text is a text.
  h.press("Button3");
  h.type("DisplayName", u"xy");
  EXPECT_STREQ(s.model().displayName(2), "xy");
  h.type("DisplayName2", u"");
  EXPECT_STREQ(s.model().displayName(1), "");
  EXPECT_EQ(s.monitor.take(), (Calls{"label 2", "label 1"}));
}

TEST(SetupPanel, ResetAndLoadAskTheUserAndTellTheKeyboardOnlyInThePictureView) {
  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;
  auto edit = [&] {
    h.type("DisplayName1", u"Mine");
    h.choose("Category1", "Edit");
    s.monitor.take();
  };

  edit();
  h.user.answers = {1};
  h.push("ResetButton");
  ASSERT_EQ(h.user.shown.size(), 1u);
  EXPECT_EQ(
      h.user.shown[0],
      (Texts{"THIS WILL RESET THE COMMAND ASSIGNMENT TO THE FACTORY DEFAULT.", "RESET", "CANCEL"}));
  EXPECT_STREQ(s.model().category(0), "Zoom");
  EXPECT_STREQ(s.model().displayName(0), "HZoom+");
  EXPECT_EQ(h.shown("DisplayName"), "HZoom+");
  EXPECT_EQ(s.monitor.take(), everyLabel());

  // Cancelled, or a missing translation: nothing changes.
  edit();
  h.user.answers = {2};
  h.push("ResetButton");
  EXPECT_STREQ(s.model().displayName(0), "Mine");
  h.forget("Cancel");
  h.push("ResetButton");
  EXPECT_EQ(h.user.shown.size(), 2u);
  EXPECT_STREQ(s.model().displayName(0), "Mine");
  EXPECT_TRUE(s.monitor.take().empty());
  h.learn("Cancel");

  // In the table view the table is refreshed and the keyboard not told.
  h.press("TableViewTab");
  h.user.answers = {1};
  h.push("ResetButton");
  EXPECT_STREQ(s.model().displayName(0), "HZoom+");
  EXPECT_EQ(h.shown("DisplayName1"), "HZoom+");
  EXPECT_EQ(h.shown("Category1"), "Zoom");
  EXPECT_TRUE(s.monitor.take().empty());

  // A file read lands in the model, the view and the settings at once.
  EXPECT_EQ(h.setting("Category0-0"), "<none>");
  const SetupFile ours("Talvane QENT6/QENT8");
  h.user.file = ours.path.string();
  h.push("LoadButton");
  EXPECT_EQ(h.user.opened, 1);
  EXPECT_STREQ(s.model().memoryName(), "Loaded");
  EXPECT_STREQ(s.model().action(0), "Monitor");
  EXPECT_STREQ(s.model().displayName(1), "");
  EXPECT_EQ(h.shown("PageName"), "Loaded");
  EXPECT_EQ(h.shown("Action1"), "Monitor");
  EXPECT_EQ(h.shown("DisplayName1"), "Mon");
  EXPECT_EQ(h.setting("Category0-0"), "Edit");
  EXPECT_EQ(h.setting("MemoryName0"), "Loaded");
  EXPECT_TRUE(s.monitor.take().empty());
  EXPECT_EQ(h.user.shown.size(), 3u);

  // A refused file shows the failure; in the picture view the keyboard hears every label.
  h.press("PictureViewTab");
  const SetupFile theirs("Someone Else");
  h.user.file = theirs.path.string();
  h.push("LoadButton");
  ASSERT_EQ(h.user.shown.size(), 4u);
  EXPECT_EQ(h.user.shown[3], (Texts{"FAILED TO LOAD.", "OK"}));
  EXPECT_STREQ(s.model().memoryName(), "Loaded");
  EXPECT_EQ(s.monitor.take(), everyLabel());
  // Without a translation of its button the failure is not shown at all.
  h.forget("OK");
  h.push("LoadButton");
  EXPECT_EQ(h.user.shown.size(), 4u);
}

TEST(SetupPanelController, KeyboardMemoryMovesTheOpenWindowAndIsToldOnce) {
  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;

  EXPECT_TRUE(s.controller->selectMemoryFromKeyboard(3));
  EXPECT_EQ(s.monitor.take(), (Calls{"memory 3"}));
  EXPECT_EQ(h.number("Page4"), 1);
  EXPECT_EQ(h.number("Page1"), 0);
  EXPECT_EQ(h.number("ResetButtons"), 3);
  EXPECT_EQ(h.shown("PageName"), "Audio");
  EXPECT_EQ(h.shown("DisplayName"), "AdAudi");
  EXPECT_FALSE(s.controller->selectMemoryFromKeyboard(3));
  EXPECT_FALSE(s.controller->selectMemoryFromKeyboard(6));
  EXPECT_TRUE(s.monitor.take().empty());

  // Closing the window writes the model to the settings and lets go of the panel and values.
  h.type("PageName", u"Closed");
  const std::vector<IPtr<IGuiValue>> values = h.values();
  ASSERT_FALSE(values.empty());
  s.closeWindow();
  EXPECT_FALSE(s.controller->isPanelOpen());
  EXPECT_EQ(h.setting("MemoryName3"), "Closed");
  EXPECT_EQ(h.setting("MemoryIndex"), "3");
  for (const IPtr<IGuiValue>& value : values) EXPECT_EQ(holders(value.get()), 0u);

  EXPECT_TRUE(s.controller->selectMemoryFromKeyboard(1));
  EXPECT_EQ(s.model().currentMemory(), 1);
  EXPECT_EQ(s.monitor.take(), (Calls{"memory 1"}));

  // The model holds the host until its last write; then nothing of the host is held.
  EXPECT_GT(h.bare.kernelReferences(), 0);
  s.controller.reset();
  EXPECT_EQ(h.setting("MemoryIndex"), "1");
  EXPECT_EQ(h.bare.kernelReferences(), 0);
}

TEST(SetupPanelController, LoadsTheSkinRegistersTheCommandAndFollowsTheWindow) {
  {
    // No panel registry: the model works, but no window can open.
    SetupWindow s;
    s.host.bare.setServiceEnabled(HostService::kPanelRegistry, false);
    EXPECT_FALSE(s.initialise());
    EXPECT_TRUE(s.controller->isModelReady());
    EXPECT_FALSE(s.open());
    EXPECT_TRUE(s.controller->selectMemoryFromKeyboard(2));
    EXPECT_EQ(s.monitor.take(), (Calls{"memory 2"}));
  }
  SetupWindow s;
  Host& h = s.host;
  ASSERT_TRUE(s.initialise());
  ASSERT_EQ(h.bare.skinPackages().size(), 1u);
  EXPECT_EQ(h.bare.skinPackages()[0],
            std::make_pair(s.module, std::string("QENTExtSetupPanel.srf")));
  ASSERT_TRUE(s.controller->registerCommand("QENT6/QENT8", "QENT6/QENT8 Extension Setup",
                                            "QENT6/QENT8 Extension Setup"));
  ASSERT_EQ(h.bare.menuEntries().size(), 1u);
  const QentSim::MenuEntry& entry = h.bare.menuEntries()[0];
  EXPECT_EQ((Texts{entry.menu, entry.title, entry.category, entry.command}),
            (Texts{"Devices", "QENT6/QENT8 Extension Setup", "QENT6/QENT8",
                   "QENT6/QENT8 Extension Setup"}));
  EXPECT_EQ(entry.module, s.module);
  // The catalogue knows the command through the menu entry alone.
  EXPECT_TRUE(entry.registeredCommand);
  EXPECT_EQ(h.bare.registeredActions(), Texts{"QENT6/QENT8/QENT6/QENT8 Extension Setup"});

  EXPECT_FALSE(s.controller->openPanel("Nope", 6, 16, &s.monitor));
  EXPECT_EQ(h.window(), nullptr);
  ASSERT_TRUE(s.open());
  IPtr<HostWindow> first = IPtr<HostWindow>::share(h.window());
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->isShown());
  EXPECT_EQ(first->closeListeners(), 1u);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(h.window(), first.get());
  EXPECT_EQ(first->timesRaised(), 1);

  // The window reopens on the view, page and button it closed with.
  h.press("Page3");
  h.press("Button4");
  h.press("TableViewTab");
  first.reset();
  s.closeWindow();
  ASSERT_TRUE(s.open());
  EXPECT_EQ(h.number("TableViewTab"), 1);
  EXPECT_EQ(h.number("PictureViewTab"), 0);
  EXPECT_EQ(h.number("MainView"), 1);
  EXPECT_EQ(h.number("Page3"), 1);
  EXPECT_EQ(h.number("ResetButtons"), 2);
  EXPECT_EQ(h.number("Button4"), 1);
  EXPECT_EQ(h.shown("ButtonName"), "SF4");

  // Unregistering lets go of the registry and the window, and removes the menu entry.
  EXPECT_TRUE(s.controller->unregisterCommand());
  EXPECT_TRUE(h.bare.menuEntries().empty());
  EXPECT_EQ(h.bare.kernelReferences(&IPanelRegistry::iid), 0);
  ASSERT_NE(h.window(), nullptr);
  EXPECT_EQ(h.window()->closeListeners(), 0u);
  EXPECT_EQ(h.window()->referenceCount(), 1u);  // only the host holds the window now
  EXPECT_FALSE(s.open());

  // Without a menu title the command goes to the catalogue.
  ASSERT_TRUE(s.controller->registerCommand("QENT6/QENT8", "Other", nullptr));
  EXPECT_EQ(h.bare.registeredActions(), Texts{"QENT6/QENT8/Other"});
  EXPECT_TRUE(s.controller->unregisterCommand());
  EXPECT_TRUE(h.bare.registeredActions().empty());
  EXPECT_FALSE(s.controller->unregisterCommand());
}

namespace {

// The keyboard service with its start-up and shutdown steps callable.
class StartedService final : public Brennholt::QENT_HKA {
 public:
  explicit StartedService(void* module) : QENT_HKA(module) {}
  using QENT_HKA::onFirstIdle;
  using QENT_HKA::onShutdown;
  CExtSetupPanelController& setup() { return setupController_; }
};

}  // namespace

TEST(SetupPanelController, TheServiceOffersTheWindowInTheDevicesMenuOnlyWithItsSkin) {
  for (const bool withRegistry : {true, false}) {
    SCOPED_TRACE(withRegistry ? "with the panel registry" : "without");
    SetupWindow s;
    Host& h = s.host;
    h.bare.setServiceEnabled(HostService::kPanelRegistry, withRegistry);
    Brennholt::Hox::IHostKernel* const previous = Brennholt::hostKernel;
    Brennholt::Hox::IHostKernel* const kernel = h.bare.kernel();
    Brennholt::hostKernel = kernel;
    auto* service = new StartedService(s.module);
    service->onFirstIdle(kernel);
    // The model and the keyboard path work either way.
    EXPECT_TRUE(service->setup().isModelReady());
    EXPECT_EQ(h.bare.menuEntries().size(), withRegistry ? 1u : 0u);
    const std::u16string category = u"QENT6/QENT8";
    const std::u16string command = u"QENT6/QENT8 Extension Setup";
    EXPECT_EQ(service->onAction(category.c_str(), command.c_str(), 1), kResultOk);
    EXPECT_EQ(h.window(), nullptr);
    EXPECT_EQ(service->onAction(category.c_str(), command.c_str(), 0), kResultOk);
    EXPECT_EQ(h.window() != nullptr, withRegistry);
    if (withRegistry) {
      // The window works on the service's model.
      h.press("Page2");
      EXPECT_EQ(service->setup().currentMemory(), 1);
      EXPECT_TRUE(h.bare.closeWindow());
    }
    service->onShutdown(kernel);
    EXPECT_TRUE(h.bare.menuEntries().empty());
    EXPECT_EQ(h.bare.kernelReferences(&IPanelRegistry::iid), 0);
    service->release();
    Brennholt::hostKernel = previous;
  }
}
