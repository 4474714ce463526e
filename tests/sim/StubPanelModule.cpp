// A stand-in module with a setup window, for the scenario commands of the host's windows: its
// service loads the skin it carries (the real one, linked in as the module's resource), adds
// "Stub Setup" and "Stub Broken Setup" to the "Devices" menu, and opens the window
// "QENTExtSetupPanel" when their commands run, with a small controller of its own ("Broken"
// offers every control but "Action4"). Written against the host interfaces only; it records
// what the host does to it, read through stubPanelEvents.
//
// The controller: the three tabs set "MainView" (with notification); "Category" and the six
// "Category%d" list "Transport" and "---", and choosing "Transport" fills the button's command
// menu with "Start", "Stop", "---" and selects "Stop" (with notification, from inside the
// category's notification); a display name is cut to 6 characters and written back with
// notification; "Page%d" and "Button%d" are radio groups.
#include <map>
#include <new>
#include <string>

#include "platform/Platform.h"
#include "sdk/IPluginBase.h"
#include "sdk/IPluginFactory.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/PanelServices.h"
#include "sdk/host/SetupServices.h"
#include "sim/host/kit/HostObject.h"
#include "tests/sim/SkinControls.h"

#if defined(_WIN32)
#define STUB_EXPORT extern "C"
#else
#define STUB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace Brennholt;
using namespace Brennholt::Hox;
using QentSim::HostObject;

namespace {

constexpr FUID kServiceClass = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");

std::string events;
void record(const std::string& line) { events += line + "\n"; }

void* ownModule() { return Platform::moduleContaining(reinterpret_cast<const void*>(&record)); }

std::string narrow(const char16* text) {
  std::string out;
  for (; text && *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}
std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class Controller final : public HostObject<IPlugController> {
 public:
  Controller(IHostClasses* classes, bool broken) {
    auto add = [&](const std::string& name, const FUID& cls) {
      if (broken && name == "Action4") return;
      IPtr<IGuiValue> value;
      if (classes->createInstance(cls.bytes(), IGuiValue::iid.bytes(), value.putVoid()) !=
              kResultOk ||
          !value)
        return;
      value->setOwner(this, static_cast<int32>(names_.size()));
      names_[static_cast<int32>(names_.size())] = name;
      values_[name] = value;
    };
    QentTest::forEachSkinControl(add);
    for (auto& [name, value] : values_) {
      if (name.rfind("Category", 0) == 0) {
        IPtr<IListValue> list = Brennholt::queryInterface<IListValue>(value.get());
        list->append(u"Transport");
        list->append(u"---");
        value->setValue(1, 0);
      }
    }
    value("MainView")->setRange(0, 2);
    value("ResetButtons")->setRange(0, 5);
    value("PictureViewTab")->setValue(1, 0);
    value("Page1")->setValue(1, 0);
    value("Button1")->setValue(1, 0);
    value("PageName")->setText(u"Memory 1", 0);
  }

  tresult getValueByName(const char8* name, IGuiValue** out) noexcept override {
    auto found = values_.find(name);
    *out = found == values_.end() ? nullptr : found->second.get();
    return *out ? kResultOk : kResultFalse;
  }

  tresult valueChanged(IGuiValue* changed, int32 tag) noexcept override {
    const std::string& name = names_[tag];
    record("changed " + name + " " + std::to_string(changed->getValue()));
    if (name.size() > 7 && name.compare(name.size() - 7, 7, "ViewTab") == 0 &&
        changed->getValue() > 0) {
      const int view = name[0] == 'P' ? 0 : name[0] == 'T' ? 1 : 2;
      for (const char* tab : {"PictureViewTab", "TableViewTab", "OptionViewTab"})
        if (tab != name) value(tab)->setValue(0, 0);
      value("MainView")->setValue(view, 1);
    } else if (name.rfind("Category", 0) == 0) {
      const std::string suffix = name.substr(8);
      IGuiValue* action = value("Action" + suffix);
      IPtr<IListValue> list = Brennholt::queryInterface<IListValue>(action);
      if (!list) return kResultOk;
      list->clear();
      if (changed->getValue() == 0) {
        list->append(u"Start");
        list->append(u"Stop");
      }
      list->append(u"---");
      action->setValue(list->count() - 2 >= 0 ? list->count() - 2 : 0, 1);
    } else if (name.rfind("DisplayName", 0) == 0) {
      char16 text[64] = {};
      changed->getText(text, 64);
      if (narrow(text).size() > 6) {
        text[6] = 0;
        changed->setText(text, 1);
      }
    } else if ((name.rfind("Page", 0) == 0 && name.size() == 5) ||
               (name.rfind("Button", 0) == 0 && name.size() == 7)) {
      const std::string group = name.substr(0, name.size() - 1);
      for (int i = 1; i <= 6; ++i) {
        const std::string other = group + std::to_string(i);
        if (other != name && value(other)->getValue() > 0) value(other)->setValue(0, 0);
      }
      if (group == "Page") {
        value("ResetButtons")->setValue(name.back() - '1', 1);
        value("PageName")->setText(wide("Memory " + name.substr(4)).c_str(), 0);
      }
    }
    return kResultOk;
  }

 private:
  ~Controller() override { record("controller released"); }
  IGuiValue* value(const std::string& name) {
    auto found = values_.find(name);
    return found == values_.end() ? nullptr : found->second.get();
  }

  std::map<int32, std::string> names_;
  std::map<std::string, IPtr<IGuiValue>, std::less<>> values_;
};

class Service final : public HostObject<IPluginBase, IActionHandler>,
                      public ICloseWindowNotification {
 public:
  tresult initialize(FUnknown* context) noexcept override {
    context_ = IPtr<FUnknown>::share(context);
    kernel_ = Brennholt::queryInterface<IHostKernel>(context);
    auto registry = getService<IPanelRegistry>(kernel_.get());
    const bool loaded =
        registry && registry->loadSkinPackage(ownModule(), u"QENTExtSetupPanel.srf") == kResultOk;
    record(std::string("skin ") + (loaded ? "loaded" : "not loaded"));
    if (!loaded) return kResultOk;
    if (auto menu = getService<IDevicesMenu>(kernel_.get())) {
      menu->addEntry(ownModule(), u"Devices", u"Stub Setup", 0, u"Stub", u"Open Stub Setup");
      menu->addEntry(ownModule(), u"Devices", u"Stub Broken Setup", 0, u"Stub",
                     u"Open Broken Setup");
    }
    if (auto catalogue = getService<ICommandCatalogue>(kernel_.get()))
      catalogue->addActionHandler(this);
    return kResultOk;
  }
  tresult terminate() noexcept override {
    record("service terminate");
    if (auto catalogue = getService<ICommandCatalogue>(kernel_.get()))
      catalogue->removeActionHandler(this);
    if (auto menu = getService<IDevicesMenu>(kernel_.get())) menu->removeEntries(ownModule());
    kernel_.reset();
    context_.reset();
    return kResultOk;
  }

  tresult onAction(const char16* category, const char16* name, int32 queryOnly) noexcept override {
    if (narrow(category) != "Stub" || queryOnly) return kResultFalse;
    if (window_) {
      window_->bringToFront();
      record("window to front");
      return kResultOk;
    }
    IPtr<IHostClasses> classes = Brennholt::queryInterface<IHostClasses>(context_.get());
    auto registry = getService<IPanelRegistry>(kernel_.get());
    if (!classes || !registry) return kResultFalse;
    auto* controller =
        new (std::nothrow) Controller(classes.get(), narrow(name) == "Open Broken Setup");
    if (controller == nullptr) return kResultFalse;
    registry->openWindow("QENTExtSetupPanel", controller, window_.put());
    controller->release();  // the window holds its own
    if (!window_) return kResultFalse;
    window_->show();
    window_->addCloseNotification(this);
    record("window opened");
    return kResultOk;
  }

  void windowClosed(IHostWindow* window) noexcept override {
    record("window closed");
    window->removeCloseNotification(this);
    window_.reset();
  }

 private:
  IPtr<FUnknown> context_;
  IPtr<IHostKernel> kernel_;
  IPtr<IHostWindow> window_;
};

class Factory final : public HostObject<IPluginFactory> {
 public:
  tresult getFactoryInfo(PFactoryInfo*) noexcept override { return kResultOk; }
  int32 countClasses() noexcept override { return 1; }
  tresult getClassInfo(int32, PClassInfo*) noexcept override { return kResultFalse; }
  tresult createInstance(FIDString cid, FIDString iid, void** object) noexcept override {
    if (object == nullptr) return kInvalidArgument;
    *object = nullptr;
    if (!kServiceClass.matches(cid)) return kNoInterface;
    FUnknown* made = static_cast<IPluginBase*>(new (std::nothrow) Service);
    if (made == nullptr) return kOutOfMemory;
    tresult result = made->queryInterface(iid, object);
    made->release();
    return result;
  }
};

}  // namespace

STUB_EXPORT bool InitDll() { return true; }
STUB_EXPORT bool ExitDll() { return true; }
STUB_EXPORT IPluginFactory* GetPluginFactory() { return new (std::nothrow) Factory; }
STUB_EXPORT const char* stubPanelEvents() { return events.c_str(); }
