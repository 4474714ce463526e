// The reference host's skin engine, GUI values and "Devices" menu, driven through the host's
// interfaces as a module drives them, with a controller written here: windows built from the
// skin the module carries, binding by name, notifications, menus and the menu's commands.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/PanelServices.h"
#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/midi/HostLink.h"
#include "sim/host/HostState.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/host/KernelServices.h"
#include "sim/skin/SkinDocument.h"
#include "tests/sim/SkinControls.h"
#include "tests/support/ArtifactPath.h"

using namespace Brennholt;
using namespace Brennholt::Hox;
using QentSim::HostContext;
using QentSim::HostWindow;
using QentSim::SimHost;

namespace {

// A host with its kernel services and nothing running.
struct Host {
  SimHost::State state;
  IPtr<HostContext> context;
  Host() {
    state.run.emplace(state);
    context = IPtr<HostContext>::adopt(new HostContext(state.run->connection.shared()));
  }
  ~Host() { state.run.reset(); }
  template <class I>
  IPtr<I> service() {
    IPtr<I> out;
    if (context->getService(I::iid.bytes(), out.putVoid()) != kResultOk) out.reset();
    return out;
  }
  IPtr<IGuiValue> value(const FUID& classId) {
    IPtr<IGuiValue> out;
    EXPECT_EQ(context->createInstance(classId.bytes(), IGuiValue::iid.bytes(), out.putVoid()),
              kResultOk);
    return out;
  }
};

std::u16string u16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string textOf(IGuiValue* value) {
  char16 text[128] = {};
  value->getText(text, 128);
  std::string out;
  for (const char16* c = text; *c; ++c) out += static_cast<char>(*c);
  return out;
}

// A controller offering values by name; what it is told goes to `onChange`.
class TestController final : public IPlugController {
 public:
  explicit TestController(Host& host) : host_(host) {}

  IGuiValue* add(const std::string& name, const FUID& classId) {
    IPtr<IGuiValue> value = host_.value(classId);
    value->setOwner(this, static_cast<int32>(values_.size()));
    values_[name] = value;
    return value.get();
  }
  IGuiValue* operator[](const std::string& name) { return values_.at(name).get(); }
  void dropValues() { values_.clear(); }

  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (!FUnknown::iid.matches(iid) && !IPlugController::iid.matches(iid)) return kNoInterface;
    *object = static_cast<IPlugController*>(this);
    addRef();
    return kResultOk;
  }
  uint32 addRef() noexcept override { return ++references; }
  uint32 release() noexcept override { return --references; }  // lives on the test's stack

  tresult getValueByName(const char8* name, IGuiValue** value) noexcept override {
    auto found = values_.find(name);
    *value = found == values_.end() ? nullptr : found->second.get();
    return *value ? kResultOk : kResultFalse;
  }
  tresult valueChanged(IGuiValue* value, int32 tag) noexcept override {
    told.push_back(tag);
    if (onChange) onChange(value, tag);
    return kResultOk;
  }

  uint32 references = 1;
  std::vector<int32> told;
  std::function<void(IGuiValue*, int32)> onChange;

 private:
  Host& host_;
  std::map<std::string, IPtr<IGuiValue>> values_;
};

class CloseListener final : public ICloseWindowNotification {
 public:
  void windowClosed(IHostWindow* window) noexcept override {
    ++closed;
    if (onClose) onClose(window);
  }
  int closed = 0;
  std::function<void(IHostWindow*)> onClose;
};

// The module loaded only for its resources, as the registry reads them.
struct ModuleResources {
  Platform::ModuleHandle handle = nullptr;
  ModuleResources() {
    const std::string path = QentTest::artifactPath("qentlink.hox3");
    handle = Platform::loadModule(path.c_str());
  }
  ~ModuleResources() {
    if (handle) Platform::unloadModule(handle);
  }
};

// Every control name of the window template "QENTExtSetupPanel" with the value class it needs.
void offerSetupWindow(TestController& c, const std::string& leaveOut = "") {
  auto add = [&](const std::string& name, const FUID& cls) {
    if (name != leaveOut) c.add(name, cls);
  };
  QentTest::forEachSkinControl(add);
}

}  // namespace

TEST(PanelEngine, BuildsTheWindowFromTheModulesSkinAndBindsEachControlByName) {
  Host host;
  ModuleResources module;
  ASSERT_NE(module.handle, nullptr);
  IPtr<IPanelRegistry> registry = host.service<IPanelRegistry>();
  ASSERT_TRUE(registry);
  // Resource names compare without regard to case, as the resource compiler stores them.
  EXPECT_EQ(registry->loadSkinPackage(module.handle, u"QENTExtSetupPanel.srf"), kResultOk);
  EXPECT_EQ(registry->loadSkinPackage(module.handle, u"qentextsetuppanel.srf"), kResultOk);
  EXPECT_TRUE(host.state.report.panelProblems.empty());

  TestController controller(host);
  offerSetupWindow(controller);
  IPtr<IHostWindow> window;
  EXPECT_EQ(registry->openWindow("NoSuchTemplate", &controller, window.put()), kResultFalse);
  EXPECT_FALSE(window);
  ASSERT_EQ(registry->openWindow("QENTExtSetupPanel", &controller, window.put()), kResultOk);
  ASSERT_TRUE(window);
  EXPECT_TRUE(host.state.report.panelProblems.empty()) << host.state.report.panelProblems.front();
  EXPECT_EQ(controller.references, 2u) << "the window holds the controller while open";
  auto* own = static_cast<HostWindow*>(window.get());
  EXPECT_EQ(own->title(), "QENT6/QENT8 Extension Setup");
  EXPECT_FALSE(own->isShown());
  window->show();
  EXPECT_TRUE(own->isShown());

  // "MainView" picks the view; only its controls are reachable, all values can be read.
  std::string why;
  controller["MainView"]->setValue(2, 0);
  EXPECT_FALSE(own->press("Button3", &why));
  EXPECT_NE(why.find("not in the visible view (QENTExtSetupPanel, OptionView)"), std::string::npos)
      << why;
  EXPECT_TRUE(own->press("JogStopFlag", &why)) << why;
  EXPECT_EQ(controller["JogStopFlag"]->getValue(), 1) << "a checkbox toggles";
  EXPECT_TRUE(own->press("JogStopFlag", &why));
  EXPECT_EQ(controller["JogStopFlag"]->getValue(), 0);
  controller["MainView"]->setValue(0, 0);
  controller.told.clear();
  EXPECT_TRUE(own->press("Button3", &why)) << why;
  EXPECT_EQ(controller["Button3"]->getValue(), 1) << "an \"on\" switch stays on";
  // A push switch goes on and off again, told both times; the one shown is the one
  // "ResetButtons" selects, and all six share one value.
  controller.told.clear();
  controller["ResetButtons"]->setRange(0, 5);
  controller["ResetButtons"]->setValue(3, 0);
  EXPECT_TRUE(own->press("ResetButton", &why)) << why;
  EXPECT_EQ(controller.told.size(), 2u);
  EXPECT_EQ(controller["ResetButton"]->getValue(), 0);
  // A disabled control cannot be clicked; a menu is not clicked but chosen from.
  IPtr<IValueAttributes> attributes = queryInterface<IValueAttributes>(controller["ResetButton"]);
  ASSERT_TRUE(attributes);
  attributes->setAttributes(IValueAttributes::kDisabled);
  EXPECT_FALSE(own->press("ResetButton", &why));
  EXPECT_NE(why.find("disabled"), std::string::npos) << why;
  EXPECT_FALSE(own->press("Category", &why));
  EXPECT_NE(why.find("panel choose"), std::string::npos) << why;
  std::string shown;
  EXPECT_TRUE(own->valueOf("Category4", &shown, &why)) << "hidden controls can be read";
  EXPECT_FALSE(own->valueOf("Nothing", &shown, &why));

  // The user closes it: the listener is told while the window is whole (and removes itself,
  // as the module's controller does), then the window lets go of the controller.
  CloseListener listener;
  listener.onClose = [&](IHostWindow* closing) {
    EXPECT_EQ(controller.references, 2u);
    closing->removeCloseNotification(&listener);
  };
  window->addCloseNotification(&listener);
  own->close();
  EXPECT_EQ(listener.closed, 1);
  EXPECT_EQ(controller.references, 1u);
  EXPECT_FALSE(own->press("Button1", &why));
  controller.dropValues();
}

TEST(PanelEngine, ReportsControlsTheControllerDoesNotOfferAndPackagesThatDoNotLoad) {
  Host host;
  ModuleResources module;
  IPtr<IPanelRegistry> registry = host.service<IPanelRegistry>();
  ASSERT_TRUE(registry);
  EXPECT_EQ(registry->loadSkinPackage(module.handle, u"Missing.srf"), kResultFalse);
  ASSERT_EQ(host.state.report.panelProblems.size(), 1u);
  EXPECT_NE(host.state.report.panelProblems[0].find("\"Missing.srf\""), std::string::npos);
  host.state.report.panelProblems.clear();

  ASSERT_EQ(registry->loadSkinPackage(module.handle, u"QENTExtSetupPanel.srf"), kResultOk);
  TestController controller(host);
  offerSetupWindow(controller, "Action4");
  controller.add("JogStopFlag", kIntValueClass);  // a checkbox on a number
  IPtr<IHostWindow> window;
  ASSERT_EQ(registry->openWindow("QENTExtSetupPanel", &controller, window.put()), kResultOk);
  // Each name once, though it stands in one view only or in several.
  const auto& problems = host.state.report.panelProblems;
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("control \"Action4\" (menu): the controller offers no value"),
            std::string::npos)
      << problems[0];
  EXPECT_NE(problems[1].find("\"JogStopFlag\" (checkbox): its value is not a switch"),
            std::string::npos)
      << problems[1];
  static_cast<HostWindow*>(window.get())->close();
  controller.dropValues();
}

TEST(PanelEngine, RefusesSkinDescriptionsAWindowCannotBeBuiltFrom) {
  const std::vector<std::string> entries = {"a.png", "skin.xml"};
  auto skin = [](const std::string& body) {
    return "<Skin><Bitmaps><Bitmap name=\"a\" file=\"a.png\"/></Bitmaps>" + body + "</Skin>";
  };
  QentSim::SkinDocument document;
  std::string why;
  ASSERT_TRUE(document.readText(
      skin("<Template name=\"W\"><View template=\"V\"/></Template><Template name=\"V\">"
           "<Control name=\"C\" kind=\"switch\" bitmap=\"a\" x=\"3\"/></Template>"),
      entries, &why))
      << why;
  EXPECT_EQ(document.templateNames(), (std::vector<std::string>{"W", "V"}));
  const struct {
    std::string text;
    const char* reason;
  } bad[] = {
      {"<Skin><Bitmaps><Bitmap name=\"b\" file=\"b.png\"/></Bitmaps></Skin>", "no \"b.png\""},
      {skin("<Template name=\"W\"><Image bitmap=\"zz\"/></Template>"), "\"zz\" is not declared"},
      {skin("<Template name=\"W\"><Control name=\"C\" kind=\"knob\"/></Template>"),
       "unknown kind \"knob\""},
      {skin("<Template name=\"W\"><Control kind=\"text\"/></Template>"), "without name"},
      {skin("<Template name=\"W\"><View template=\"X\"/></Template>"), "no template named \"X\""},
      {skin("<Template name=\"W\"><View template=\"V\"/></Template>"
            "<Template name=\"V\"><View template=\"W\"/></Template>"),
       "places itself"},
      {skin("<Template name=\"W\"><Control name=\"M\" kind=\"alternative\"/></Template>"),
       "has no views"},
      {skin("<Template name=\"W\"><Label text=\"t\" x=\"1.5\"/></Template>"), "not a number"},
      {skin("<Template name=\"W\"><Button/></Template>"), "unknown element <Button>"},
      {skin("<Template name=\"W\"/><Template name=\"W\"/>"), "defined twice"},
      {skin("<Template name=\"W\">"), "skin.xml:1:"},
  };
  for (const auto& c : bad) {
    why.clear();
    EXPECT_FALSE(document.readText(c.text, entries, &why)) << c.text;
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.text << " -> " << why;
    EXPECT_EQ(document.findTemplate("W"), nullptr) << "a refused description leaves nothing";
  }
}

TEST(GuiValues, NotifyTheOwnerAtOnceChangedOrNotAndMayNest) {
  Host host;
  TestController controller(host);
  IGuiValue* category = controller.add("Category", kListValueClass);
  IGuiValue* action = controller.add("Action", kListValueClass);
  IGuiValue* count = controller.add("Count", kIntValueClass);
  IPtr<IListValue> categories = queryInterface<IListValue>(category);
  IPtr<IListValue> actions = queryInterface<IListValue>(action);
  ASSERT_TRUE(categories && actions);
  EXPECT_FALSE(queryInterface<IListValue>(count)) << "only menus are lists";
  for (const char16* entry : {u"Transport", u"Edit", u"---"}) categories->append(entry);
  EXPECT_EQ(category->getValue(), -1) << "a menu starts with nothing selected";

  // Selecting a category fills the command menu and selects in it, from inside the handler:
  // the nested change is told before the outer set returns.
  controller.onChange = [&](IGuiValue* value, int32) {
    if (value != category) return;
    actions->clear();
    for (int i = 0; i <= category->getValue(); ++i)
      actions->append(u16("cmd" + std::to_string(i)).c_str());
    action->setValue(actions->count() - 1, 1);
  };
  category->setValue(1, 1);
  EXPECT_EQ(controller.told, (std::vector<int32>{0, 1}));
  EXPECT_EQ(actions->count(), 2);
  EXPECT_EQ(textOf(action), "cmd1");
  // Unchanged, still told; without notify, not told.
  category->setValue(1, 1);
  EXPECT_EQ(controller.told.size(), 4u);
  category->setValue(2, 0);
  EXPECT_EQ(controller.told.size(), 4u);
  EXPECT_EQ(textOf(category), "---");
  // Lists clamp to their entries; clearing deselects.
  category->setValue(7, 0);
  EXPECT_EQ(category->getValue(), 2);
  categories->clear();
  EXPECT_EQ(category->getValue(), -1);
  EXPECT_EQ(textOf(category), "");

  // Numbers clamp to their range; a text value keeps what was typed.
  count->setRange(0, 5);
  count->setValue(9, 0);
  EXPECT_EQ(count->getValue(), 5);
  IGuiValue* name = controller.add("Name", kStringValueClass);
  name->setText(u"Caf\u00e9 & <b>", 0);
  char16 back[32] = {};
  name->getText(back, 32);
  EXPECT_EQ(std::u16string(back), u"Caf\u00e9 & <b>");
  name->getText(back, 4);
  EXPECT_EQ(std::u16string(back), u"Caf") << "cut to the caller's buffer";

  // A handler that keeps setting its own value with notification does not take the host down.
  controller.told.clear();
  controller.onChange = [&](IGuiValue* value, int32) { value->setValue(1, 1); };
  count->setValue(1, 1);
  EXPECT_EQ(controller.told.size(),
            static_cast<std::size_t>(QentSim::GuiValue::kMaxNotificationDepth));
  ASSERT_EQ(host.state.report.panelProblems.size(), 1u);
  EXPECT_NE(host.state.report.panelProblems[0].find("nested deeper"), std::string::npos);
  controller.onChange = nullptr;
  controller.dropValues();
}

namespace {

class RecordingHandler final : public IActionHandler {
 public:
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return 2; }
  uint32 release() noexcept override { return 1; }
  tresult onAction(const char16* category, const char16* name, int32 queryOnly) noexcept override {
    if (!queryOnly) ran.push_back(std::u16string(category) + u"/" + name);
    return kResultOk;
  }
  std::vector<std::u16string> ran;
};

}  // namespace

TEST(DevicesMenu, AnEntryRunsItsCommandThroughTheCatalogueIntoTheActionHandler) {
  Host host;
  IPtr<IDevicesMenu> menu = host.service<IDevicesMenu>();
  IPtr<ICommandCatalogue> catalogue = host.service<ICommandCatalogue>();
  ASSERT_TRUE(menu && catalogue);
  RecordingHandler handler;
  ASSERT_EQ(catalogue->addActionHandler(&handler), kResultOk);
  int module = 0;
  ASSERT_EQ(menu->addEntry(&module, u"Devices", u"Panel Tester", 0, u"Test Tools", u"Open Panel"),
            kResultOk);
  EXPECT_EQ(menu->addEntry(&module, u"Devices", u"Panel Tester", 0, u"Test Tools", u"Other"),
            kResultFalse)
      << "one title per menu";
  EXPECT_GE(catalogue->categoryIndex(u"Test Tools"), 0) << "the command is known from now on";

  // Picking the entry is running its command as the user would.
  const QentSim::MenuEntry& entry = host.state.run->panels.menuEntries.at(0);
  EXPECT_EQ(entry.title, "Panel Tester");
  EXPECT_EQ(host.state.executeCommand(entry.category, entry.command, nullptr), kResultOk);
  EXPECT_EQ(handler.ran, (std::vector<std::u16string>{u"Test Tools/Open Panel"}));

  // Removing the module's entries takes their commands with them; others stay.
  int other = 0;
  ASSERT_EQ(menu->addEntry(&other, u"Devices", u"Someone Else", 0, u"Else", u"Run"), kResultOk);
  EXPECT_EQ(menu->removeEntries(&module), kResultOk);
  EXPECT_EQ(host.state.run->panels.menuEntries.size(), 1u);
  EXPECT_LT(catalogue->categoryIndex(u"Test Tools"), 0);
  EXPECT_EQ(host.state.executeCommand("Test Tools", "Open Panel", nullptr), kResultFalse);
  EXPECT_EQ(menu->removeEntries(&module), kResultFalse);
  catalogue->removeActionHandler(&handler);
}
