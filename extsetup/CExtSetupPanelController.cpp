#include "extsetup/CExtSetupPanelController.h"

#include <cstring>
#include <new>
#include <string>

#include "base/StringConversion.h"
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

bool CExtSetupPanelController::initialise(Hox::IHostKernel* host, const char8* /*skinFile*/,
                                          const char8* /*languageResource*/, int32 memoryCount,
                                          int32 buttonCount, const std::vector<String>* buttonNames,
                                          const std::vector<String>* factoryMemoryNames,
                                          const AssignmentTable* factoryAssignments) {
  if (!setupInfo_.initialise(host, setupKey_.text8(), memoryCount, buttonCount, buttonNames,
                             factoryMemoryNames, factoryAssignments)) {
    return false;
  }
  host_ = host;
  return true;
}

bool CExtSetupPanelController::registerCommand(const char8* /*category*/, const char8* /*command*/,
                                               const char8* /*menuTitle*/) {
  return false;
}

bool CExtSetupPanelController::unregisterCommand() { return false; }

bool CExtSetupPanelController::openPanel(const char8* /*templateName*/, uint8 /*displayNameLength*/,
                                         uint8 /*memoryNameLength*/,
                                         IExtSetupInfoMonitor* /*monitor*/) {
  return false;
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
  if (!setupInfo_.selectMemory(memory)) return false;
  if (monitor_) monitor_->memoryChanged(memory);
  return true;
}

}  // namespace Brennholt
