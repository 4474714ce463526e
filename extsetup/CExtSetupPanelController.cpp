#include "extsetup/CExtSetupPanelController.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/StringConversion.h"
#include "extsetup/CExtSetupPanel.h"
#include "sdk/host/CommandServices.h"

namespace Brennholt {

namespace {

// What the window writes for a button without a category or command.
constexpr const char8* kNoCommand = "---";

bool isCommandText(const String& text) {
  const char8* chars = text.text8();
  return chars && chars[0] != '\0' && std::strcmp(chars, kNoCommand) != 0;
}

}  // namespace

CExtSetupPanelController::CExtSetupPanelController(const char8* setupKey, void* module)
    : setupKey_(setupKey), module_(module) {}

CExtSetupPanelController::~CExtSetupPanelController() { forgetWindow(); }

bool CExtSetupPanelController::initialise(Hox::IHostKernel* host, const char8* skinFile,
                                          const char8* languageResource, int32 memoryCount,
                                          int32 buttonCount, const std::vector<String>* buttonNames,
                                          const std::vector<String>* factoryMemoryNames,
                                          const AssignmentTable* factoryAssignments) {
  if (!setupInfo_.initialise(host, setupKey_.text8(), memoryCount, buttonCount, buttonNames,
                             factoryMemoryNames, factoryAssignments)) {
    return false;
  }
  host_ = host;
  if (!module_ || !skinFile) return false;
  IPtr<Hox::IPanelRegistry> registry = Hox::getService<Hox::IPanelRegistry>(host);
  if (!registry) return false;
  const String fileName(skinFile);
  if (registry->loadSkinPackage(module_, fileName.text16()) != kResultOk) return false;
  registry_ = registry;
  if (!languageResource) return true;
  auto translator = Hox::getService<Hox::ITranslator>(host);
  if (!translator) return false;
  char8 tableName[256] = {};
  std::snprintf(tableName, sizeof(tableName), "ExtensionSetup_Language_%s", setupKey_.text8());
  const String resource(languageResource);
  const String table(tableName);
  return translator->registerTable(module_, resource.text16(), table.text16()) == kResultOk;
}

bool CExtSetupPanelController::registerCommand(const char8* category, const char8* command,
                                               const char8* menuTitle) {
  if (!category || !command) return false;
  bool registered = false;
  bool inMenu = false;
  if (menuTitle) {
    auto menu = Hox::getService<Hox::IDevicesMenu>(host_);
    // The host may keep the menu's texts: they stay valid until the module unloads.
    registered = module_ && menu &&
                 menu->addEntry(module_, stableText16("Devices"), stableText16(menuTitle), 0,
                                stableText16(category), stableText16(command)) == kResultOk;
    inMenu = true;
  } else if (auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_)) {
    const String category16(category);
    const String command16(command);
    registered = catalogue->registerCommand(category16.text16(), command16.text16()) == kResultOk;
  }
  if (!registered) return false;
  commandCategory_.assign(category);
  commandName_.assign(command);
  inDevicesMenu_ = inMenu;
  return true;
}

bool CExtSetupPanelController::unregisterCommand() {
  registry_.reset();
  forgetWindow();
  if (commandCategory_.isEmpty() || commandName_.isEmpty()) return false;
  bool removed = false;
  if (inDevicesMenu_) {
    auto menu = Hox::getService<Hox::IDevicesMenu>(host_);
    removed = module_ && menu && menu->removeEntries(module_) == kResultOk;
  } else if (auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_)) {
    const String category16(commandCategory_.text8());
    const String command16(commandName_.text8());
    removed = catalogue->unregisterCommand(category16.text16(), command16.text16()) == kResultOk;
  }
  commandCategory_ = String();
  commandName_ = String();
  inDevicesMenu_ = false;
  return removed;
}

bool CExtSetupPanelController::openPanel(const char8* templateName, uint8 displayNameLength,
                                         uint8 memoryNameLength, IExtSetupInfoMonitor* monitor) {
  if (window_) {
    window_->bringToFront();
    return true;
  }
  if (!registry_ || setupKey_.isEmpty() || !templateName) return false;
  IPtr<CExtSetupPanel> panel = IPtr<CExtSetupPanel>::adopt(
      CExtSetupPanel::create(host_, &setupInfo_, displayNameLength, memoryNameLength, monitor));
  if (!panel) return false;
  IPtr<Hox::IHostWindow> window;
  if (registry_->openWindow(templateName, panel.get(), window.put()) != kResultOk || !window) {
    panel->detach();
    return false;
  }
  panel_ = panel;
  window_ = window;
  window_->show();
  window_->addCloseNotification(this);
  if (!monitor_) monitor_ = monitor;
  return true;
}

void CExtSetupPanelController::windowClosed(Hox::IHostWindow* /*window*/) noexcept {
  forgetWindow();
  // A host that ends without destroying the model keeps what was edited in the window.
  setupInfo_.writeSettings();
}

void CExtSetupPanelController::forgetWindow() {
  if (panel_) {
    panel_->detach();
    panel_.reset();
  }
  if (window_) {
    IPtr<Hox::IHostWindow> window = window_;
    window_.reset();
    window->removeCloseNotification(this);
  }
}

void CExtSetupPanelController::setMonitor(IExtSetupInfoMonitor* monitor) {
  if (!monitor_) monitor_ = monitor;
}

void CExtSetupPanelController::setFileIdentity(const char8* modelName,
                                               const char8* extensionVersion,
                                               const DAWInfo* hostInfo) {
  setupInfo_.setFileIdentity(modelName, extensionVersion, hostInfo);
}

void CExtSetupPanelController::addAcceptedModelName(const char8* name) {
  setupInfo_.addAcceptedModelName(name);
}

bool CExtSetupPanelController::option(int32 index, bool& out) const {
  return setupInfo_.option(index, out);
}

int32 CExtSetupPanelController::currentMemory() const { return setupInfo_.currentMemory(); }

const char8* CExtSetupPanelController::memoryName() const { return setupInfo_.memoryName(); }

bool CExtSetupPanelController::displayName(int32 button, String& out) const {
  CommandAssignment assignment;
  if (!setupInfo_.assignment(button, assignment)) return false;
  return out.assign(assignment.display.text8());
}

bool CExtSetupPanelController::runButton(int32 button) {
  CommandAssignment assignment;
  if (!setupInfo_.assignment(button, assignment)) return false;
  if (!isCommandText(assignment.category) || !isCommandText(assignment.action)) return false;
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_);
  if (!catalogue) return false;
  try {
    const std::u16string category = toText16(assignment.category.text8());
    const std::u16string action = toText16(assignment.action.text8());
    return catalogue->executeCommand(category.c_str(), action.c_str()) == kResultOk;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CExtSetupPanelController::selectMemoryFromKeyboard(int32 memory) {
  const int32 before = setupInfo_.currentMemory();
  if (panel_) {
    // The window follows, quietly: the monitor hears it once, below.
    panel_->selectPage(memory, false);
  } else {
    setupInfo_.selectMemory(memory);
  }
  if (setupInfo_.currentMemory() == before) return false;
  if (monitor_) monitor_->memoryChanged(setupInfo_.currentMemory());
  return true;
}

}  // namespace Brennholt
