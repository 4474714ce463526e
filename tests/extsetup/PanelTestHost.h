// A compact host for the setup window: GUI values that call their owner back as the host's do,
// a panel registry with windows, the "Devices" menu, a command catalogue and category list, a
// translator, an alert box, a settings store, and an open selector whose XML reader replays a
// scripted file. Drives the panel only through IPlugController and IGuiValue, as the host's skin
// engine would.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/StringConversion.h"
#include "base/TRefCounted.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/PanelServices.h"
#include "sdk/host/SetupServices.h"

namespace panelhost {

using namespace Brennholt;
using namespace Brennholt::Hox;

inline std::u16string u16(const std::string& text) { return toText16(text.c_str()); }
inline std::string u8(const char16* text) { return toText8(text); }

// A service living as long as the host; counts the references the module holds.
template <class I>
class Fixed : public I {
 public:
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (FUnknown::iid.matches(iid) || I::iid.matches(iid)) {
      ++refs;
      *object = static_cast<I*>(this);
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++refs); }
  uint32 release() noexcept override { return static_cast<uint32>(--refs); }
  int refs = 0;
};

enum class Kind { kBool, kInt, kString, kList };

// One GUI value. `live` counts the values not yet destroyed.
class Value final : public TRefCounted<IGuiValue, IListValue, IValueAttributes> {
 public:
  Value(Kind kind, int* live) : kind_(kind), live_(live) {
    ++*live_;
    if (kind == Kind::kBool) maximum_ = 1;
    if (kind == Kind::kList) value_ = -1;
  }
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IGuiValue::iid.matches(iid)) {
      *object = static_cast<IGuiValue*>(this);
    } else if (IValueAttributes::iid.matches(iid)) {
      *object = static_cast<IValueAttributes*>(this);
    } else if (IListValue::iid.matches(iid) && kind_ == Kind::kList) {
      *object = static_cast<IListValue*>(this);
    }
    if (!*object) return kNoInterface;
    addRef();
    return kResultOk;
  }
  tresult setOwner(IPlugController* owner, int32 tag) noexcept override {
    owner_ = owner;
    tag_ = tag;
    return kResultOk;
  }
  int32 getTag() noexcept override { return tag_; }
  int32 getValue() noexcept override { return value_; }
  tresult setValue(int32 value, int32 notify) noexcept override {
    const int32 low = kind_ == Kind::kList ? -1 : minimum_;
    const int32 high = kind_ == Kind::kList ? static_cast<int32>(entries_.size()) - 1 : maximum_;
    value_ = value < low ? low : value > high ? high : value;
    if (notify && owner_) owner_->valueChanged(this, tag_);
    return kResultOk;
  }
  tresult getText(char16* text, int32 capacity) noexcept override {
    const std::u16string shown = this->text();
    int32 n = 0;
    for (; n + 1 < capacity && n < static_cast<int32>(shown.size()); ++n) text[n] = shown[n];
    if (capacity > 0) text[n] = 0;
    return kResultOk;
  }
  tresult setText(const char16* text, int32 notify) noexcept override {
    if (kind_ == Kind::kString) {
      text_ = text;
    } else {
      value_ = std::atoi(u8(text).c_str());
    }
    if (notify && owner_) owner_->valueChanged(this, tag_);
    return kResultOk;
  }
  tresult setRange(int32 minimum, int32 maximum) noexcept override {
    minimum_ = minimum;
    maximum_ = maximum;
    return kResultOk;
  }
  tresult setDefault(int32) noexcept override { return kResultOk; }
  tresult clear() noexcept override {
    entries_.clear();
    value_ = -1;
    return kResultOk;
  }
  tresult append(const char16* entry) noexcept override {
    entries_.emplace_back(entry);
    return kResultOk;
  }
  int32 count() noexcept override { return static_cast<int32>(entries_.size()); }
  int32 getAttributes() noexcept override { return attributes_; }
  tresult setAttributes(int32 flags) noexcept override {
    attributes_ = flags;
    return kResultOk;
  }

  std::u16string text() const {
    if (kind_ == Kind::kString) return text_;
    if (kind_ == Kind::kList) {
      return value_ >= 0 && value_ < static_cast<int32>(entries_.size()) ? entries_[value_] : u"";
    }
    return u16(std::to_string(value_));
  }
  Kind kind() const { return kind_; }
  const std::vector<std::u16string>& entries() const { return entries_; }
  IPlugController* owner() const { return owner_; }

 private:
  ~Value() override { --*live_; }

  Kind kind_;
  int* live_;
  IPlugController* owner_ = nullptr;
  int32 tag_ = 0;
  int32 value_ = 0;
  int32 minimum_ = 0;
  int32 maximum_ = 0;
  std::u16string text_;
  std::vector<std::u16string> entries_;
  int32 attributes_ = 7;  // the panel must set them to 0
};

class Window final : public TRefCounted<IHostWindow> {
 public:
  explicit Window(IPlugController* controller)
      : controller(IPtr<IPlugController>::share(controller)) {}
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (FUnknown::iid.matches(iid) || IHostWindow::iid.matches(iid)) {
      addRef();
      *object = static_cast<IHostWindow*>(this);
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  tresult bringToFront() noexcept override {
    ++fronts;
    return kResultOk;
  }
  tresult show() noexcept override {
    shown = true;
    return kResultOk;
  }
  tresult addCloseNotification(ICloseWindowNotification* listener) noexcept override {
    listeners.push_back(listener);
    return kResultOk;
  }
  tresult removeCloseNotification(ICloseWindowNotification* listener) noexcept override {
    std::erase(listeners, listener);
    return kResultOk;
  }
  // The user closes the window: listeners hear it, then the window lets go of the controller.
  void close() {
    const auto told = listeners;
    for (ICloseWindowNotification* listener : told) listener->windowClosed(this);
    controller.reset();
  }

  IPtr<IPlugController> controller;
  std::vector<ICloseWindowNotification*> listeners;
  bool shown = false;
  int fronts = 0;

 private:
  ~Window() override = default;
};

struct Category {
  std::string name;
  std::vector<std::string> commands;
};

class Catalogue final : public Fixed<ICommandCatalogue> {
 public:
  std::vector<Category> categories;
  std::vector<std::pair<std::string, std::string>> registered;

  int32 categoryIndex(const char16* category) noexcept override {
    for (size_t i = 0; i < categories.size(); ++i) {
      if (categories[i].name == u8(category)) return static_cast<int32>(i);
    }
    return -1;
  }
  tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept override {
    if (index < 0 || index >= static_cast<int32>(categories.size())) return kResultFalse;
    return write(categories[index].name, name, capacity);
  }
  int32 commandCount(int32 category) noexcept override {
    return valid(category) ? static_cast<int32>(categories[category].commands.size()) : 0;
  }
  int32 commandIndex(int32 category, const char16* command) noexcept override {
    if (!valid(category)) return -1;
    const auto& commands = categories[category].commands;
    for (size_t i = 0; i < commands.size(); ++i) {
      if (commands[i] == u8(command)) return static_cast<int32>(i);
    }
    return -1;
  }
  tresult getCommandName(int32 category, int32 index, char16* name,
                         int32 capacity) noexcept override {
    if (!valid(category) || index < 0 ||
        index >= static_cast<int32>(categories[category].commands.size())) {
      if (capacity > 0) name[0] = 0;
      return kResultFalse;
    }
    return write(categories[category].commands[index], name, capacity);
  }
  tresult executeCommand(const char16*, const char16*) noexcept override { return kResultOk; }
  tresult registerCommand(const char16* category, const char16* command) noexcept override {
    registered.emplace_back(u8(category), u8(command));
    return kResultOk;
  }
  tresult unregisterCommand(const char16* category, const char16* command) noexcept override {
    std::erase(registered, std::make_pair(u8(category), u8(command)));
    return kResultOk;
  }
  tresult addActionHandler(IActionHandler*) noexcept override { return kResultOk; }
  tresult removeActionHandler(IActionHandler*) noexcept override { return kResultOk; }

  static tresult write(const std::string& text, char16* out, int32 capacity) {
    const std::u16string wide = u16(text);
    int32 n = 0;
    for (; n + 1 < capacity && n < static_cast<int32>(wide.size()); ++n) out[n] = wide[n];
    if (capacity > 0) out[n] = 0;
    return kResultOk;
  }

 private:
  bool valid(int32 category) const {
    return category >= 0 && category < static_cast<int32>(categories.size());
  }
};

class CategoryList final : public Fixed<ICommandCategoryList> {
 public:
  explicit CategoryList(const Catalogue& catalogue) : catalogue_(catalogue) {}
  int32 categoryCount() noexcept override {
    return static_cast<int32>(catalogue_.categories.size());
  }
  tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept override {
    if (index < 0 || index >= categoryCount()) return kResultFalse;
    return Catalogue::write(catalogue_.categories[index].name, name, capacity);
  }

 private:
  const Catalogue& catalogue_;
};

// Translates the texts it knows into upper case, so a shown text proves it was translated.
class Translator final : public Fixed<ITranslator> {
 public:
  std::vector<std::string> known = {
      "This will reset the command assignment to the factory default.", "Reset", "Cancel",
      "Failed to load.", "OK"};
  std::vector<std::pair<std::string, std::string>> tables;

  static std::string translated(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
  tresult translate(const char16* english, char16* text, int32 capacity) noexcept override {
    for (const std::string& k : known) {
      if (k == u8(english)) return Catalogue::write(translated(k), text, capacity);
    }
    if (capacity > 0) text[0] = 0;
    return kResultFalse;
  }
  tresult registerTable(void*, const char16* resource, const char16* name) noexcept override {
    tables.emplace_back(u8(resource), u8(name));
    return kResultOk;
  }
  tresult getLanguage(char16* code, int32 capacity) noexcept override {
    return Catalogue::write("en", code, capacity);
  }
};

class AlertBox final : public Fixed<IAlertBox> {
 public:
  std::deque<int32> answers;                    // without one: the last button
  std::vector<std::vector<std::string>> shown;  // message and buttons
  tresult show(const char16* message, const char16* first, const char16* second,
               const char16* third, int32* pressed) noexcept override {
    std::vector<std::string> alert = {u8(message), u8(first)};
    if (second) alert.push_back(u8(second));
    if (third) alert.push_back(u8(third));
    shown.push_back(alert);
    *pressed = static_cast<int32>(alert.size()) - 1;
    if (!answers.empty()) {
      *pressed = answers.front();
      answers.pop_front();
    }
    return kResultOk;
  }
};

class Settings final : public Fixed<ISettingsStore> {
 public:
  std::map<std::pair<std::string, std::string>, std::variant<int32, std::string>> values;
  tresult getInteger(const char8* section, const char8* key, int32* value) noexcept override {
    auto found = values.find({section, key});
    if (found == values.end() || !std::holds_alternative<int32>(found->second)) return kResultFalse;
    *value = std::get<int32>(found->second);
    return kResultOk;
  }
  tresult setInteger(const char8* section, const char8* key, int32 value) noexcept override {
    values[{section, key}] = value;
    return kResultOk;
  }
  tresult getString(const char8* section, const char8* key, char8* text, int32 capacity,
                    int32* length) noexcept override {
    auto found = values.find({section, key});
    if (found == values.end() || !std::holds_alternative<std::string>(found->second)) {
      return kResultFalse;
    }
    const std::string& stored = std::get<std::string>(found->second);
    *length = static_cast<int32>(stored.size());
    for (int32 i = 0; i < capacity && i < *length; ++i) text[i] = stored[i];
    return kResultOk;
  }
  tresult setString(const char8* section, const char8* key, const char8* text,
                    int32 length) noexcept override {
    values[{section, key}] = std::string(text, static_cast<size_t>(length));
    return kResultOk;
  }
  std::string text(const std::string& key) const {
    auto found = values.find({"ExtensionSetupData_QENT", key});
    return found == values.end() ? "<none>" : std::get<std::string>(found->second);
  }
};

// One element of a scripted setup file: a start with attributes, or an end (no attributes and
// `end` set).
struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  bool end = false;
};

// The open selector always answers with one file; its reader replays `file`.
class FileReader final : public Fixed<IOpenFileSelector> {
 public:
  std::vector<Element> file;
  int opened = 0;

  tresult run(const char16*, const FileType*, int32, FUnknown** list) noexcept override {
    ++opened;
    token_.queryInterface(FUnknown::iid.bytes(), reinterpret_cast<void**>(list));
    return kResultOk;
  }
  int32 entryCount(FUnknown*) noexcept override { return 1; }
  tresult getEntry(FUnknown*, int32, FUnknown** entry) noexcept override {
    return token_.queryInterface(FUnknown::iid.bytes(), reinterpret_cast<void**>(entry));
  }
  tresult getPath(FUnknown*, int32, SelectedPath* path) noexcept override {
    path->text = path_;
    path->length = 1;
    return kResultOk;
  }
  tresult freePath(SelectedPath* path) noexcept override {
    path->text = nullptr;
    return kResultOk;
  }

  class Reader final : public Fixed<IXmlReader> {
   public:
    explicit Reader(FileReader& owner) : owner_(owner) {}
    tresult parse(const char16*, IXmlParserDef* callback) noexcept override {
      for (const Element& e : owner_.file) {
        if (e.end) {
          if (!callback->endElement(nullptr, e.name.c_str())) return kResultFalse;
          continue;
        }
        std::vector<const char*> names;
        std::vector<const char*> values;
        for (const auto& [n, v] : e.attributes) {
          names.push_back(n.c_str());
          values.push_back(v.c_str());
        }
        if (!callback->startElement(nullptr, e.name.c_str(), static_cast<int32>(names.size()),
                                    names.data(), values.data())) {
          return kResultFalse;
        }
      }
      return kResultOk;
    }
    tresult detach() noexcept override { return kResultOk; }

   private:
    FileReader& owner_;
  };
  Reader reader{*this};

 private:
  // The selector's result list and entry: anything counted will do.
  class Token final : public Fixed<IAlertBox> {
    tresult show(const char16*, const char16*, const char16*, const char16*,
                 int32*) noexcept override {
      return kResultFalse;
    }
  } token_;
  char16 path_[2] = {u'x', 0};
};

class Registry final : public Fixed<IPanelRegistry> {
 public:
  std::vector<std::pair<void*, std::string>> loaded;
  IPtr<Window> window;  // the last window opened
  int* live = nullptr;

  tresult loadSkinPackage(void* module, const char16* fileName) noexcept override {
    loaded.emplace_back(module, u8(fileName));
    return kResultOk;
  }
  tresult openWindow(const char8* templateName, IPlugController* controller,
                     IHostWindow** made) noexcept override {
    *made = nullptr;
    if (std::string(templateName) != "QENTExtSetupPanel") return kResultFalse;
    window = IPtr<Window>::adopt(new Window(controller));
    window->addRef();
    *made = window.get();
    return kResultOk;
  }
};

class DevicesMenu final : public Fixed<IDevicesMenu> {
 public:
  std::vector<std::vector<std::string>> entries;  // menu, title, category, command
  std::vector<void*> modules;
  tresult addEntry(void* module, const char16* menu, const char16* title, int32 flags,
                   const char16* category, const char16* command) noexcept override {
    if (flags != 0) return kResultFalse;
    modules.push_back(module);
    entries.push_back({u8(menu), u8(title), u8(category), u8(command)});
    return kResultOk;
  }
  tresult removeEntries(void* module) noexcept override {
    std::erase(modules, module);
    entries.clear();
    return kResultOk;
  }
};

// The kernel: hands out the services it offers and makes values, the alert box, the settings
// store, the open selector and the XML reader.
class Host final : public IHostKernel, public IHostClasses {
 public:
  Catalogue catalogue;
  CategoryList categoryList{catalogue};
  Translator translator;
  AlertBox alerts;
  Settings settings;
  FileReader files;
  Registry registry;
  DevicesMenu menu;
  bool offersRegistry = true;
  bool offersCatalogue = true;
  int liveValues = 0;
  int refs = 0;
  std::vector<Value*> made;  // every value in the order made; not owned

  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (FUnknown::iid.matches(iid) || IHostKernel::iid.matches(iid)) {
      *object = static_cast<IHostKernel*>(this);
    } else if (IHostClasses::iid.matches(iid)) {
      *object = static_cast<IHostClasses*>(this);
    }
    if (!*object) return kNoInterface;
    ++refs;
    return kResultOk;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++refs); }
  uint32 release() noexcept override { return static_cast<uint32>(--refs); }

  tresult getService(const TUID iid, void** service) noexcept override {
    *service = nullptr;
    if (offersCatalogue) {
      if (catalogue.queryInterface(iid, service) == kResultOk) return kResultOk;
      if (categoryList.queryInterface(iid, service) == kResultOk) return kResultOk;
    }
    if (translator.queryInterface(iid, service) == kResultOk) return kResultOk;
    if (menu.queryInterface(iid, service) == kResultOk) return kResultOk;
    if (offersRegistry && registry.queryInterface(iid, service) == kResultOk) return kResultOk;
    return kNoInterface;
  }
  tresult createInstance(const TUID classId, const TUID iid, void** object) noexcept override {
    *object = nullptr;
    const std::pair<const FUID*, Kind> kinds[] = {{&kBoolValueClass, Kind::kBool},
                                                  {&kIntValueClass, Kind::kInt},
                                                  {&kStringValueClass, Kind::kString},
                                                  {&kListValueClass, Kind::kList}};
    for (const auto& [id, kind] : kinds) {
      if (id->matches(classId)) {
        if (!IGuiValue::iid.matches(iid)) return kNoInterface;
        auto* value = new Value(kind, &liveValues);
        made.push_back(value);
        *object = static_cast<IGuiValue*>(value);
        return kResultOk;
      }
    }
    if (IAlertBox::iid.matches(classId)) return alerts.queryInterface(iid, object);
    if (ISettingsStore::iid.matches(classId)) return settings.queryInterface(iid, object);
    if (IOpenFileSelector::iid.matches(classId)) return files.queryInterface(iid, object);
    if (IXmlReader::iid.matches(classId)) return files.reader.queryInterface(iid, object);
    return kNoInterface;
  }

  // --- the user, through the open window -----------------------------------------------------

  Value* get(const std::string& name) {
    IGuiValue* value = nullptr;
    if (!registry.window || !registry.window->controller) return nullptr;
    registry.window->controller->getValueByName(name.c_str(), &value);
    return static_cast<Value*>(value);
  }
  Value& at(const std::string& name) {
    Value* value = get(name);
    if (!value) {
      ADD_FAILURE() << "no value " << name;
      static int none = 0;
      static Value* missing = new Value(Kind::kInt, &none);
      return *missing;
    }
    return *value;
  }
  // An "on" switch or tab goes on; a push switch goes on and off again.
  void press(const std::string& name) { at(name).setValue(1, 1); }
  void push(const std::string& name) {
    at(name).setValue(1, 1);
    at(name).setValue(0, 1);
  }
  void choose(const std::string& name, const std::string& entry) {
    Value& menu = at(name);
    const auto& entries = menu.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i] == u16(entry)) {
        menu.setValue(static_cast<int32>(i), 1);
        return;
      }
    }
    ADD_FAILURE() << name << " has no entry " << entry;
  }
  void type(const std::string& name, const std::u16string& text) {
    at(name).setText(text.c_str(), 1);
  }
  std::string shown(const std::string& name) { return u8(at(name).text().c_str()); }
  int32 number(const std::string& name) { return at(name).getValue(); }
};

}  // namespace panelhost
