#include "sim/host/BareHost.h"

#include <algorithm>
#include <map>
#include <variant>

#include "sdk/host/CommandServices.h"
#include "sdk/host/DeviceDetection.h"
#include "sdk/host/HostObjects.h"
#include "sdk/host/HostServices.h"
#include "sdk/host/PanelServices.h"
#include "sim/host/HostState.h"
#include "sim/host/KernelServices.h"
#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/midi/HostLink.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/host/project/TreeValue.h"

namespace QentSim {

using Brennholt::FUnknown;
using Brennholt::IPtr;
using Brennholt::TUID;
using Brennholt::uint32;
namespace Hox = Brennholt::Hox;

namespace {

// Every service the kernel hands out by identifier, withdrawn or not.
const Brennholt::FUID* const kKernelServices[] = {
    &Hox::IIdleService::iid,          &Hox::IProjectService::iid,
    &Hox::IHostStateService::iid,     &Hox::ITransportPosition::iid,
    &Hox::ICommandCatalogue::iid,     &Hox::ICommandCategoryList::iid,
    &Hox::IObjectTreeService::iid,    &Hox::IDependencyService::iid,
    &Hox::ITranslator::iid,           &Hox::IMidiPortList::iid,
    &Hox::IRemoteDeviceRegistry::iid, &Hox::IPanelRegistry::iid,
    &Hox::IDevicesMenu::iid};

// References to `object` beside the `own` ones the host holds.
long heldBeyond(FUnknown* object, long own) {
  object->addRef();
  return static_cast<long>(object->release()) - own;
}

}  // namespace

// The loose objects and values, and the module's writes to the values.
struct BareHost::Loose final : ValueObserver {
  std::vector<IPtr<TreeObject>> objects;
  std::vector<IPtr<TreeValue>> values;
  std::map<const TreeValue*, int> writes;
  void moduleWrote(TreeValue& value) noexcept override { ++writes[&value]; }
};

BareHost::BareHost() : state_(std::make_unique<HostState>()), loose_(std::make_unique<Loose>()) {
  HostState& s = *state_;
  s.setup.project.reset();
  // A run with nothing loaded: its connection, context, catalogue and panels.
  HostRun& run = s.run.emplace(s);
  run.context = IPtr<HostContext>::adopt(new HostContext(run.connection.shared()));
  s.report.registry = std::make_shared<DependencyRegistry>();
}

BareHost::~BareHost() {
  while (closeWindow()) {
  }
  closeProject();
  loose_->objects.clear();
  loose_->values.clear();
  // Whatever a test still holds answers as missing from here on.
  state_->endRun();
}

FUnknown* BareHost::context() const {
  return static_cast<Hox::IHostKernel*>(state_->run->context.get());
}

Hox::IHostKernel* BareHost::kernel() const { return state_->run->context.get(); }

void BareHost::setServiceEnabled(HostService service, bool enabled) {
  if (enabled) {
    state_->setup.withdrawn.erase(service);
  } else {
    state_->setup.withdrawn.insert(service);
  }
}

void BareHost::setLanguage(const std::string& code) {
  state_->setup.language = code;
  state_->setup.hostLanguage->setCode(code);
}

void BareHost::setTranslations(const std::vector<std::pair<std::string, std::string>>& table) {
  state_->setup.hostLanguage->setProjectTranslations(table);
}

void BareHost::setUserDialogs(UserDialogs* dialogs) { state_->setup.userDialogs = dialogs; }

long BareHost::kernelReferences(const Brennholt::FUID* only) const {
  HostState& s = *state_;
  long held = only ? 0 : heldBeyond(kernel(), 1);
  // Withdrawn services were handed out before they went: count them too.
  const std::set<HostService> withdrawn = std::exchange(s.setup.withdrawn, {});
  for (const Brennholt::FUID* iid : kKernelServices) {
    if (only && !only->matches(iid->bytes())) continue;
    FUnknown* service = nullptr;
    if (s.run->context->getService(iid->bytes(), reinterpret_cast<void**>(&service)) !=
        Brennholt::kResultOk) {
      continue;
    }
    held += heldBeyond(service, 2);  // the context's and the one just taken
    service->release();
  }
  s.setup.withdrawn = withdrawn;
  return held;
}

void BareHost::openProject(const ProjectDescription& description) {
  closeProject();
  state_->openModel(description);
}

void BareHost::closeProject() { state_->closeModel(); }

ProjectModel* BareHost::project() const { return state_->run->model.get(); }

TreeValue* BareHost::value(const std::string& object, const std::string& key) const {
  std::string ignored;
  return state_->run->model ? state_->run->model->findValue(object, key, &ignored) : nullptr;
}

void BareHost::deliver() { state_->deliverDependents(); }

int BareHost::dependents() const { return state_->report.registry->dependentCount(); }

long BareHost::treeReferences() const {
  // The project holds the one handle the host keeps on the tree; the loose items one each.
  const long own =
      (state_->run->model ? 1 : 0) + static_cast<long>(loose_->objects.size() + loose_->values.size());
  return static_cast<long>(state_->report.registry->outsideReferences()) - own;
}

TreeValue* BareHost::looseValue(const ValueSpec& spec, Brennholt::int32 tag) {
  IPtr<TreeValue> value = TreeValue::make(state_->report.registry, state_->setup.hostLanguage, spec, tag);
  value->setObserver(loose_.get());
  loose_->values.push_back(value);
  return value.get();
}

TreeObject* BareHost::looseObject(const std::string& name, const std::string& title,
                                  TreeObject::Role role) {
  loose_->objects.push_back(TreeObject::make(state_->report.registry, name, title, role));
  return loose_->objects.back().get();
}

int BareHost::writes(const TreeValue* value) const {
  auto found = loose_->writes.find(value);
  return found == loose_->writes.end() ? 0 : found->second;
}

std::size_t BareHost::projectListeners() const { return state_->run->projectListeners.size(); }
std::size_t BareHost::idleHandlers() const { return state_->run->idleHandlers.size(); }

void BareHost::idle() {
  // A copy: a handler may remove itself.
  const std::vector<Hox::IIdleHandler*> handlers = state_->run->idleHandlers;
  for (Hox::IIdleHandler* handler : handlers) {
    const auto& now = state_->run->idleHandlers;
    if (std::find(now.begin(), now.end(), handler) == now.end()) continue;
    handler->onIdle();
    deliver();
  }
}

std::uint32_t BareHost::clock() const { return state_->clock; }
void BareHost::setClock(std::uint32_t milliseconds) { state_->clock = milliseconds; }
void BareHost::advance(std::uint32_t milliseconds) { state_->clock += milliseconds; }
double BareHost::position() const { return state_->report.position; }
void BareHost::setPosition(double position) { state_->report.position = position; }

std::vector<HostWindow*> BareHost::windows() const {
  std::vector<HostWindow*> out;
  for (const auto& window : state_->run->panels.windows) {
    auto* own = static_cast<HostWindow*>(window.get());
    if (own->isOpen()) out.push_back(own);
  }
  return out;
}

HostWindow* BareHost::activeWindow() const {
  const std::vector<HostWindow*> open = windows();
  return open.empty() ? nullptr : open.back();
}

bool BareHost::closeWindow() {
  HostWindow* window = activeWindow();
  if (window == nullptr) return false;
  // The host's reference goes once the listeners were told and the window let go of the module.
  IPtr<Hox::IHostWindow> keep = IPtr<Hox::IHostWindow>::share(window);
  window->close();
  std::erase_if(state_->run->panels.windows,
                [&](const IPtr<Hox::IHostWindow>& w) { return w.get() == keep.get(); });
  deliver();
  return true;
}

const std::vector<std::string>& BareHost::panelProblems() const { return state_->report.panelProblems; }

std::vector<std::string> BareHost::registeredActions() const {
  std::vector<std::string> out;
  for (const auto& [category, name] : state_->run->catalogue.registered()) {
    out.push_back(std::string(category).append("/").append(name));
  }
  return out;
}

const std::vector<MenuEntry>& BareHost::menuEntries() const { return state_->run->panels.menuEntries; }

std::vector<std::pair<void*, std::string>> BareHost::skinPackages() const {
  std::vector<std::pair<void*, std::string>> out;
  for (const LoadedSkin& skin : state_->run->panels.skins) out.emplace_back(skin.module, skin.fileName);
  return out;
}

std::string BareHost::setting(const std::string& section, const std::string& key) const {
  const SettingsData::Value* value = state_->setup.settings.find(section, key);
  if (value == nullptr) return "<none>";
  if (const auto* number = std::get_if<std::int32_t>(value)) return std::to_string(*number);
  return std::get<std::string>(*value);
}

}  // namespace QentSim
