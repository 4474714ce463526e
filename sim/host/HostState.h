// The running simulated host: set-up, the loaded module and the objects the host handed to it,
// the clock, the transport and what the host recorded. Shared by the host's objects through a
// Connection that the host cuts at shutdown.
//
// Host thread only, except `activity` (atomic) and each link's outbound queue (its own lock).
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sdk/IPluginBase.h"
#include "sdk/host/DeviceDetection.h"
#include "sdk/host/HostServices.h"
#include "sdk/host/RemoteDevice.h"
#include "sim/HostModule.h"
#include "sim/host/services/CommandCatalogue.h"
#include "sim/host/project/DependencyRegistry.h"
#include "sim/host/project/HostLanguage.h"
#include "sim/host/panels/PanelHost.h"
#include "sim/host/project/ProjectDescription.h"
#include "sim/host/project/ProjectModel.h"
#include "sim/host/services/SettingsData.h"
#include "sim/host/SimHost.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

class HostContext;
class MidiPort;
class RemoteDevice;
class HostLink;

// The port name keyboard k (1-based) carries for port number 1 or 2.
std::string keyboardPortName(int keyboard, int portNumber);

struct HostState {

  // ---- set-up ----
  std::string product = "Tessaly Studio";
  std::string version = "7.5.0";
  std::string build = "Build 100";
  std::string language = "en";
  std::string modulePath;
  int keyboardCount = 1;
  struct ExtraPort {
    bool input = true;
    std::string name;
    int keyboard = 0;
  };
  std::vector<ExtraPort> extraPorts;
  std::set<HostService> withdrawn;
  // The settings and what the user will answer; kept across runs, a crash too.
  SettingsData settings;
  struct DialogAnswer {
    DialogKind kind = DialogKind::kCancel;
    std::string path;  // absolute
  };
  std::deque<DialogAnswer> dialogAnswers;
  std::deque<int> alertAnswers;
  UserDialogs* userDialogs = nullptr;    // asked when nothing is queued; not owned
  std::vector<std::string> alertsShown;  // until clearRecords

  // ---- the run ----
  HostModule module;
  bool running = false;
  Connection connection;
  Brennholt::IPtr<HostContext> context;
  Brennholt::IPtr<Brennholt::IPluginBase> service;
  bool serviceAccepted = false;
  // Registered callbacks; not referenced (the module unregisters before they go away).
  std::vector<Brennholt::Hox::IIdleHandler*> idleHandlers;
  std::vector<Brennholt::Hox::IProjectNotification*> projectListeners;

  // ---- the project, the tree and the commands ----
  // What start opens (kept across runs); none: no project at all.
  std::optional<ProjectDescription> setupProject{ProjectDescription{}};
  std::shared_ptr<HostLanguage> hostLanguage = std::make_shared<HostLanguage>();
  std::shared_ptr<DependencyRegistry> registry;  // this run's; kept after stop for its counts
  std::unique_ptr<ProjectModel> model;           // the active project; null when none
  CommandCatalogue catalogue;
  std::vector<std::pair<std::string, std::string>> queried;  // asked with the query-only flag
  std::vector<std::pair<std::string, std::string>> refused;  // not in the catalogue
  bool answered = false;  // an action callback answered since start
  Brennholt::tresult lastAnswer = 0;
  std::string leftBehind;  // what the module held or watched when the last stop ended
  std::vector<Brennholt::IPtr<MidiPort>> ports;  // the port list in the order the module sees it
  std::set<int> unplugged;
  std::vector<Brennholt::IPtr<RemoteDevice>> devices;
  std::vector<std::string> log;
  // Skin packages, open windows and menu entries of this run.
  PanelHost panels;

  // ---- time, transport and records ----
  Brennholt::uint32 clock = 1000;
  std::atomic<std::uint64_t> activity{0};
  std::vector<std::pair<std::string, std::string>> executed;
  std::vector<ParameterValue> parameterValues;
  bool playing = false;
  bool recording = false;
  bool transportChanged = false;  // lamps to feed back to the remotes
  double position = 0;
  std::map<std::string, int> mixerValues;
  std::string lastShownText;

  // ---- keyboard wire ----
  struct KeyboardMessage {
    int keyboard = 0;
    std::vector<Brennholt::uint8> bytes;
  };
  std::deque<KeyboardMessage> fromKeyboards;
  std::map<int, IMidiReceiver*> receivers;

  // Something happened; settling waits until this stands still. [any thread]
  void touch() { ++activity; }
  // Appends a step to the life-cycle log.
  void note(const std::string& line) { log.push_back(line); }
  // False when set-up withdrew the service.
  bool offers(HostService service) const { return withdrawn.count(service) == 0; }

  // Builds the project and opens it: projectOpened and projectActivated to the listeners.
  void openModel(const ProjectDescription& description);
  // Closes the active project: projectClosing, then going-away for whatever is still watched,
  // delivered before the tree goes.
  void closeModel();
  // Delivers the queued dependency notices. Only from the top of the host's stack.
  void deliverDependents();
  // The identity of the active project, null when none.
  Brennholt::FUnknown* activeProject() const;
  // Asks the module's action handlers about (queryOnly) or runs one of its commands, until one
  // answers 0; keeps the answer. False when no handler is registered.
  bool callHandlers(const std::string& category, const std::string& name, bool queryOnly);
  // Runs a host command; `source` is the link whose binding asked for it, null for the user.
  // 1 for a command the catalogue does not know (recorded in `refused`); kOutOfMemory when the
  // records cannot grow. Called from inside module calls too, so it throws nothing.
  Brennholt::tresult executeCommand(const std::string& category, const std::string& name,
                                    HostLink* source) noexcept;
  Brennholt::tresult runCommand(const std::string& category, const std::string& name,
                                HostLink* source);
  // Transport values "start", "stop", "record" as a press sets them.
  void pressTransport(const std::string& value);
  // A value reached a host-function parameter; the jog wheel also moves the position.
  void parameterValue(const std::string& function, const std::string& parameter, int value);
  // Makes `name` the mode page of `link`, or of every device when link is null.
  void switchPage(const std::string& name, HostLink* link);

  // Creates a remote device through the factory for the registry. Empty on failure.
  Brennholt::IPtr<RemoteDevice> createDevice(const Brennholt::TUID classId,
                                             Brennholt::int32 pairIndex, bool activate);
  // Deactivates, detaches, terminates and releases the device's remote.
  void shutDownDevice(RemoteDevice& device, const std::string& label);
  // Hands what the device's remote sent outside an idle round to its keyboard.
  void deliverOutbound(RemoteDevice& device);
  // Brings the port list in line with the set-up, keeping the objects of ports that stay.
  void rebuildPorts();
  // The host's own port behind `port`; null when it is none of this host's.
  MidiPort* findPort(const Brennholt::Hox::IMidiPort* port) const;
  // Page reports and transport lamps owed to the remotes, sent from the top of the host's stack.
  void flushNotifications();
  // Hands what the keyboards sent, in the order sent, to the devices on their input ports.
  void deliverFromKeyboards();
  // Hands what each device queued for its output port to the keyboard on that port.
  void deliverToKeyboards();
  // The device's 1-based number in creation order; 0 when it is not in the list.
  int deviceNumber(const RemoteDevice& device) const;
};

}  // namespace QentSim
