#include "sim/host/panels/PanelRegistry.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <new>

#include "platform/Platform.h"
#include "sim/host/kit/HostText.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/host/kit/NoThrow.h"

#include "sim/skin/SkinDocument.h"
#include "sim/skin/SkinPackage.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

// The resource type of raw data.
constexpr const char* kRawData = "#10";

HostState* hostOf(const Connection& connection) {
  return connection ? connection->state : nullptr;
}

}  // namespace

tresult PanelRegistry::loadSkinPackage(void* module, const char16* fileName) noexcept {
  HostState* s = hostOf(connection_);
  if (s == nullptr) return kResultFalse;
  if (module == nullptr || fileName == nullptr) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    const std::string name = toUtf8(fileName);
    for (const LoadedSkin& skin : s->run->panels.skins) {
      if (skin.module == module && skin.fileName == name) return kResultOk;
    }
    auto refuse = [&](const std::string& why) {
      s->report.panelProblems.push_back("skin package \"" + name + "\" not loaded: " + why);
      s->note("skin package " + name + " not loaded");
      return kResultFalse;
    };
    const void* data = nullptr;
    uint32 size = 0;
    if (!Platform::findResource(module, kRawData, name.c_str(), &data, &size))
      return refuse("the module has no raw-data resource of that name");
    auto package = std::make_shared<SkinPackage>();
    std::string why;
    if (!package->read(data, size, &why)) return refuse(why);
    auto document = std::make_shared<SkinDocument>();
    if (!document->read(*package, &why)) return refuse(why);
    s->run->panels.skins.push_back({module, name, std::move(document), std::move(package)});
    s->note("skin package " + name + " loaded");
    s->touch();
    return kResultOk;
  });
}

tresult PanelRegistry::openWindow(const char8* templateName, IPlugController* controller,
                                  IHostWindow** window) noexcept {
  if (window == nullptr) return kInvalidArgument;
  *window = nullptr;
  HostState* s = hostOf(connection_);
  if (s == nullptr) return kResultFalse;
  if (templateName == nullptr || controller == nullptr) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    // The latest package that has the template: a module may load a newer skin over an older.
    const std::vector<LoadedSkin>& skins = s->run->panels.skins;
    for (auto skin = skins.rbegin(); skin != skins.rend(); ++skin) {
      const SkinNode* templ = skin->document->findTemplate(templateName);
      if (templ == nullptr) continue;
      auto* made = new (std::nothrow) HostWindow(connection_, skin->document, *templ, controller);
      if (made == nullptr) return kOutOfMemory;
      IPtr<IHostWindow> opened = IPtr<IHostWindow>::adopt(made);
      s->run->panels.windows.push_back(opened);
      s->note(std::string("window ") + templateName + " opened");
      s->touch();
      *window = opened.get();
      opened->addRef();
      return kResultOk;
    }
    return kResultFalse;
  });
}

tresult DevicesMenu::addEntry(void* module, const char16* menu, const char16* title, int32,
                              const char16* category, const char16* command) noexcept {
  HostState* s = hostOf(connection_);
  if (s == nullptr) return kResultFalse;
  if (menu == nullptr || title == nullptr || category == nullptr || command == nullptr)
    return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    MenuEntry entry;
    entry.module = module;
    entry.menu = toUtf8(menu);
    entry.title = toUtf8(title);
    entry.category = toUtf8(category);
    entry.command = toUtf8(command);
    if (entry.menu.empty() || entry.title.empty() || entry.category.empty() ||
        entry.command.empty())
      return kInvalidArgument;
    auto& entries = s->run->panels.menuEntries;
    // One title per menu: the user could not tell two such entries apart.
    if (std::any_of(entries.begin(), entries.end(), [&](const MenuEntry& e) {
          return e.menu == entry.menu && e.title == entry.title;
        }))
      return kResultFalse;
    entry.registeredCommand = s->run->catalogue.registerCommand(entry.category, entry.command);
    entries.push_back(std::move(entry));
    s->note("menu entry " + entries.back().menu + "/" + entries.back().title + " added");
    s->touch();
    return kResultOk;
  });
}

tresult DevicesMenu::removeEntries(void* module) noexcept {
  HostState* s = hostOf(connection_);
  if (s == nullptr) return kResultFalse;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    auto& entries = s->run->panels.menuEntries;
    bool removed = false;
    for (auto entry = entries.begin(); entry != entries.end();) {
      if (entry->module != module) {
        ++entry;
        continue;
      }
      if (entry->registeredCommand)
        s->run->catalogue.unregisterCommand(entry->category, entry->command);
      s->note("menu entry " + entry->menu + "/" + entry->title + " removed");
      entry = entries.erase(entry);
      removed = true;
    }
    s->touch();
    return removed ? kResultOk : kResultFalse;
  });
}

}  // namespace QentSim
