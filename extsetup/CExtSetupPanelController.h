// The extension setup's controller: owns the assignment model (CExtSetupInfo) and is the one way
// the keyboard service reaches it: the current memory, its name and labels, running a button's
// command, and memory selections made on the keyboard, which it reports to the monitor. It
// loads the setup window's skin, registers the command that opens the window, opens the window
// with a CExtSetupPanel as its controller and follows it until it closes.
//
// Owned by value by the keyboard service and destroyed with it. The host kernel given to
// initialise is not owned; the model holds a counted reference to it. Host thread only.
#pragma once

#include <vector>

#include "base/String.h"
#include "core/Types.h"
#include "extsetup/CExtSetupInfo.h"
#include "extsetup/CommandAssignment.h"
#include "extsetup/IExtSetupInfoMonitor.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/PanelServices.h"

namespace Brennholt {

class CExtSetupPanel;
class DAWInfo;

class CExtSetupPanelController final : public Hox::ICloseWindowNotification {
 public:
  // `setupKey` ("QENT") becomes the model's setup key; `module` is the module whose resources
  // hold the window's skin (may be null). [host thread]
  CExtSetupPanelController(const char8* setupKey, void* module);
  CExtSetupPanelController(const CExtSetupPanelController&) = delete;
  CExtSetupPanelController& operator=(const CExtSetupPanelController&) = delete;
  // Lets go of an open window and cuts its panel loose from the model, which then writes itself
  // to the settings.
  ~CExtSetupPanelController();

  // Sets up the model with the controller's setup key and the tables given (see
  // CExtSetupInfo::initialise); then has the host's panel registry load the skin package
  // `skinFile` from the module and, with `languageResource`, registers that module resource as
  // the translation table "ExtensionSetup_Language_<setup key>". True only when the model took
  // the tables and the skin (and the table, when given) loaded: only then can the window open.
  // [host thread]
  bool initialise(Hox::IHostKernel* host, const char8* skinFile, const char8* languageResource,
                  int32 memoryCount, int32 buttonCount, const std::vector<String>* buttonNames,
                  const std::vector<String>* factoryMemoryNames,
                  const AssignmentTable* factoryAssignments);
  // Registers (category, command), the command that opens the window: with `menuTitle` as an
  // entry of the host's "Devices" menu (the module given at construction needed), otherwise with
  // the command catalogue. True when the host took it. [host thread]
  bool registerCommand(const char8* category, const char8* command, const char8* menuTitle);
  // Lets go of the panel registry and an open window, and removes what registerCommand
  // registered; true when the host removed it. [host thread]
  bool unregisterCommand();
  // Opens the window of the skin template `templateName` (or brings the open one to the front)
  // with a new panel whose text fields take at most `displayNameLength` (0: no display-text
  // fields) and `memoryNameLength` characters; `monitor` hears the panel's changes and becomes
  // the controller's monitor when it has none. False when no skin loaded or the host opened no
  // window. [host thread]
  bool openPanel(const char8* templateName, uint8 displayNameLength, uint8 memoryNameLength,
                 IExtSetupInfoMonitor* monitor);
  // Whether the setup window is open. [host thread]
  bool isPanelOpen() const { return static_cast<bool>(window_); }
  // Whether the model took its tables in initialise (even when the window's skin did not load).
  // [host thread]
  bool isModelReady() const { return setupInfo_.memoryCount() > 0; }

  // --- ICloseWindowNotification --------------------------------------------------------------

  // The window closed: the panel and the window are forgotten and the model writes itself to
  // the settings. [host thread]
  void windowClosed(Hox::IHostWindow* window) noexcept override;

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
  // The keyboard selected memory `memory`: an open window shows that page; when the memory
  // changed, the monitor hears memoryChanged once. True when it changed. [host thread]
  bool selectMemoryFromKeyboard(int32 memory);

  // The model, for the window and the settings. [host thread]
  CExtSetupInfo& setupInfo() { return setupInfo_; }
  const CExtSetupInfo& setupInfo() const { return setupInfo_; }
  // The module whose resources hold the window's skin; may be null. [host thread]
  void* module() const { return module_; }

 private:
  // Removes the close notification, lets go of the window and cuts the panel loose.
  void forgetWindow();

  String setupKey_;
  void* module_;                      // not owned
  Hox::IHostKernel* host_ = nullptr;  // not owned; the model counts it
  CExtSetupInfo setupInfo_;
  // The open window's panel: the window holds it too, the controller until the window closed.
  IPtr<CExtSetupPanel> panel_;
  IPtr<Hox::IPanelRegistry> registry_;  // from a loaded skin until unregisterCommand
  IPtr<Hox::IHostWindow> window_;
  String commandCategory_;
  String commandName_;
  bool inDevicesMenu_ = false;
  IExtSetupInfoMonitor* monitor_ = nullptr;  // not owned
};

}  // namespace Brennholt
