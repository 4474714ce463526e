// The simulated host's state by lifetime: its set-up (kept across runs), one run's objects
// (built at start, destroyed when the run ends), what a run shows the checks after it ended,
// and the records the checks read until cleared. Shared by the host's objects through a
// Connection that the run cuts when it is destroyed.
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

// What the set-up commands configure: kept across runs, a crash too.
struct HostSetup {
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
  // The settings and what the user will answer.
  SettingsData settings;
  struct DialogAnswer {
    DialogKind kind = DialogKind::kCancel;
    std::string path;  // absolute
  };
  std::deque<DialogAnswer> dialogAnswers;
  std::deque<int> alertAnswers;
  UserDialogs* userDialogs = nullptr;  // asked when nothing is queued; not owned
  // What start opens; none: no project at all.
  std::optional<ProjectDescription> project{ProjectDescription{}};
  std::shared_ptr<HostLanguage> hostLanguage = std::make_shared<HostLanguage>();
};

// The run's end of the Connection: whatever the module still holds answers as missing once
// the run that made it is destroyed.
class RunConnection {
 public:
  explicit RunConnection(HostState& state)
      : shared_(std::make_shared<HostConnection>(HostConnection{&state})) {}
  ~RunConnection() { shared_->state = nullptr; }
  RunConnection(const RunConnection&) = delete;
  RunConnection& operator=(const RunConnection&) = delete;
  const Connection& shared() const { return shared_; }

 private:
  Connection shared_;
};

// One run's objects: built at start, destroyed when the run ends (stop, kill, a failed start).
// Members go in reverse order of declaration, which is the order a run lets go of them: what
// the module registered, the catalogue and the skins, then the connection is cut, then the
// context and the ports go and last the module is unloaded. Stop first ends the module's
// objects in order (windows, remotes, project, service); kill takes them away unreleased.
// While a run is destroyed the state already has none: what goes before the cut must not call
// back into the host (none of it does: the module's objects are gone by then).
struct HostRun {
  explicit HostRun(HostState& state);
  ~HostRun();
  HostRun(const HostRun&) = delete;
  HostRun& operator=(const HostRun&) = delete;

  // Unloads at destruction unless abandoned (a crash); nothing is loaded before load().
  HostModule module;
  std::set<int> unplugged;
  std::vector<Brennholt::IPtr<MidiPort>> ports;  // the port list in the order the module sees it
  Brennholt::IPtr<HostContext> context;
  RunConnection connection;
  // Skin packages, open windows and menu entries.
  PanelHost panels;
  CommandCatalogue catalogue;
  // Registered callbacks; not referenced (the module unregisters before they go away).
  std::vector<Brennholt::Hox::IProjectNotification*> projectListeners;
  std::vector<Brennholt::Hox::IIdleHandler*> idleHandlers;
  Brennholt::IPtr<Brennholt::IPluginBase> service;
  bool serviceAccepted = false;
  std::vector<Brennholt::IPtr<RemoteDevice>> devices;
  std::unique_ptr<ProjectModel> model;  // the active project; null when none
};

// What the checks read of the module's commands and values; until clearRecords.
struct CheckRecords {
  std::vector<std::pair<std::string, std::string>> executed;
  std::vector<std::pair<std::string, std::string>> queried;  // asked with the query-only flag
  std::vector<std::pair<std::string, std::string>> refused;  // not in the catalogue
  std::vector<ParameterValue> parameterValues;
  std::vector<std::string> alertsShown;
};

// What the current run shows and still shows once it stopped; the next start begins afresh (a
// failed one does not). A kill drops the skin engine's findings with the crashed run.
struct RunReport {
  std::shared_ptr<DependencyRegistry> registry;  // for its counts after the run
  std::string leftBehind;  // what the module held or watched when the run stopped
  bool answered = false;   // an action callback answered
  Brennholt::tresult lastAnswer = 0;
  bool playing = false;
  bool recording = false;
  bool transportChanged = false;  // lamps to feed back to the remotes
  double position = 0;
  std::vector<std::string> panelProblems;  // what the skin engine found wrong
};

struct HostState {
  HostSetup setup;
  std::optional<HostRun> run;  // none between runs
  RunReport report;
  CheckRecords records;

  // ---- the host itself, across runs ----
  Brennholt::uint32 clock = 1000;
  std::atomic<std::uint64_t> activity{0};
  std::vector<std::string> log;
  std::map<std::string, int> mixerValues;
  std::string lastShownText;
  // The keyboard wire: what the keyboards sent, waiting for a round (dropped when a run ends),
  // and who receives what the host sends to each keyboard.
  struct KeyboardMessage {
    int keyboard = 0;
    std::vector<Brennholt::uint8> bytes;
  };
  std::deque<KeyboardMessage> fromKeyboards;
  std::map<int, IMidiReceiver*> receivers;

  bool running() const { return run.has_value(); }
  // Something happened; settling waits until this stands still. [any thread]
  void touch() { ++activity; }
  // Appends a step to the life-cycle log.
  void note(const std::string& line) { log.push_back(line); }
  // False when set-up withdrew the service.
  bool offers(HostService service) const { return setup.withdrawn.count(service) == 0; }

  // Builds the project and opens it: projectOpened and projectActivated to the listeners. Needs
  // a run.
  void openModel(const ProjectDescription& description);
  // Closes the active project, if any: projectClosing, then going-away for whatever is still
  // watched, delivered before the tree goes.
  void closeModel();
  // Delivers the queued dependency notices (of the last run's registry between runs). Only from
  // the top of the host's stack.
  void deliverDependents();
  // The identity of the active project, null when none.
  Brennholt::FUnknown* activeProject() const;
  // Asks the module's action handlers about (queryOnly) or runs one of its commands, until one
  // answers 0; keeps the answer. False when no handler is registered. Needs a run.
  bool callHandlers(const std::string& category, const std::string& name, bool queryOnly);
  // Runs a host command; `source` is the link whose binding asked for it, null for the user.
  // 1 for a command the catalogue does not know (recorded in `refused`); kOutOfMemory when the
  // records cannot grow. Called from inside module calls too, so it throws nothing. Needs a run.
  Brennholt::tresult executeCommand(const std::string& category, const std::string& name,
                                    HostLink* source) noexcept;
  Brennholt::tresult runCommand(const std::string& category, const std::string& name,
                                HostLink* source);
  // Transport values "start", "stop", "record" as a press sets them.
  void pressTransport(const std::string& value);
  // A value reached a host-function parameter; the jog wheel also moves the position.
  void parameterValue(const std::string& function, const std::string& parameter, int value);
  // Makes `name` the mode page of `link`, or of every device when link is null. Needs a run.
  void switchPage(const std::string& name, HostLink* link);

  // Destroys the run (its objects go in the order HostRun gives); what the keyboards sent for it
  // goes with it. Stop and kill first end or keep what the module must not lose by release.
  void endRun();

  // These five need a run.
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
  // Between runs, what follows reaches no remote.
  // Page reports and transport lamps owed to the remotes, sent from the top of the host's stack.
  void flushNotifications();
  // Hands what the keyboards sent, in the order sent, to the devices on their input ports.
  void deliverFromKeyboards();
  // Hands what each device queued for its output port to the keyboard on that port.
  void deliverToKeyboards();
  // A copy of the run's devices, empty between runs: calls into remotes may change the list.
  std::vector<Brennholt::IPtr<RemoteDevice>> liveDevices() const;
  // The device's 1-based number in creation order; 0 when it is not in the list.
  int deviceNumber(const RemoteDevice& device) const;
};

}  // namespace QentSim
