// The setup window through the host's side of it: the controller's skin, command and window,
// and the panel driven through its values as the host's skin engine and the user drive them.
#include "extsetup/CExtSetupPanel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "extsetup/CExtSetupPanelController.h"
#include "extsetup/QENT_SetupDefaults.h"
#include "hostaccess/DAWInfo.h"
#include "hostaccess/QENT_HKA.h"
#include "remote/channels/ModuleState.h"
#include "tests/extsetup/PanelTestHost.h"

namespace {

using namespace panelhost;
using Brennholt::CExtSetupInfo;
using Brennholt::CExtSetupPanel;
using Brennholt::CExtSetupPanelController;
using Brennholt::QENT_SetupDefaults;
using Brennholt::String;

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

// The QENT6/QENT8 set-up in a host whose catalogue knows some of the factory commands.
struct SetupWindow {
  Host host;
  std::vector<String> buttons = QENT_SetupDefaults::buttonNames();
  std::vector<String> memories = QENT_SetupDefaults::factoryMemoryNames();
  AssignmentTable table = QENT_SetupDefaults::factoryAssignments(0);
  Brennholt::DAWInfo daw{u"Tessaly Studio", u"7.5.0", u"Build 100"};
  Monitor monitor;
  int module = 0;  // stands for the module's handle
  std::unique_ptr<CExtSetupPanelController> controller;

  SetupWindow() {
    host.catalogue.categories = {
        {"Zoom", {"Zoom In", "Zoom Out", "Zoom In Vertically", "Zoom Out Vertically"}},
        {"Devices", {"Mixer"}},
        {"Editors",
         {"Open Key Editor", "Open Score Editor", "Open Drum Editor", "Open List Editor"}},
        {"Project", {"Open Pool"}},
        {"Edit", {"Undo", "Redo", "Monitor"}},
        {"QENT6/QENT8", {"QENT6/QENT8 Extension Setup"}},
    };
    controller = std::make_unique<CExtSetupPanelController>("QENT", &module);
  }
  ~SetupWindow() {
    controller.reset();
    if (host.registry.window) host.registry.window->close();
    host.registry.window.reset();
  }
  bool initialise(const char8* language = nullptr) {
    const bool ready = controller->initialise(&host, "QENTExtSetupPanel.srf", language, 6, 6,
                                              &buttons, &memories, &table);
    controller->setMonitor(&monitor);
    controller->setFileIdentity("Talvane QENT6/QENT8", "1.0.6", &daw);
    return ready;
  }
  bool open(uint8 displayNameLength = 6) {
    return controller->openPanel("QENTExtSetupPanel", displayNameLength, 16, &monitor);
  }
  CExtSetupInfo& model() { return controller->setupInfo(); }
  void closeWindow() {
    host.registry.window->close();
    host.registry.window.reset();
  }
};

// A setup file of one memory block; `model` names the keyboard it is for.
std::vector<Element> setupFile(const std::string& model) {
  return {
      {"ExtensionSetupData", {}},
      {"data", {{"name", "General"}}},
      {"model", {{"name", model}, {"buttons", "6"}, {"memories", "6"}}},
      {"file", {{"version", "100"}}},
      {"data", {}, true},
      {"data", {{"name", "Memory 1"}}},
      {"memory", {{"name", "Loaded"}}},
      {"command",
       {{"button", "SF1"}, {"category", "Edit"}, {"action", "Undo"}, {"display", "Und"}}},
      {"data", {}, true},
      {"ExtensionSetupData", {}, true},
  };
}

Calls everyLabel() {
  Calls labels;
  for (int b = 0; b < 6; ++b) labels.push_back("label " + std::to_string(b));
  return labels;
}

}  // namespace

TEST(SetupPanel, MakesItsValuesInOrderAndShowsTheModel) {
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
  ASSERT_EQ(h.made.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(h.made[i]->getTag(), expected[i].tag);
    EXPECT_EQ(h.made[i]->kind(), expected[i].kind);
    EXPECT_EQ(h.get(expected[i].name), h.made[i]);
    EXPECT_EQ(h.made[i]->getAttributes(), 0);
    EXPECT_EQ(h.made[i]->owner(), h.registry.window->controller.get());
  }
  IGuiValue* none = h.made[0];
  EXPECT_EQ(h.registry.window->controller->getValueByName("Nope", &none), kResultFalse);
  EXPECT_EQ(none, nullptr);
  void* object = nullptr;
  IPlugController* controller = h.registry.window->controller.get();
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
  ASSERT_EQ(h.at("Category2").entries().size(), 7u);
  EXPECT_EQ(h.at("Category2").entries()[6], u"---");
  EXPECT_EQ(h.at("Action2").entries().size(), 5u);
  EXPECT_EQ(h.shown("Action2"), "Zoom Out");
  EXPECT_TRUE(s.monitor.calls.empty());

  // Without display-text fields the window has none.
  SetupWindow plain;
  ASSERT_TRUE(plain.initialise());
  ASSERT_TRUE(plain.open(0));
  EXPECT_EQ(plain.host.made.size(), expected.size() - 7);
  EXPECT_EQ(plain.host.get("DisplayName1"), nullptr);
  EXPECT_EQ(plain.host.get("DisplayName"), nullptr);
}

TEST(SetupPanel, TabsPagesAndButtonsAreRadioGroups) {
  SetupWindow s;
  ASSERT_TRUE(s.initialise());
  ASSERT_TRUE(s.open());
  Host& h = s.host;

  h.press("TableViewTab");
  EXPECT_EQ(h.number("PictureViewTab"), 0);
  EXPECT_EQ(h.number("MainView"), 1);
  EXPECT_EQ(s.model().mainView(), 1);
  h.press("OptionViewTab");
  EXPECT_EQ(h.number("TableViewTab"), 0);
  EXPECT_EQ(h.at("ResetButton").getAttributes(), IValueAttributes::kDisabled);
  h.press("PictureViewTab");
  EXPECT_EQ(h.number("OptionViewTab"), 0);
  EXPECT_EQ(h.at("ResetButton").getAttributes(), 0);
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
  EXPECT_STREQ(s.model().category(0), "AddTrack");
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

  h.at("JogStopFlag").setValue(0, 1);
  bool jogStop = true;
  ASSERT_TRUE(s.model().option(0, jogStop));
  EXPECT_FALSE(jogStop);
  EXPECT_EQ(std::get<int32>(h.settings.values[{"QENT Extension Settings", "JogStop"}]), 0);
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
  EXPECT_EQ(h.at("Action1").entries(), (std::vector<std::u16string>{u"---"}));
  EXPECT_EQ(h.shown("Action1"), "---");

  // A new category refills the command menu, which shows "---" for a command not in it.
  h.choose("Category1", "Edit");
  EXPECT_STREQ(s.model().category(0), "Edit");
  EXPECT_STREQ(s.model().action(0), "Zoom In");
  EXPECT_EQ(h.at("Action1").entries().size(), 4u);
  EXPECT_EQ(h.shown("Action1"), "---");
  h.choose("Action1", "Redo");
  EXPECT_STREQ(s.model().action(0), "Redo");
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
  bare.host.offersCatalogue = false;
  ASSERT_TRUE(bare.initialise());
  ASSERT_TRUE(bare.open());
  bare.host.press("TableViewTab");
  EXPECT_EQ(bare.host.at("Category3").entries(), (std::vector<std::u16string>{u"---"}));
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
  h.alerts.answers = {1};
  h.push("ResetButton");
  ASSERT_EQ(h.alerts.shown.size(), 1u);
  EXPECT_EQ(h.alerts.shown[0], (std::vector<std::string>{
                                   "THIS WILL RESET THE COMMAND ASSIGNMENT TO THE FACTORY DEFAULT.",
                                   "RESET", "CANCEL"}));
  EXPECT_STREQ(s.model().category(0), "Zoom");
  EXPECT_STREQ(s.model().displayName(0), "HZoom+");
  EXPECT_EQ(h.shown("DisplayName"), "HZoom+");
  EXPECT_EQ(s.monitor.take(), everyLabel());

  // Cancelled, or a missing translation: nothing changes.
  edit();
  h.alerts.answers = {2};
  h.push("ResetButton");
  EXPECT_STREQ(s.model().displayName(0), "Mine");
  std::erase(h.translator.known, "Cancel");
  h.push("ResetButton");
  EXPECT_EQ(h.alerts.shown.size(), 2u);
  EXPECT_STREQ(s.model().displayName(0), "Mine");
  EXPECT_TRUE(s.monitor.take().empty());
  h.translator.known.push_back("Cancel");

  // In the table view the table is refreshed and the keyboard not told.
  h.press("TableViewTab");
  h.alerts.answers = {1};
  h.push("ResetButton");
  EXPECT_STREQ(s.model().displayName(0), "HZoom+");
  EXPECT_EQ(h.shown("DisplayName1"), "HZoom+");
  EXPECT_EQ(h.shown("Category1"), "Zoom");
  EXPECT_TRUE(s.monitor.take().empty());

  // A file read lands in the model, the view and the settings at once.
  EXPECT_EQ(h.settings.text("Category0-0"), "<none>");
  h.files.file = setupFile("Talvane QENT6/QENT8");
  h.push("LoadButton");
  EXPECT_EQ(h.files.opened, 1);
  EXPECT_STREQ(s.model().memoryName(), "Loaded");
  EXPECT_STREQ(s.model().action(0), "Undo");
  EXPECT_STREQ(s.model().displayName(1), "");
  EXPECT_EQ(h.shown("PageName"), "Loaded");
  EXPECT_EQ(h.shown("Action1"), "Undo");
  EXPECT_EQ(h.shown("DisplayName1"), "Und");
  EXPECT_EQ(h.settings.text("Category0-0"), "Edit");
  EXPECT_EQ(h.settings.text("MemoryName0"), "Loaded");
  EXPECT_TRUE(s.monitor.take().empty());
  EXPECT_EQ(h.alerts.shown.size(), 3u);

  // A refused file shows the failure; in the picture view the keyboard hears every label.
  h.press("PictureViewTab");
  h.files.file = setupFile("Someone Else");
  h.push("LoadButton");
  ASSERT_EQ(h.alerts.shown.size(), 4u);
  EXPECT_EQ(h.alerts.shown[3], (std::vector<std::string>{"FAILED TO LOAD.", "OK"}));
  EXPECT_STREQ(s.model().memoryName(), "Loaded");
  EXPECT_EQ(s.monitor.take(), everyLabel());
  // Without a translation of its button the failure is not shown at all.
  std::erase(h.translator.known, "OK");
  h.push("LoadButton");
  EXPECT_EQ(h.alerts.shown.size(), 4u);
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
  s.closeWindow();
  EXPECT_FALSE(s.controller->isPanelOpen());
  EXPECT_EQ(h.settings.text("MemoryName3"), "Closed");
  EXPECT_EQ(std::get<int32>(h.settings.values[{"ExtensionSetupData_QENT", "MemoryIndex"}]), 3);
  EXPECT_EQ(h.liveValues, 0);

  EXPECT_TRUE(s.controller->selectMemoryFromKeyboard(1));
  EXPECT_EQ(s.model().currentMemory(), 1);
  EXPECT_EQ(s.monitor.take(), (Calls{"memory 1"}));

  // The model holds the host until its last write; then nothing of the host is held.
  EXPECT_GT(h.refs, 0);
  s.controller.reset();
  EXPECT_EQ(std::get<int32>(h.settings.values[{"ExtensionSetupData_QENT", "MemoryIndex"}]), 1);
  EXPECT_EQ(h.refs, 0);
  for (const int refs : {h.catalogue.refs, h.categoryList.refs, h.translator.refs, h.alerts.refs,
                         h.settings.refs, h.menu.refs, h.registry.refs, h.files.refs}) {
    EXPECT_EQ(refs, 0);
  }
}

TEST(SetupPanelController, LoadsTheSkinRegistersTheCommandAndFollowsTheWindow) {
  {
    // No panel registry: the model works, but no window can open.
    SetupWindow s;
    s.host.offersRegistry = false;
    EXPECT_FALSE(s.initialise());
    EXPECT_TRUE(s.controller->isModelReady());
    EXPECT_FALSE(s.open());
    EXPECT_TRUE(s.controller->selectMemoryFromKeyboard(2));
    EXPECT_EQ(s.monitor.take(), (Calls{"memory 2"}));
  }
  SetupWindow s;
  Host& h = s.host;
  ASSERT_TRUE(s.initialise("QENTLANG"));
  ASSERT_EQ(h.registry.loaded.size(), 1u);
  EXPECT_EQ(h.registry.loaded[0],
            std::make_pair(static_cast<void*>(&s.module), std::string("QENTExtSetupPanel.srf")));
  EXPECT_EQ(h.translator.tables, (std::vector<std::pair<std::string, std::string>>{
                                     {"QENTLANG", "ExtensionSetup_Language_QENT"}}));

  ASSERT_TRUE(s.controller->registerCommand("QENT6/QENT8", "QENT6/QENT8 Extension Setup",
                                            "QENT6/QENT8 Extension Setup"));
  EXPECT_EQ(
      h.menu.entries,
      (std::vector<std::vector<std::string>>{{"Devices", "QENT6/QENT8 Extension Setup",
                                              "QENT6/QENT8", "QENT6/QENT8 Extension Setup"}}));
  EXPECT_EQ(h.menu.modules, (std::vector<void*>{&s.module}));
  EXPECT_TRUE(h.catalogue.registered.empty());

  EXPECT_FALSE(s.controller->openPanel("Nope", 6, 16, &s.monitor));
  EXPECT_EQ(h.liveValues, 0);
  ASSERT_TRUE(s.open());
  IPtr<Window> first = h.registry.window;
  EXPECT_TRUE(first->shown);
  EXPECT_EQ(first->listeners.size(), 1u);
  ASSERT_TRUE(s.open());
  EXPECT_EQ(h.registry.window.get(), first.get());
  EXPECT_EQ(first->fronts, 1);

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
  EXPECT_TRUE(h.menu.entries.empty());
  EXPECT_EQ(h.registry.refs, 0);
  EXPECT_TRUE(h.registry.window->listeners.empty());
  h.registry.window->addRef();
  EXPECT_EQ(h.registry.window->release(), 1u);  // only the host holds the window now
  EXPECT_FALSE(s.open());

  // Without a menu title the command goes to the catalogue.
  ASSERT_TRUE(s.controller->registerCommand("QENT6/QENT8", "Other", nullptr));
  EXPECT_EQ(h.catalogue.registered.size(), 1u);
  EXPECT_TRUE(s.controller->unregisterCommand());
  EXPECT_TRUE(h.catalogue.registered.empty());
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
    h.offersRegistry = withRegistry;
    Brennholt::Hox::IHostKernel* const previous = Brennholt::hostKernel;
    Brennholt::hostKernel = &h;
    auto* service = new StartedService(&s.module);
    service->onFirstIdle(&h);
    // The model and the keyboard path work either way.
    EXPECT_TRUE(service->setup().isModelReady());
    EXPECT_EQ(h.menu.entries.size(), withRegistry ? 1u : 0u);
    const std::u16string category = u"QENT6/QENT8";
    const std::u16string command = u"QENT6/QENT8 Extension Setup";
    EXPECT_EQ(service->onAction(category.c_str(), command.c_str(), 1), kResultOk);
    EXPECT_FALSE(h.registry.window);
    EXPECT_EQ(service->onAction(category.c_str(), command.c_str(), 0), kResultOk);
    EXPECT_EQ(static_cast<bool>(h.registry.window), withRegistry);
    if (withRegistry) {
      // The window works on the service's model.
      h.press("Page2");
      EXPECT_EQ(service->setup().currentMemory(), 1);
      h.registry.window->close();
    }
    service->onShutdown(&h);
    EXPECT_TRUE(h.menu.entries.empty());
    EXPECT_EQ(h.registry.refs, 0);
    service->release();
    Brennholt::hostKernel = previous;
  }
}
