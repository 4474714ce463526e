// The extension setup's controller: owns the assignment model (CExtSetupInfo) and is the one way
// the keyboard service reaches it: the current memory, its name and labels, running a button's
// command, and memory selections made on the keyboard, which it reports to the monitor.
//
// This is the part without the setup window: initialise sets up the model only; the window's
// command, its skin and the window itself are not there yet (registerCommand, openPanel and
// unregisterCommand answer false and do nothing).
//
// Owned by value by the keyboard service and destroyed with it. The host kernel given to
// initialise is not owned and must outlive the controller's use of it. Host thread only.
#pragma once

#include <vector>

#include "base/String.h"
#include "core/Types.h"
#include "extsetup/CExtSetupInfo.h"
#include "extsetup/CommandAssignment.h"
#include "extsetup/IExtSetupInfoMonitor.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

class DAWInfo;

class CExtSetupPanelController {
 public:
  // `setupKey` ("QENT") becomes the model's setup key; `module` is the module whose resources
  // hold the window's skin (may be null). [host thread]
  CExtSetupPanelController(const char8* setupKey, void* module);
  CExtSetupPanelController(const CExtSetupPanelController&) = delete;
  CExtSetupPanelController& operator=(const CExtSetupPanelController&) = delete;
  ~CExtSetupPanelController() = default;

  // Sets up the model with the controller's setup key and the tables given (see
  // CExtSetupInfo::initialise). True when the model took them. The skin file and the language
  // resource are for the window. [host thread]
  bool initialise(Hox::IHostKernel* host, const char8* skinFile, const char8* languageResource,
                  int32 memoryCount, int32 buttonCount, const std::vector<String>* buttonNames,
                  const std::vector<String>* factoryMemoryNames,
                  const AssignmentTable* factoryAssignments);
  // Registers the command that opens the window. Not yet: false. [host thread]
  bool registerCommand(const char8* category, const char8* command, const char8* menuTitle);
  // Removes what registerCommand registered. Not yet: false. [host thread]
  bool unregisterCommand();
  // Opens the setup window. Not yet: false. [host thread]
  bool openPanel(const char8* templateName, uint8 displayNameLength, uint8 memoryNameLength,
                 IExtSetupInfoMonitor* monitor);

  // The listener for memory changes; kept only when none is kept yet. Not owned: it must
  // outlive the controller or never be called after it went away. [host thread]
  void setMonitor(IExtSetupInfoMonitor* monitor);
  // Passed to the model: what setup files carry and which model names they may have.
  // [host thread]
  void setFileIdentity(const char8* modelName, const char8* extensionVersion,
                       const DAWInfo* hostInfo);
  void addAcceptedModelName(const char8* name);
  // Option `index` of the model (0: JogStop); false for an unknown index. [host thread]
  bool option(int32 index, bool& out) const;

  // The current memory and its name; the name is empty when there is none. [host thread]
  int32 currentMemory() const;
  const char8* memoryName() const;
  // The label of button `button` in the current memory; false, `out` untouched, when the
  // model has no such button. An empty label is a label. [host thread]
  bool displayName(int32 button, String& out) const;
  // Runs the current memory's command of button `button` through the host's command
  // catalogue; true when the host ran it. False for an unknown button, a button without a
  // command ("---") or a missing catalogue. [host thread]
  bool runButton(int32 button);
  // The keyboard selected memory `memory`: when it changed, the monitor hears memoryChanged.
  // True when it changed. [host thread]
  bool selectMemoryFromKeyboard(int32 memory);

  // The model, for the window and the settings. [host thread]
  CExtSetupInfo& setupInfo() { return setupInfo_; }
  const CExtSetupInfo& setupInfo() const { return setupInfo_; }
  // The module whose resources hold the window's skin; may be null. [host thread]
  void* module() const { return module_; }

 private:
  String setupKey_;
  void* module_;                      // not owned
  Hox::IHostKernel* host_ = nullptr;  // not owned
  CExtSetupInfo setupInfo_;
  IExtSetupInfoMonitor* monitor_ = nullptr;  // not owned
};

}  // namespace Brennholt
