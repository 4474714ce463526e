#include "sim/host/KernelServices.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <new>

#include "sdk/host/CommandServices.h"
#include "sdk/host/HostObjects.h"
#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/panels/GuiValues.h"
#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"
#include "sim/host/panels/PanelRegistry.h"
#include "sim/host/services/SetupObjects.h"
#include "sim/host/project/TreeObject.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

// Base of the services: the host they reach, or null after shutdown.
class ServicePart {
 public:
  explicit ServicePart(Connection connection) : connection_(std::move(connection)) {}

 protected:
  SimHost::State* host() const { return connection_ ? connection_->state : nullptr; }

 private:
  Connection connection_;
};

class IdleService final : public HostObject<IIdleService>, ServicePart {
 public:
  using Interface = IIdleService;
  using ServicePart::ServicePart;
  tresult addIdleHandler(IIdleHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (handler == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      auto& list = s->run->idleHandlers;
      if (std::find(list.begin(), list.end(), handler) == list.end()) list.push_back(handler);
      s->note("idle handler added");
      return kResultOk;
    });
  }
  tresult removeIdleHandler(IIdleHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    auto& list = s->run->idleHandlers;
    auto found = std::find(list.begin(), list.end(), handler);
    if (found == list.end()) return kResultFalse;
    list.erase(found);
    // Removed whether or not the log can take the line.
    answerSafely(false, [s] {
      s->note("idle handler removed");
      return true;
    });
    return kResultOk;
  }
  uint32 currentTime() noexcept override {
    SimHost::State* s = host();
    return s ? s->clock : 0;
  }
};

class ProjectService final : public HostObject<IProjectService>, ServicePart {
 public:
  using Interface = IProjectService;
  using ServicePart::ServicePart;
  tresult addProjectNotification(IProjectNotification* listener) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (listener == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      auto& list = s->run->projectListeners;
      if (std::find(list.begin(), list.end(), listener) == list.end()) list.push_back(listener);
      s->note("project notification added");
      return kResultOk;
    });
  }
  tresult removeProjectNotification(IProjectNotification* listener) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    auto& list = s->run->projectListeners;
    auto found = std::find(list.begin(), list.end(), listener);
    if (found == list.end()) return kResultFalse;
    list.erase(found);
    // Removed whether or not the log can take the line.
    answerSafely(false, [s] {
      s->note("project notification removed");
      return true;
    });
    return kResultOk;
  }
  FUnknown* activeProject() noexcept override {
    SimHost::State* s = host();
    return s ? s->activeProject() : nullptr;
  }
};

class HostStateService final : public HostObject<IHostStateService>, ServicePart {
 public:
  using Interface = IHostStateService;
  using ServicePart::ServicePart;
  bool isShutdownAllowed() noexcept override { return true; }
};

class TransportPosition final : public HostObject<ITransportPosition>, ServicePart {
 public:
  using Interface = ITransportPosition;
  using ServicePart::ServicePart;
  double currentPosition() noexcept override {
    SimHost::State* s = host();
    return s ? s->report.position : 0;
  }
};

class ObjectTreeService final : public HostObject<IObjectTreeService>, ServicePart {
 public:
  using Interface = IObjectTreeService;
  using ServicePart::ServicePart;
  tresult getRoot(IHostObject** root) noexcept override {
    SimHost::State* s = host();
    return handOut(s && s->run->model ? s->run->model->root() : nullptr, root);
  }
  tresult getInstrumentList(IHostObject** list) noexcept override {
    SimHost::State* s = host();
    return handOut(s && s->run->model ? s->run->model->instrumentList() : nullptr, list);
  }

 private:
  static tresult handOut(TreeObject* object, IHostObject** out) noexcept {
    if (out == nullptr) return kInvalidArgument;
    *out = object;
    if (object == nullptr) return kResultFalse;
    object->addRef();
    return kResultOk;
  }
};

class DependencyService final : public HostObject<IDependencyService>, ServicePart {
 public:
  using Interface = IDependencyService;
  using ServicePart::ServicePart;
  tresult addDependent(FUnknown* object, IDependent* dependent) noexcept override {
    SimHost::State* s = host();
    return s && s->report.registry ? s->report.registry->add(object, dependent) : kResultFalse;
  }
  tresult removeDependent(FUnknown* object, IDependent* dependent) noexcept override {
    SimHost::State* s = host();
    return s && s->report.registry ? s->report.registry->remove(object, dependent) : kResultFalse;
  }
};

class Translator final : public HostObject<ITranslator>, ServicePart {
 public:
  using Interface = ITranslator;
  using ServicePart::ServicePart;
  tresult translate(const char16* english, char16* text, int32 capacity) noexcept override {
    if (english == nullptr || text == nullptr || capacity < 1) return kInvalidArgument;
    text[0] = 0;
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    try {
      // In English the translation is the word itself: keep it while it is written out.
      const std::string word = toUtf8(english);
      std::string_view translated;
      if (!s->setup.hostLanguage->translate(word, &translated)) return kResultFalse;
      return writeUtf16(translated, text, capacity, capacity);
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
  }
  // The host reads no translation tables from modules.
  tresult registerTable(void*, const char16*, const char16*) noexcept override {
    return kResultFalse;
  }
  tresult getLanguage(char16* code, int32 capacity) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    return writeUtf16(s->setup.hostLanguage->code(), code, capacity, capacity);
  }
};

// Texts the module hands over, as the host's 8-bit names; false for a null text.
bool fromModule(const char16* text, std::string* out) noexcept {
  if (text == nullptr) return false;
  try {
    *out = toUtf8(text);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

tresult writeName(const std::string* name, char16* out, int32 capacity) noexcept {
  if (out == nullptr || capacity < 1) return kInvalidArgument;
  out[0] = 0;
  if (name == nullptr) return kResultFalse;
  return writeUtf16(*name, out, capacity, capacity);
}

class CommandCatalogueService final : public HostObject<ICommandCatalogue>, ServicePart {
 public:
  using Interface = ICommandCatalogue;
  using ServicePart::ServicePart;
  int32 categoryIndex(const char16* category) noexcept override {
    SimHost::State* s = host();
    std::string name;
    if (s == nullptr || !fromModule(category, &name)) return -1;
    return s->run->catalogue.categoryIndex(name);
  }
  tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept override {
    SimHost::State* s = host();
    return writeName(s ? s->run->catalogue.categoryName(index) : nullptr, name, capacity);
  }
  int32 commandCount(int32 category) noexcept override {
    SimHost::State* s = host();
    return s ? s->run->catalogue.commandCount(category) : 0;
  }
  int32 commandIndex(int32 category, const char16* command) noexcept override {
    SimHost::State* s = host();
    std::string name;
    if (s == nullptr || !fromModule(command, &name)) return -1;
    return s->run->catalogue.commandIndex(category, name);
  }
  tresult getCommandName(int32 category, int32 index, char16* name,
                         int32 capacity) noexcept override {
    SimHost::State* s = host();
    return writeName(s ? s->run->catalogue.commandName(category, index) : nullptr, name, capacity);
  }
  tresult executeCommand(const char16* category, const char16* command) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    std::string c, n;
    if (!fromModule(category, &c) || !fromModule(command, &n)) return kInvalidArgument;
    return s->executeCommand(c, n, nullptr);
  }
  tresult registerCommand(const char16* category, const char16* command) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    std::string c, n;
    if (!fromModule(category, &c) || !fromModule(command, &n) || c.empty() || n.empty())
      return kInvalidArgument;
    try {
      return s->run->catalogue.registerCommand(c, n) ? kResultOk : kResultFalse;
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
  }
  tresult unregisterCommand(const char16* category, const char16* command) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    std::string c, n;
    if (!fromModule(category, &c) || !fromModule(command, &n)) return kInvalidArgument;
    try {
      return s->run->catalogue.unregisterCommand(c, n) ? kResultOk : kResultFalse;
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
  }
  tresult addActionHandler(IActionHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (handler == nullptr) return kInvalidArgument;
    try {
      return s->run->catalogue.addHandler(handler) ? kResultOk : kResultFalse;
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
  }
  tresult removeActionHandler(IActionHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    return s->run->catalogue.removeHandler(handler) ? kResultOk : kResultFalse;
  }
};

class CommandCategoryList final : public HostObject<ICommandCategoryList>, ServicePart {
 public:
  using Interface = ICommandCategoryList;
  using ServicePart::ServicePart;
  int32 categoryCount() noexcept override {
    SimHost::State* s = host();
    return s ? s->run->catalogue.categoryCount() : 0;
  }
  tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept override {
    SimHost::State* s = host();
    return writeName(s ? s->run->catalogue.categoryName(index) : nullptr, name, capacity);
  }
};

// The service object for `iid` if it is this Service: the one made on the first request and
// kept in `kept`, with a reference for the caller. A host hands out the same service each time,
// and asking for one costs no allocation after the first.
template <class Service>
bool offer(const TUID iid, void** out, const Connection& connection, FUnknown*& kept) {
  using Interface = typename Service::Interface;
  if (!Interface::iid.matches(iid)) return false;
  if (kept == nullptr) {
    if (auto* made = new (std::nothrow) Service(connection)) kept = static_cast<Interface*>(made);
  }
  if (kept != nullptr) kept->addRef();
  *out = kept != nullptr ? static_cast<Interface*>(kept) : nullptr;
  return true;
}

}  // namespace

HostContext::~HostContext() {
  for (FUnknown*& service : services_) {
    if (service != nullptr) service->release();
    service = nullptr;
  }
}

HostContext::HostContext(Connection connection) : connection_(std::move(connection)) {
  if (SimHost::State* s = connection_->state) {
    product_ = toUtf16(s->setup.product);
    version_ = toUtf16(s->setup.version);
    build_ = toUtf16(s->setup.build);
  }
}

tresult HostContext::getService(const TUID iid, void** service) noexcept {
  if (service == nullptr) return kInvalidArgument;
  *service = nullptr;
  SimHost::State* s = connection_ ? connection_->state : nullptr;
  if (s == nullptr || iid == nullptr) return kNoInterface;
  const Connection& c = connection_;
  bool found = false;
  if (s->offers(HostService::kIdle)) found = offer<IdleService>(iid, service, c, services_[0]);
  if (!found && s->offers(HostService::kProject))
    found = offer<ProjectService>(iid, service, c, services_[1]);
  if (!found && s->offers(HostService::kHostState))
    found = offer<HostStateService>(iid, service, c, services_[2]);
  if (!found && s->offers(HostService::kTransportPosition))
    found = offer<TransportPosition>(iid, service, c, services_[3]);
  if (!found && s->offers(HostService::kCommandCatalogue))
    found = offer<CommandCatalogueService>(iid, service, c, services_[4]);
  if (!found && s->offers(HostService::kCommandCategoryList))
    found = offer<CommandCategoryList>(iid, service, c, services_[5]);
  if (!found && s->offers(HostService::kObjectTree))
    found = offer<ObjectTreeService>(iid, service, c, services_[6]);
  if (!found && s->offers(HostService::kDependency))
    found = offer<DependencyService>(iid, service, c, services_[7]);
  if (!found && s->offers(HostService::kTranslator))
    found = offer<Translator>(iid, service, c, services_[8]);
  if (!found && s->offers(HostService::kMidiPortList))
    found = offer<MidiPortList>(iid, service, c, services_[9]);
  if (!found && s->offers(HostService::kDeviceRegistry))
    found = offer<DeviceRegistry>(iid, service, c, services_[10]);
  if (!found && s->offers(HostService::kPanelRegistry))
    found = offer<PanelRegistry>(iid, service, c, services_[11]);
  if (!found && s->offers(HostService::kDevicesMenu))
    found = offer<DevicesMenu>(iid, service, c, services_[12]);
  if (!found) return kNoInterface;
  return *service != nullptr ? kResultOk : kOutOfMemory;
}

}  // namespace QentSim

namespace QentSim {

Brennholt::tresult HostContext::createInstance(const Brennholt::TUID classId,
                                               const Brennholt::TUID iid, void** object) noexcept {
  using namespace Brennholt;
  if (object == nullptr) return kInvalidArgument;
  *object = nullptr;
  if (classId == nullptr || iid == nullptr) return kNoInterface;
  if (Hox::ITranslator::iid.matches(classId)) {
    if (!Hox::ITranslator::iid.matches(iid)) return kNoInterface;
    return getService(classId, object);
  }
  tresult made = kNoInterface;
  if (createGuiValue(connection_, classId, iid, object, &made)) return made;
  return createSetupObject(connection_, classId, iid, object);
}

}  // namespace QentSim
