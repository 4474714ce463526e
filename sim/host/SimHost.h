// The simulated sequencer: loads the module by path, drives it in a sequencer's order and
// implements the host services it calls, with a virtual clock that only the caller moves.
//
// Everything here runs on the caller's thread, which is the simulated host thread. The only
// calls that may arrive from another thread are the module's lamp writes from a remote's worker
// (setElementValue); those are queued under a lock and delivered by the next idle round.
//
// Keyboards: keyboard k (1-based) owns four host ports, inputs and outputs named
// "Talvane QENT6/QENT8-1" and "Talvane QENT6/QENT8-2", with "k- " in front for k >= 2. The "-2"
// pair is the remote port: what a keyboard sends arrives at its "-2" input, and what a remote
// device sends to its output port reaches the keyboard that owns that port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/MidiWire.h"
#include "sim/host/ModuleThreads.h"
#include "sim/host/kit/HostRecords.h"
#include "sim/host/project/ProjectDescription.h"

namespace Brennholt {
class IPluginBase;
}

namespace QentSim {

class HostWindow;
struct HostState;
class SkinPackage;
class UserDialogs;

// Kernel services, classes of the host context and host features that set-up can withdraw, to
// check that the module treats a missing one as a silent no-op. The translator goes for both
// ways the module may ask for it (kernel service and class).
enum class HostService {
  kIdle,                 // IIdleService: idle handlers and the clock
  kProject,              // IProjectService
  kHostState,            // IHostStateService
  kTransportPosition,    // ITransportPosition
  kCommandCatalogue,     // ICommandCatalogue
  kMidiPortList,         // IMidiPortList
  kDeviceRegistry,       // IRemoteDeviceRegistry
  kMixerTarget,          // the host link's binding target "Mixer"
  kHostFunctions,        // the host functions "Jog"/"Wheel" and "HoverKnob"/"Encoder"
  kObjectTree,           // IObjectTreeService: the project's tree
  kDependency,           // IDependencyService
  kTranslator,           // ITranslator
  kCommandCategoryList,  // ICommandCategoryList
  kPanelRegistry,        // IPanelRegistry: skin packages and windows
  kDevicesMenu,          // IDevicesMenu
  // Classes the host context's createInstance makes:
  kSettings,       // ISettingsStore
  kXmlWriter,      // IXmlWriter
  kXmlReader,      // IXmlReader
  kFileSelectors,  // ISaveFileSelector and IOpenFileSelector
  kAlertBox,       // IAlertBox
};


class SimHost {
 public:
  SimHost();
  ~SimHost();  // stops in order when still running
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // ---- set-up; kept across stop/restart ----
  // Product, version and build texts the host information answers.
  // Default "Tessaly Studio", "7.5.0", "Build 100".
  void setHostIdentity(const std::string& product, const std::string& version,
                       const std::string& build);
  // The host's language code; default "en".
  void setLanguage(const std::string& code);
  const std::string& language() const;
  // Number of keyboards plugged in (0..9). While running, a larger count plugs in the new
  // keyboards' ports, and any count plugs unplugged keyboards back in (detection is not rerun);
  // a smaller one does not unplug, use unplug().
  void setKeyboardCount(int count);
  int keyboardCount() const;
  // One more port in the port list, after the keyboards' ports. keyboard 0: nothing behind it;
  // k: it carries keyboard k's traffic like its own "-2" port would.
  void addExtraPort(bool input, const std::string& name, int keyboard = 0);
  // The module the next start loads.
  void setModulePath(const std::string& path);
  const std::string& modulePath() const;
  // Offers or withdraws a service; takes effect for every later request.
  void setServiceEnabled(HostService service, bool enabled);

  // ---- life cycle ----
  // Loads the module and drives it: InitDll, factory, service created and initialized with the
  // host context, a project opened, then detection. False only when the module cannot be loaded
  // (reason in *error); a missing class or a refused initialize is noted in the life-cycle log
  // and the run goes on without it. A running host is stopped first.
  bool start(std::string* error);
  // Orderly shutdown: open windows closed (as the user closes them); each remote deactivated,
  // detached, terminated, released; the project closed; the service terminated and released;
  // factory released; ExitDll; unload.
  void stop();
  bool restart(std::string* error);  // stop + start with the same set-up
  // Ends the run at once, as a crash would: nothing of the module is called or released and its
  // library stays loaded. Every later start in this process, of this host or another, loads a
  // fresh copy of the module.
  void kill();
  // Whether any host in this process was killed.
  static bool anyKilled();
  // Started and not stopped since.
  bool isRunning() const;
  // Runs device detection again: detector created, initialized, and detect() called unless
  // initialize answered false; released afterwards.
  DetectOutcome detect();
  // Keyboard k leaves: its remote device deactivated, detached, released, its ports removed
  // from the port list. False when there is no such keyboard.
  bool unplug(int keyboard);
  // Deactivates (false) or activates (true) keyboard k's remote device without detaching it,
  // as a host does when the user switches the device off. False when there is no such device.
  bool setActive(int keyboard, bool active);
  // The service's initialize answered 0.
  bool serviceAccepted() const;
  // The service object the host created and holds; null when none. For drivers that reach
  // past the keyboard (the fuzz target hands it messages directly).
  Brennholt::IPluginBase* service() const;
  // Steps the host took, in order ("InitDll", "service initialize 0", "remote 1 detach"...).
  const std::vector<std::string>& lifecycleLog() const;
  void clearLifecycleLog();

  // ---- time ----
  // The virtual millisecond clock the idle service answers; starts at 1000 and moves only when
  // set (or advanced).
  std::uint32_t clock() const;
  void setClock(std::uint32_t milliseconds);
  // One idle round: the registered idle handlers, each attached remote's onIdle, keyboard
  // MIDI into the host, the host's pending notifications (page changes, transport lamps), then
  // host MIDI out to the keyboards.
  void idleRound();
  // Only the registered idle handlers' onIdle, each after the notices still due, and nothing
  // else of a round: no remote idle calls, no MIDI either way. For measuring the module's own
  // idle call; it allocates nothing itself.
  void callIdleHandlers();
  // Moves the clock by `milliseconds`, one idle round per full 10 ms.
  void advance(std::uint32_t milliseconds);
  // The module's channel workers: idle rounds wait for them after each call into the module;
  // host steps outside the rounds wait through this.
  ModuleThreads& moduleThreads() { return moduleThreads_; }
  // Nanoseconds of the last idleRound spent in its calls (into the module, and the host's work
  // around them), without the waits for the module's threads and without what the virtual
  // keyboards do with the host's messages: what the round costs a host's thread.
  std::uint64_t lastRoundBusyNs() const { return lastRoundBusyNs_; }

  // ---- keyboard side ----
  // The receiver gets everything the host sends to keyboard k's output port; null disconnects.
  // Not owned; it must outlive the connection.
  void connectKeyboard(int keyboard, IMidiReceiver* receiver);
  // Queues one complete message from keyboard k into the host's "-2" input port; delivered by
  // the next idle round. Dropped there when no device listens on that port.
  void sendFromKeyboard(int keyboard, const std::uint8_t* bytes, std::size_t length);

  // ---- host side ----
  // Makes page `name` the active mode page of every attached device and reports it to each
  // remote. "Default" clears the mode page ("Default" itself always applies).
  void page(const std::string& name);
  // Runs a command through the command catalogue as the user would (an unknown command is
  // refused and recorded apart). False when the catalogue is withdrawn.
  bool command(const std::string& category, const std::string& name);

  // ---- observations ----
  // Increases whenever the host sees or sends anything; settling waits for it to stand still.
  std::uint64_t activity() const;
  // The commands the host ran (category, name), oldest first.
  const std::vector<std::pair<std::string, std::string>>& executedCommands() const;
  bool wasExecuted(const std::string& category, const std::string& name) const;
  // The values that reached host-function parameters, oldest first.
  const std::vector<ParameterValue>& parameterValues() const;
  // Last value of a parameter; false when none reached it.
  bool lastParameterValue(const std::string& parameter, int* value) const;
  // The transport: playing, recording, and its position (never below 0).
  bool playing() const;
  bool recording() const;
  double position() const;
  void setPosition(double position);
  // Mixer values of the selected channel the "Mixer" bindings toggle ("mute", "solo"); 0 unset.
  int mixerValue(const std::string& key) const;
  const std::string& lastShownText() const;  // from any device's showText
  // Observations of one device: by keyboard (1-based). Empty when none.
  std::vector<DeviceInfo> devices() const;
  std::vector<ElementInfo> elements(int keyboard) const;
  std::vector<BindingInfo> bindings(int keyboard) const;
  std::vector<std::string> pages(int keyboard) const;
  std::string currentPage(int keyboard) const;  // the active mode page; empty when none
  // Value of an attach option by four-character code; false when never set.
  bool option(int keyboard, const std::string& fourCharacterCode, int* value) const;
  std::vector<std::string> portNames(bool inputs) const;  // the port list as the module sees it
  // Commands the module registered with the catalogue, "category/name".
  std::vector<std::string> registeredActions() const;

  // ---- settings and dialogs ----
  // Keeps the settings in `path` (reading what it holds); false with *report when the file was
  // damaged and has been set aside.
  bool useSettingsFile(const std::string& path, std::string* report);
  // Stores a value as an earlier run would have; false when the file cannot be written.
  bool storeSetting(const std::string& section, const std::string& key, int value);
  bool storeSetting(const std::string& section, const std::string& key, const std::string& text);
  // The stored value: an integer in *number or a text in *text; false when the key is missing.
  bool findSetting(const std::string& section, const std::string& key, bool* isNumber, int* number,
                   std::string* text) const;
  // The next file selector answers with `path` (absolute), or is cancelled (kCancel).
  void queueDialogAnswer(DialogKind kind, const std::string& path);
  // The next alert box answers with button `button` (1-based).
  void queueAlertAnswer(int button);
  // The messages alert boxes showed since the last clearRecords, oldest first.
  const std::vector<std::string>& alertsShown() const;

  // Forgets the recorded commands (run, asked, refused) and parameter values (not the
  // transport or pages).
  void clearRecords();

  // ---- the project ----
  // Makes `project` the host's project: opened at start, and kept across stop and restart.
  // While running, the open project goes away first (projectClosing to the module, then
  // going-away notices for whatever it still watches) and the new one is opened and activated
  // at once. Without a call the host has an empty project: a mixer without channels.
  void openProject(const ProjectDescription& project);
  // Reads the project file and opens it as above. False with the reason in *error (the file
  // and the line or key, and what is wrong) when it is refused; nothing changes then.
  bool openProjectFile(const std::string& path, std::string* error);
  // The built-in demonstration project (ProjectDescription::demo).
  void openDemoProject();
  // No project: the open one goes away as above, and start opens none.
  void closeProject();
  bool hasProject() const;  // a project is open right now

  // ---- the user's changes to the open project ----
  // Each answers false with the reason in *error when nothing is running, there is no project,
  // or the track, object or key does not exist. The notices a change causes, and those the
  // module's reactions cause in turn, are delivered before the call returns, in order.
  // TRACK is a track's name (any level). OBJECT and KEY are those of the scenario language:
  // "track:NAME" ("volume", "pan", "panX", "panX2", "stereoPanType", "name", "output"),
  // "eq:NAME" ("band1:on" .. "band4:q"), "qc:NAME" ("QuickControl1".."8",
  // "QDestination1".."8"), "inst:NAME" (a parameter by decimal id, also of its sub-objects;
  // "bayProg", "writeEnable") and "Mixer" ("selected"). The transport and the mixer values the
  // bindings toggle ("Mixer" "mute", "solo") stay with the calls above.
  // The user selects that track (a folder too) and no other; the mixer's "selected" follows
  // when the track has a channel.
  bool selectTrack(const std::string& track, std::string* error);
  // No track is selected; the mixer's "selected" becomes -1.
  bool selectNoTrack(std::string* error);
  // Sets a plain value, clamped to its range; a text value refuses a number. "Mixer"
  // "selected" selects the track of that channel.
  bool setValue(const std::string& object, const std::string& key, double value,
                std::string* error);
  // Sets a value from a text: a text value takes it as it stands; a number takes an exact
  // entry of its texts, else the number at the text's start, clamped.
  bool setValueText(const std::string& object, const std::string& key, const std::string& text,
                    std::string* error);
  // A MIDI track plays `instrument` from now on: its "output" text and the instruments'
  // connections change, with their notices.
  bool routeTrack(const std::string& track, const std::string& instrument, std::string* error);
  // The track (a folder with its tracks) and its channel go away: going-away notices for all
  // their objects and values, then the mixer, the track list, the rack entries and "selected".
  bool removeTrack(const std::string& track, std::string* error);

  // ---- what the host keeps and what the module holds ----
  // A value of the open project (OBJECT and KEY as above). False with the reason otherwise.
  bool readValue(const std::string& object, const std::string& key, ValueReading* out,
                 std::string* error) const;
  // Dependents the module has registered right now (each add not yet removed).
  int dependentCount() const;
  // References to the tree's objects and values the module holds right now.
  long heldReferences() const;
  // What the module had left registered or held when the last stop ended ("2 dependents and 1
  // reference to host objects", "1 menu entry"); empty when it left nothing.
  const std::string& leftBehind() const;

  // ---- the module's commands ----
  // Asks the module's action callback about one of its commands with the query-only flag, as
  // the host does when it fills a menu. False when nothing is running, the catalogue is
  // withdrawn, the command is not the module's or no handler is registered.
  bool query(const std::string& category, const std::string& name);
  // The module's answer to the last command or query that reached its action callback; false
  // when none has since start.
  bool lastAnswer(std::int32_t* answer) const;
  // Commands asked with the query-only flag, and commands the catalogue refused (unknown), in
  // order.
  const std::vector<std::pair<std::string, std::string>>& queriedCommands() const;
  const std::vector<std::pair<std::string, std::string>>& refusedCommands() const;

  // ---- menus and the module's windows ----
  // The titles of the entries the module added to `menu` ("Devices"), in the order added.
  std::vector<std::string> menuTitles(const std::string& menu) const;
  // The user picks the entry `title` of `menu`: its command runs through the command catalogue.
  // False with the reason when nothing runs, there is no such entry or the catalogue is
  // withdrawn.
  bool pickMenuEntry(const std::string& menu, const std::string& title, std::string* why);
  // The window the user works in: the most recently opened one still open; null when none.
  HostWindow* activeWindow() const;
  // The user closes the active window. False when none is open.
  bool closeWindow();
  // The skin package `window` was built from, images and all; null when none of this run's.
  std::shared_ptr<const SkinPackage> skinPackageOf(const HostWindow& window) const;
  // Who answers the dialogs a scenario queued no answer for: a person at a page. Null (the
  // default) keeps the scenario rule: a selector is cancelled, an alert takes its last button.
  // Not owned; it must outlive the host's runs.
  void setUserDialogs(UserDialogs* dialogs);
  // What the skin engine found wrong since start: packages that did not load, controls the
  // controller offers no value for, notifications nested too deep.
  const std::vector<std::string>& panelProblems() const;

  using State = HostState;  // the host's state by lifetime; defined with the host objects

 private:
  std::unique_ptr<State> state_;
  ModuleThreads moduleThreads_;
  std::uint64_t lastRoundBusyNs_ = 0;
};

}  // namespace QentSim
