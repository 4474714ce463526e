#include "sim/host/SimHost.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>

#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/HostState.h"
#include "sim/host/kit/HostText.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/host/KernelServices.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

// A copy of the module at `path` under a name of its own, so that loading it gives a module
// with fresh state; the path itself when the copy cannot be made.
std::string freshModuleCopy(const std::string& path, int generation) {
  namespace fs = std::filesystem;
  std::error_code failed;
  const fs::path source(path);
  const fs::path copy = fs::temp_directory_path(failed) /
                        ("qentsim-" + std::to_string(Platform::currentProcessId()) + "-" +
                         std::to_string(generation) + source.extension().string());
  if (failed) return path;
  fs::copy_file(source, copy, fs::copy_options::overwrite_existing, failed);
  return failed ? path : copy.string();
}

// Hosts of this process that were killed, and the module copies made since.
std::atomic<int> killedHosts{0};
std::atomic<int> moduleCopies{0};

constexpr FUID kServiceClass = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");
constexpr FUID kDetectorClass = FUID::fromMemoryHex("8714DCA0BA74F14BA71252FF31B9F1BC");
const char kKeyboardPortBase[] = "Talvane QENT6/QENT8";
const char* const kModePages[] = {"Hover Knob Mode", "Jog Mode", "Restless Mode"};
constexpr int kMaxKeyboards = 9;
// Page reports and lamps may cause more of each; a module that keeps answering in circles
// must not hang the host.
constexpr int kMaxNotificationPasses = 16;

std::string resultText(tresult result) { return std::to_string(result); }

FUnknown* asUnknown(HostContext* context) {
  return static_cast<FUnknown*>(static_cast<IHostKernel*>(context));
}

}  // namespace

std::string keyboardPortName(int keyboard, int portNumber) {
  std::string name = std::string(kKeyboardPortBase) + "-" + std::to_string(portNumber);
  return keyboard >= 2 ? std::to_string(keyboard) + "- " + name : name;
}

HostRun::HostRun(HostState& state) : connection(state) {}
HostRun::~HostRun() = default;

// ---- the host's own operations ----

tresult SimHost::State::executeCommand(const std::string& category, const std::string& name,
                                       HostLink* source) noexcept {
  try {
    return runCommand(category, name, source);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

tresult SimHost::State::runCommand(const std::string& category, const std::string& name,
                                   HostLink* source) {
  touch();
  CommandCatalogue& catalogue = run->catalogue;
  if (!catalogue.knows(category, name)) {
    records.refused.emplace_back(category, name);
    return kResultFalse;
  }
  records.executed.emplace_back(category, name);
  if (category == "Remote" &&
      std::find(std::begin(kModePages), std::end(kModePages), name) != std::end(kModePages)) {
    switchPage(name, source);
  } else if (category == "Transport") {
    if (name == "Start") pressTransport("start");
    if (name == "Stop") pressTransport("stop");
    if (name == "Record") pressTransport("record");
    if (name == "Return to Zero") report.position = 0;
  }
  if (catalogue.isModuleCommand(category, name)) callHandlers(category, name, false);
  return kResultOk;
}

bool SimHost::State::callHandlers(const std::string& category, const std::string& name,
                                  bool queryOnly) {
  const std::u16string category16 = toUtf16(category);
  const std::u16string name16 = toUtf16(name);
  // Copy: a handler may remove itself.
  const CommandCatalogue& catalogue = run->catalogue;
  const std::vector<IActionHandler*> handlers = catalogue.handlers();
  bool reached = false;
  for (IActionHandler* handler : handlers) {
    const auto& now = catalogue.handlers();
    if (std::find(now.begin(), now.end(), handler) == now.end()) continue;
    reached = true;
    report.answered = true;
    report.lastAnswer = handler->onAction(category16.c_str(), name16.c_str(), queryOnly ? 1 : 0);
    if (report.lastAnswer == kResultOk) break;
  }
  touch();
  return reached;
}

void SimHost::State::openModel(const ProjectDescription& description) {
  if (!report.registry) report.registry = std::make_shared<DependencyRegistry>();
  setup.hostLanguage->setProjectTranslations(description.translations);
  std::unique_ptr<ProjectModel>& model = run->model;
  try {
    model = std::make_unique<ProjectModel>(description, report.registry, setup.hostLanguage);
  } catch (const std::bad_alloc&) {
    model.reset();
    note("project not opened: out of memory");
    return;
  }
  note("project opened");
  touch();
  FUnknown* project = model->activeProject();
  std::vector<IProjectNotification*> listeners = run->projectListeners;
  for (IProjectNotification* listener : listeners) listener->projectOpened(project);
  deliverDependents();
  listeners = run->projectListeners;
  for (IProjectNotification* listener : listeners) listener->projectActivated(project);
  deliverDependents();
}

void SimHost::State::closeModel() {
  if (!run || !run->model) return;
  std::unique_ptr<ProjectModel>& model = run->model;
  std::vector<IProjectNotification*> listeners = run->projectListeners;
  for (IProjectNotification* listener : listeners) listener->projectClosing(model->activeProject());
  deliverDependents();
  model->goingAway();
  deliverDependents();
  model.reset();
  setup.hostLanguage->setProjectTranslations({});
  note("project closed");
  touch();
}

void SimHost::State::deliverDependents() {
  if (report.registry && report.registry->deliver() > 0) touch();
}

FUnknown* SimHost::State::activeProject() const {
  return run && run->model ? run->model->activeProject() : nullptr;
}

void SimHost::State::pressTransport(const std::string& value) {
  bool& playing = report.playing;
  bool& recording = report.recording;
  bool wasPlaying = playing;
  bool wasRecording = recording;
  if (value == "start") {
    playing = true;
  } else if (value == "stop") {
    playing = false;
    recording = false;
  } else if (value == "record") {
    recording = !recording;
  }
  if (playing != wasPlaying || recording != wasRecording) {
    report.transportChanged = true;
    touch();
  }
}

void SimHost::State::parameterValue(const std::string& function, const std::string& parameter,
                                    int value) {
  touch();
  records.parameterValues.push_back({function, parameter, value});
  if (parameter == "wheel") {
    // Jog ticks: 1..63 forward, 64..127 backward as value - 128. The song cannot start
    // before its beginning, so backward jogging at zero leaves the position standing.
    int tick = value >= 64 ? value - 128 : value;
    report.position = std::max(0.0, report.position + tick);
  }
}

void SimHost::State::switchPage(const std::string& name, HostLink* link) {
  if (link != nullptr) {
    link->switchPage(name);
    return;
  }
  for (const IPtr<RemoteDevice>& device : run->devices) {
    if (!device->gone && device->attached) device->link().switchPage(name);
  }
}

IPtr<RemoteDevice> SimHost::State::createDevice(const TUID classId, int32 pairIndex,
                                                bool activate) {
  IPluginFactory* factory = run->module.factory();
  const IPtr<HostContext>& context = run->context;
  std::vector<IPtr<RemoteDevice>>& devices = run->devices;
  if (factory == nullptr || !context) return {};
  IPtr<IHWRemote> remote;
  if (factory->createInstance(classId, IHWRemote::iid.bytes(), remote.putVoid()) != kResultOk ||
      !remote) {
    note("remote not created for pair " + std::to_string(pairIndex));
    remote.reset();
    return {};
  }
  auto* made = new (std::nothrow) RemoteDevice(run->connection.shared(), pairIndex);
  if (made == nullptr) return {};
  IPtr<RemoteDevice> device = IPtr<RemoteDevice>::adopt(made);
  devices.push_back(device);
  const std::string label = "remote " + std::to_string(devices.size());
  note(label + " created for pair " + std::to_string(pairIndex));
  note(label + " initialize " + resultText(remote->initialize(asUnknown(context.get()))));
  device->setRemote(remote);
  bool attached = remote->attach(&device->link());
  note(label + " attach " + (attached ? "true" : "false"));
  touch();
  if (!attached) {
    remote->terminate();
    device->takeRemote().reset();
    device->gone = true;
    devices.pop_back();
    note(label + " released");
    return {};
  }
  device->attached = true;
  if (activate) note(label + " activate " + resultText(remote->activate()));
  return device;
}

void SimHost::State::shutDownDevice(RemoteDevice& device, const std::string& label) {
  if (device.gone) return;
  IPtr<IHWRemote> remote = device.takeRemote();
  if (remote) {
    if (device.attached) {
      note(label + " deactivate " + resultText(remote->deactivate()));
      note(label + " detach " + (remote->detach() ? "true" : "false"));
      device.attached = false;
    }
    note(label + " terminate " + resultText(remote->terminate()));
    remote.reset();
    note(label + " released");
  }
  device.gone = true;
  touch();
  deliverOutbound(device);
}

void SimHost::State::deliverOutbound(RemoteDevice& device) {
  // What the remote flushed on deactivate reaches the keyboard within the same step.
  int wire = device.outputPort() ? device.outputPort()->wire() : 0;
  auto receiver = receivers.find(wire);
  for (const std::vector<uint8>& message : device.link().takeOutbound()) {
    if (wire != 0 && receiver != receivers.end() && receiver->second != nullptr) {
      receiver->second->receiveMidi(message.data(), message.size());
    }
  }
}

void SimHost::State::rebuildPorts() {
  struct Wanted {
    bool input;
    std::string name;
    int owner;
    int wire;
  };
  std::vector<Wanted> wanted;
  const std::set<int>& unplugged = run->unplugged;
  std::vector<IPtr<MidiPort>>& ports = run->ports;
  for (int k = 1; k <= setup.keyboardCount; ++k) {
    if (unplugged.count(k) != 0) continue;
    for (bool input : {true, false}) {
      wanted.push_back({input, keyboardPortName(k, 1), k, 0});
      wanted.push_back({input, keyboardPortName(k, 2), k, k});
    }
  }
  for (const HostSetup::ExtraPort& extra : setup.extraPorts) {
    if (extra.keyboard != 0 && unplugged.count(extra.keyboard) != 0) continue;
    wanted.push_back({extra.input, extra.name, extra.keyboard, extra.keyboard});
  }
  std::vector<IPtr<MidiPort>> old = std::move(ports);
  ports.clear();
  for (const Wanted& w : wanted) {
    auto same = std::find_if(old.begin(), old.end(), [&w](const IPtr<MidiPort>& port) {
      return port && port->input() == w.input && port->name() == w.name &&
             port->owner() == w.owner && port->wire() == w.wire;
    });
    if (same != old.end()) {
      ports.push_back(std::move(*same));
    } else if (auto* made = new (std::nothrow) MidiPort(w.input, w.name, w.owner, w.wire)) {
      ports.push_back(IPtr<MidiPort>::adopt(made));
    }
  }
  touch();
}

MidiPort* SimHost::State::findPort(const IMidiPort* port) const {
  for (const IPtr<MidiPort>& own : run->ports) {
    if (static_cast<const IMidiPort*>(own.get()) == port) return own.get();
  }
  return nullptr;
}

void SimHost::State::flushNotifications() {
  for (int pass = 0; pass < kMaxNotificationPasses; ++pass) {
    bool any = false;
    const std::vector<IPtr<RemoteDevice>> live = liveDevices();
    for (const IPtr<RemoteDevice>& device : live) {
      std::string name;
      while (!device->gone && device->link().takePageReport(&name)) {
        any = true;
        if (IHWRemote* remote = device->remote()) remote->onPageChanged(name.c_str());
      }
    }
    if (report.transportChanged) {
      report.transportChanged = false;
      any = true;
      for (const IPtr<RemoteDevice>& device : live) {
        if (!device->gone && device->attached) {
          device->link().feedTransport(device->remote(), report.playing, report.recording);
        }
      }
    }
    if (!any) return;
  }
}

void SimHost::State::deliverFromKeyboards() {
  while (!fromKeyboards.empty()) {
    KeyboardMessage message = std::move(fromKeyboards.front());
    fromKeyboards.pop_front();
    touch();
    const std::vector<IPtr<RemoteDevice>> live = liveDevices();
    for (const IPtr<RemoteDevice>& device : live) {
      MidiPort* input = device->inputPort();
      if (device->gone || !device->attached || input == nullptr ||
          input->wire() != message.keyboard) {
        continue;
      }
      device->link().receive(device->remote(), message.bytes);
    }
  }
}

void SimHost::State::deliverToKeyboards() {
  const std::vector<IPtr<RemoteDevice>> live = liveDevices();
  for (const IPtr<RemoteDevice>& device : live) {
    std::vector<std::vector<uint8>> out = device->link().takeOutbound();
    int wire = device->outputPort() ? device->outputPort()->wire() : 0;
    for (const std::vector<uint8>& message : out) {
      // A keyboard may disconnect itself while receiving: look it up per message.
      auto receiver = receivers.find(wire);
      if (wire != 0 && receiver != receivers.end() && receiver->second != nullptr) {
        receiver->second->receiveMidi(message.data(), message.size());
      }
    }
  }
}

void SimHost::State::endRun() {
  run.reset();
  fromKeyboards.clear();
  touch();
}

std::vector<IPtr<RemoteDevice>> SimHost::State::liveDevices() const {
  return run ? run->devices : std::vector<IPtr<RemoteDevice>>();
}

int SimHost::State::deviceNumber(const RemoteDevice& device) const {
  if (!run) return 0;
  const std::vector<IPtr<RemoteDevice>>& devices = run->devices;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].get() == &device) return static_cast<int>(i) + 1;
  }
  return 0;
}

// ---- facade ----

SimHost::SimHost() : state_(std::make_unique<State>()) {}

SimHost::~SimHost() { stop(); }

void SimHost::setHostIdentity(const std::string& product, const std::string& version,
                              const std::string& build) {
  state_->setup.product = product;
  state_->setup.version = version;
  state_->setup.build = build;
}

void SimHost::setLanguage(const std::string& code) {
  state_->setup.language = code;
  state_->setup.hostLanguage->setCode(code);
}
const std::string& SimHost::language() const { return state_->setup.language; }

void SimHost::setKeyboardCount(int count) {
  count = std::clamp(count, 0, kMaxKeyboards);
  State& s = *state_;
  if (s.running()) {
    if (count <= s.setup.keyboardCount && s.run->unplugged.empty()) return;
    s.setup.keyboardCount = std::max(count, s.setup.keyboardCount);
    s.run->unplugged.clear();
    s.rebuildPorts();
    return;
  }
  s.setup.keyboardCount = count;
}

int SimHost::keyboardCount() const { return state_->setup.keyboardCount; }

void SimHost::addExtraPort(bool input, const std::string& name, int keyboard) {
  state_->setup.extraPorts.push_back({input, name, std::clamp(keyboard, 0, kMaxKeyboards)});
  if (state_->running()) state_->rebuildPorts();
}

void SimHost::setModulePath(const std::string& path) { state_->setup.modulePath = path; }
const std::string& SimHost::modulePath() const { return state_->setup.modulePath; }

void SimHost::setServiceEnabled(HostService service, bool enabled) {
  if (enabled) {
    state_->setup.withdrawn.erase(service);
  } else {
    state_->setup.withdrawn.insert(service);
  }
}

bool SimHost::start(std::string* error) {
  State& s = *state_;
  if (s.running()) stop();
  std::string why;
  const std::string& wanted = s.setup.modulePath;
  // A killed run's module is still loaded with its state and its threads, whichever host of the
  // process ran it: loading the same path again would hand back that module. Every run after a
  // kill gets a copy of its own.
  const std::string path =
      killedHosts.load() > 0 ? freshModuleCopy(wanted, ++moduleCopies) : wanted;
  // A start that fails ends its run at once, before anything of the module was created.
  HostRun& run = s.run.emplace(s);
  if (!run.module.load(path, &why)) {
    s.run.reset();
    if (error) *error = why;
    s.note("load failed");
    return false;
  }
  if (path != wanted) {
    std::error_code ignored;  // a module that is in use cannot go everywhere; it stays then
    std::filesystem::remove(path, ignored);
  }
  s.note("InitDll");
  auto* context = new (std::nothrow) HostContext(run.connection.shared());
  if (context == nullptr) {
    s.run.reset();
    if (error) *error = "out of memory";
    return false;
  }
  run.context = IPtr<HostContext>::adopt(context);
  s.report = RunReport{};
  s.report.registry = std::make_shared<DependencyRegistry>();
  IPluginFactory* factory = run.module.factory();
  if (IPtr<IPluginFactory3> factory3 = queryInterface<IPluginFactory3>(factory)) {
    factory3->setHostContext(asUnknown(context));
  }

  IPtr<IPluginBase> service;
  if (factory->createInstance(kServiceClass.bytes(), IPluginBase::iid.bytes(), service.putVoid()) !=
          kResultOk ||
      !service) {
    service.reset();
    s.note("service not created");
  } else {
    tresult result = service->initialize(asUnknown(context));
    s.note("service initialize " + resultText(result));
    if (result == kResultOk) {
      run.service = std::move(service);
      run.serviceAccepted = true;
    } else {
      // A refused service is released without terminate; the run goes on without it.
      service.reset();
      s.note("service released");
    }
  }

  if (s.setup.project) s.openModel(*s.setup.project);

  s.rebuildPorts();
  detect();
  s.touch();
  return true;
}

void SimHost::stop() {
  State& s = *state_;
  if (!s.running()) return;
  HostRun& run = *s.run;
  s.note("stop");
  // As a real host quits: its windows close first, telling the module as the user's close does.
  while (closeWindow()) {
  }
  std::vector<IPtr<RemoteDevice>> devices = run.devices;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    s.shutDownDevice(*devices[i].get(), "remote " + std::to_string(i + 1));
  }
  run.devices.clear();
  s.closeModel();
  if (run.service) {
    s.note("service terminate " + resultText(run.service->terminate()));
    run.service.reset();
    s.note("service released");
  }
  // The host holds nothing of the tree any more: whatever is left is the module's.
  std::string& left = s.report.leftBehind;
  const int dependents = s.report.registry->dependentCount();
  const long references = static_cast<long>(s.report.registry->outsideReferences());
  if (dependents > 0 || references > 0) {
    left = std::to_string(dependents) + (dependents == 1 ? " dependent" : " dependents") + " and " +
           std::to_string(references) + (references == 1 ? " reference" : " references") +
           " to host objects";
  }
  // A menu entry that outlives the module would run a command nobody handles.
  const std::size_t entries = run.panels.menuEntries.size();
  if (entries > 0) {
    if (!left.empty()) left += " and ";
    left += std::to_string(entries) + (entries == 1 ? " menu entry" : " menu entries");
  }
  if (!left.empty()) s.note("left behind: " + left);
  s.endRun();
  s.note("factory released, ExitDll, unloaded");
}

bool SimHost::anyKilled() { return killedHosts.load() > 0; }

void SimHost::kill() {
  State& s = *state_;
  if (!s.running()) return;
  HostRun& run = *s.run;
  ++killedHosts;
  s.note("killed");
  // Whatever the module holds stays as it is and is never released: its references are kept
  // where nothing reaches them again.
  struct Remains {
    IPtr<IPluginBase> service;
    std::vector<IPtr<RemoteDevice>> devices;
    IPtr<HostContext> context;
    std::unique_ptr<ProjectModel> model;
    std::vector<IPtr<IHostWindow>> windows;  // they hold the module's controllers
  };
  static auto* crashed = new std::vector<std::unique_ptr<Remains>>();
  auto remains = std::make_unique<Remains>();
  remains->service = std::move(run.service);
  remains->devices = std::move(run.devices);
  remains->context = std::move(run.context);
  remains->model = std::move(run.model);
  remains->windows = std::move(run.panels.windows);
  crashed->push_back(std::move(remains));
  // A crash leaves no report of the skin engine's findings either.
  s.report.panelProblems.clear();
  run.module.abandon();
  s.endRun();
}

bool SimHost::useSettingsFile(const std::string& path, std::string* report) {
  return state_->setup.settings.useFile(path, report);
}

bool SimHost::storeSetting(const std::string& section, const std::string& key, int value) {
  return state_->setup.settings.set(section, key, static_cast<std::int32_t>(value));
}

bool SimHost::storeSetting(const std::string& section, const std::string& key,
                           const std::string& text) {
  return state_->setup.settings.set(section, key, text);
}

bool SimHost::findSetting(const std::string& section, const std::string& key, bool* isNumber,
                          int* number, std::string* text) const {
  const SettingsData::Value* value = state_->setup.settings.find(section, key);
  if (value == nullptr) return false;
  const auto* integer = std::get_if<std::int32_t>(value);
  *isNumber = integer != nullptr;
  if (integer) {
    *number = *integer;
  } else {
    *text = std::get<std::string>(*value);
  }
  return true;
}

void SimHost::queueDialogAnswer(DialogKind kind, const std::string& path) {
  state_->setup.dialogAnswers.push_back({kind, path});
}

void SimHost::queueAlertAnswer(int button) { state_->setup.alertAnswers.push_back(button); }

const std::vector<std::string>& SimHost::alertsShown() const { return state_->records.alertsShown; }

bool SimHost::restart(std::string* error) {
  stop();
  return start(error);
}

bool SimHost::isRunning() const { return state_->running(); }

DetectOutcome SimHost::detect() {
  State& s = *state_;
  DetectOutcome outcome;
  IPluginFactory* factory = s.running() ? s.run->module.factory() : nullptr;
  if (factory == nullptr) return outcome;
  IPtr<IPluginBase> detector;
  if (factory->createInstance(kDetectorClass.bytes(), IPluginBase::iid.bytes(),
                              detector.putVoid()) != kResultOk ||
      !detector) {
    detector.reset();
    s.note("detector not created");
    return outcome;
  }
  tresult init = detector->initialize(asUnknown(s.run->context.get()));
  s.note("detector initialize " + resultText(init));
  if (init == kResultOk) {
    if (IPtr<IDetector> detecting = queryInterface<IDetector>(detector.get())) {
      outcome.ran = true;
      outcome.result = detecting->detect();
      s.note("detect " + resultText(outcome.result));
    }
    detector->terminate();
  }
  detector.reset();
  s.note("detector released");
  s.touch();
  return outcome;
}

bool SimHost::unplug(int keyboard) {
  State& s = *state_;
  if (!s.running() || keyboard < 1 || keyboard > s.setup.keyboardCount ||
      s.run->unplugged.count(keyboard) != 0) {
    return false;
  }
  HostRun& run = *s.run;
  s.note("unplug " + std::to_string(keyboard));
  const std::vector<IPtr<RemoteDevice>> devices = run.devices;
  for (const IPtr<RemoteDevice>& device : devices) {
    if (device->keyboard() != keyboard) continue;
    s.shutDownDevice(*device.get(), "remote " + std::to_string(s.deviceNumber(*device.get())));
  }
  run.devices.erase(std::remove_if(run.devices.begin(), run.devices.end(),
                                   [](const IPtr<RemoteDevice>& d) { return d->gone; }),
                    run.devices.end());
  run.unplugged.insert(keyboard);
  s.rebuildPorts();
  return true;
}

bool SimHost::setActive(int keyboard, bool active) {
  State& s = *state_;
  bool found = false;
  const std::vector<IPtr<RemoteDevice>> devices = s.liveDevices();
  for (const IPtr<RemoteDevice>& device : devices) {
    if (device->gone || !device->attached || device->keyboard() != keyboard) continue;
    IHWRemote* remote = device->remote();
    if (remote == nullptr) continue;
    const std::string label = "remote " + std::to_string(s.deviceNumber(*device.get()));
    s.note(label + (active ? " activate " : " deactivate ") +
           resultText(active ? remote->activate() : remote->deactivate()));
    if (!active) s.deliverOutbound(*device.get());
    found = true;
  }
  s.touch();
  return found;
}

bool SimHost::serviceAccepted() const { return state_->running() && state_->run->serviceAccepted; }
Brennholt::IPluginBase* SimHost::service() const {
  return state_->running() ? state_->run->service.get() : nullptr;
}
const std::vector<std::string>& SimHost::lifecycleLog() const { return state_->log; }
void SimHost::clearLifecycleLog() { state_->log.clear(); }

std::uint32_t SimHost::clock() const { return state_->clock; }
void SimHost::setClock(std::uint32_t milliseconds) { state_->clock = milliseconds; }

void SimHost::idleRound() {
  State& s = *state_;
  // After every call into the module its workers finish what it handed them, so that what the
  // next call sees never depends on their speed. Only the calls count as the round's work.
  using Clock = std::chrono::steady_clock;
  Clock::duration busy{};
  auto then = [this, &busy](auto&& call) {
    const Clock::time_point start = Clock::now();
    call();
    busy += Clock::now() - start;
    moduleThreads_.await();
  };
  // Copies: a handler or remote may unregister itself, or unplugging may happen, mid-round.
  std::vector<IIdleHandler*> handlers =
      s.running() ? s.run->idleHandlers : std::vector<IIdleHandler*>();
  for (IIdleHandler* handler : handlers) {
    const std::vector<IIdleHandler*>& now = s.run->idleHandlers;
    if (std::find(now.begin(), now.end(), handler) != now.end()) {
      // Every notice, those the module's own writes caused too, arrives before its next idle.
      then([&] { s.deliverDependents(); });
      then([&] { handler->onIdle(); });
    }
  }
  then([&] { s.deliverDependents(); });
  const std::vector<IPtr<RemoteDevice>> devices = s.liveDevices();
  for (const IPtr<RemoteDevice>& device : devices) {
    if (!device->gone && device->attached && device->remote())
      then([&] { device->remote()->onIdle(); });
  }
  then([&] { s.deliverDependents(); });
  then([&] { s.flushNotifications(); });
  then([&] { s.deliverFromKeyboards(); });
  then([&] { s.deliverDependents(); });
  then([&] { s.flushNotifications(); });
  // What the keyboards do with the host's messages is theirs, not the host thread's.
  s.deliverToKeyboards();
  lastRoundBusyNs_ = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(busy).count());
}

void SimHost::callIdleHandlers() {
  State& s = *state_;
  if (!s.running()) return;
  // By index: a handler may unregister itself from inside its call.
  const std::vector<IIdleHandler*>& handlers = s.run->idleHandlers;
  for (std::size_t i = 0; i < handlers.size(); ++i) {
    s.deliverDependents();
    handlers[i]->onIdle();
  }
}

void SimHost::advance(std::uint32_t milliseconds) {
  for (std::uint32_t step = 0; step < milliseconds / 10; ++step) {
    state_->clock += 10;  // wraps as the host's counter does
    idleRound();
  }
  state_->clock += milliseconds % 10;
}

void SimHost::connectKeyboard(int keyboard, IMidiReceiver* receiver) {
  if (receiver == nullptr) {
    state_->receivers.erase(keyboard);
  } else {
    state_->receivers[keyboard] = receiver;
  }
}

void SimHost::sendFromKeyboard(int keyboard, const std::uint8_t* bytes, std::size_t length) {
  if (bytes == nullptr || length == 0) return;
  state_->fromKeyboards.push_back({keyboard, std::vector<uint8>(bytes, bytes + length)});
  state_->touch();
}

void SimHost::page(const std::string& name) {
  if (!state_->running()) return;
  state_->switchPage(name, nullptr);
  state_->flushNotifications();
}

bool SimHost::command(const std::string& category, const std::string& name) {
  State& s = *state_;
  if (!s.running() || !s.offers(HostService::kCommandCatalogue)) return false;
  s.executeCommand(category, name, nullptr);
  s.deliverDependents();
  s.flushNotifications();
  return true;
}

std::uint64_t SimHost::activity() const { return state_->activity.load(); }

const std::vector<std::pair<std::string, std::string>>& SimHost::executedCommands() const {
  return state_->records.executed;
}

bool SimHost::wasExecuted(const std::string& category, const std::string& name) const {
  const auto& list = state_->records.executed;
  return std::find(list.begin(), list.end(), std::make_pair(category, name)) != list.end();
}

const std::vector<ParameterValue>& SimHost::parameterValues() const {
  return state_->records.parameterValues;
}

bool SimHost::lastParameterValue(const std::string& parameter, int* value) const {
  const auto& list = state_->records.parameterValues;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->parameter == parameter) {
      if (value) *value = it->value;
      return true;
    }
  }
  return false;
}

bool SimHost::playing() const { return state_->report.playing; }
bool SimHost::recording() const { return state_->report.recording; }
double SimHost::position() const { return state_->report.position; }
void SimHost::setPosition(double position) { state_->report.position = std::max(0.0, position); }

int SimHost::mixerValue(const std::string& key) const {
  auto found = state_->mixerValues.find(key);
  return found == state_->mixerValues.end() ? 0 : found->second;
}

const std::string& SimHost::lastShownText() const { return state_->lastShownText; }

std::vector<DeviceInfo> SimHost::devices() const {
  std::vector<DeviceInfo> out;
  for (const IPtr<RemoteDevice>& device : state_->liveDevices()) {
    if (device->gone) continue;
    DeviceInfo info;
    info.keyboard = device->keyboard();
    info.pairIndex = device->pairIndex();
    if (device->inputPort()) info.inputPort = device->inputPort()->name();
    if (device->outputPort()) info.outputPort = device->outputPort()->name();
    info.attached = device->attached;
    info.active = device->link().active();
    out.push_back(std::move(info));
  }
  return out;
}

namespace {
const HostLink* linkOf(const SimHost::State& s, int keyboard) {
  if (!s.running()) return nullptr;
  for (const IPtr<RemoteDevice>& device : s.run->devices) {
    if (!device->gone && device->keyboard() == keyboard) return &device->link();
  }
  return nullptr;
}
}  // namespace

std::vector<ElementInfo> SimHost::elements(int keyboard) const {
  const HostLink* link = linkOf(*state_, keyboard);
  return link ? link->elements() : std::vector<ElementInfo>();
}

std::vector<BindingInfo> SimHost::bindings(int keyboard) const {
  const HostLink* link = linkOf(*state_, keyboard);
  return link ? link->bindings() : std::vector<BindingInfo>();
}

std::vector<std::string> SimHost::pages(int keyboard) const {
  const HostLink* link = linkOf(*state_, keyboard);
  return link ? link->pages() : std::vector<std::string>();
}

std::string SimHost::currentPage(int keyboard) const {
  const HostLink* link = linkOf(*state_, keyboard);
  return link ? link->modePage() : std::string();
}

bool SimHost::option(int keyboard, const std::string& code, int* value) const {
  const HostLink* link = linkOf(*state_, keyboard);
  if (link == nullptr || code.size() != 4) return false;
  uint32 packed = 0;
  for (char c : code) packed = (packed << 8) | static_cast<uint8>(c);
  return link->option(packed, value);
}

std::vector<std::string> SimHost::portNames(bool inputs) const {
  std::vector<std::string> names;
  if (!state_->running()) return names;
  for (const IPtr<MidiPort>& port : state_->run->ports) {
    if (port->input() == inputs) names.push_back(port->name());
  }
  return names;
}

std::vector<std::string> SimHost::registeredActions() const {
  std::vector<std::string> out;
  if (!state_->running()) return out;
  for (const auto& [category, name] : state_->run->catalogue.registered())
    out.push_back(std::string(category).append("/").append(name));
  return out;
}

void SimHost::clearRecords() { state_->records = CheckRecords{}; }

// ---- the project ----

void SimHost::openProject(const ProjectDescription& project) {
  State& s = *state_;
  s.setup.project = project;
  if (!s.running()) return;
  s.closeModel();
  s.openModel(project);
  s.flushNotifications();
}

bool SimHost::openProjectFile(const std::string& path, std::string* error) {
  ProjectDescription project;
  if (!ProjectDescription::readFile(path, &project, error)) return false;
  openProject(project);
  return true;
}

void SimHost::openDemoProject() { openProject(ProjectDescription::demo()); }

void SimHost::closeProject() {
  State& s = *state_;
  s.setup.project.reset();
  if (!s.running()) return;
  s.closeModel();
  s.flushNotifications();
}

bool SimHost::hasProject() const { return state_->running() && state_->run->model != nullptr; }

namespace {

ProjectModel* openModel(SimHost::State& s, std::string* error) {
  if (!s.running() || !s.run->model) {
    if (error) *error = s.running() ? "no project is open" : "the host is not running";
    return nullptr;
  }
  return s.run->model.get();
}

}  // namespace

bool SimHost::selectTrack(const std::string& track, std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr || !model->select(track, error)) return false;
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::selectNoTrack(std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr) return false;
  model->selectNone();
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::setValue(const std::string& object, const std::string& key, double value,
                       std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr || !model->setValue(object, key, value, error)) return false;
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::setValueText(const std::string& object, const std::string& key,
                           const std::string& text, std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr || !model->setValueText(object, key, text, error)) return false;
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::routeTrack(const std::string& track, const std::string& instrument,
                         std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr || !model->route(track, instrument, error)) return false;
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::removeTrack(const std::string& track, std::string* error) {
  ProjectModel* model = openModel(*state_, error);
  if (model == nullptr || !model->remove(track, error)) return false;
  state_->touch();
  state_->deliverDependents();
  return true;
}

bool SimHost::readValue(const std::string& object, const std::string& key, ValueReading* out,
                        std::string* error) const {
  ProjectModel* model = openModel(*state_, error);
  const TreeValue* value = model ? model->findValue(object, key, error) : nullptr;
  if (value == nullptr) return false;
  if (out != nullptr) {
    out->text = value->isText();
    out->plain = value->isText() ? 0 : value->plain();
    out->shown = value->text();
    out->completedEdits = value->completedEdits();
    out->editOpen = value->editOpen();
  }
  return true;
}

int SimHost::dependentCount() const {
  const std::shared_ptr<DependencyRegistry>& registry = state_->report.registry;
  return registry ? registry->dependentCount() : 0;
}

long SimHost::heldReferences() const {
  const State& s = *state_;
  if (!s.report.registry) return 0;
  // The host's own handle on the open project's tree is not the module's.
  return static_cast<long>(s.report.registry->outsideReferences()) - (hasProject() ? 1 : 0);
}

const std::string& SimHost::leftBehind() const { return state_->report.leftBehind; }

// ---- the module's commands ----

bool SimHost::query(const std::string& category, const std::string& name) {
  State& s = *state_;
  if (!s.running() || !s.offers(HostService::kCommandCatalogue) ||
      !s.run->catalogue.isModuleCommand(category, name)) {
    return false;
  }
  s.records.queried.emplace_back(category, name);
  const bool reached = s.callHandlers(category, name, true);
  s.deliverDependents();
  s.flushNotifications();
  return reached;
}

bool SimHost::lastAnswer(std::int32_t* answer) const {
  if (!state_->report.answered) return false;
  if (answer != nullptr) *answer = state_->report.lastAnswer;
  return true;
}

const std::vector<std::pair<std::string, std::string>>& SimHost::queriedCommands() const {
  return state_->records.queried;
}

const std::vector<std::pair<std::string, std::string>>& SimHost::refusedCommands() const {
  return state_->records.refused;
}

// ---- menus and the module's windows ----

std::vector<std::string> SimHost::menuTitles(const std::string& menu) const {
  std::vector<std::string> titles;
  if (!state_->running()) return titles;
  for (const MenuEntry& entry : state_->run->panels.menuEntries) {
    if (entry.menu == menu) titles.push_back(entry.title);
  }
  return titles;
}

bool SimHost::pickMenuEntry(const std::string& menu, const std::string& title, std::string* why) {
  State& s = *state_;
  if (!s.running()) {
    *why = "the host is not running";
    return false;
  }
  const auto& entries = s.run->panels.menuEntries;
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const MenuEntry& e) {
    return e.menu == menu && e.title == title;
  });
  if (found == entries.end()) {
    *why = "the \"" + menu + "\" menu has no entry \"" + title + "\"";
    return false;
  }
  // Copies: running the command may change the menu.
  const std::string category = found->category;
  const std::string name = found->command;
  if (!command(category, name)) {
    *why = "the host has no command catalogue (service command-catalogue off)";
    return false;
  }
  return true;
}

HostWindow* SimHost::activeWindow() const {
  if (!state_->running()) return nullptr;
  const auto& windows = state_->run->panels.windows;
  for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
    auto* own = static_cast<HostWindow*>(window->get());
    if (own->isOpen()) return own;
  }
  return nullptr;
}

bool SimHost::closeWindow() {
  State& s = *state_;
  HostWindow* window = activeWindow();
  if (window == nullptr) return false;
  // The host's reference goes once the listeners were told and the window let go of the module.
  IPtr<IHostWindow> keep = IPtr<IHostWindow>::share(window);
  window->close();
  auto& windows = s.run->panels.windows;
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [&](const IPtr<IHostWindow>& w) { return w.get() == keep.get(); }),
                windows.end());
  s.note("window " + window->templateName() + " closed");
  s.deliverDependents();
  s.flushNotifications();
  return true;
}

std::shared_ptr<const SkinPackage> SimHost::skinPackageOf(const HostWindow& window) const {
  if (!state_->running()) return nullptr;
  for (const LoadedSkin& skin : state_->run->panels.skins) {
    if (skin.document.get() == &window.skin()) return skin.package;
  }
  return nullptr;
}

void SimHost::setUserDialogs(UserDialogs* dialogs) { state_->setup.userDialogs = dialogs; }

const std::vector<std::string>& SimHost::panelProblems() const {
  return state_->report.panelProblems;
}

}  // namespace QentSim
