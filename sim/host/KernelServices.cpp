#include "sim/host/KernelServices.h"

#include <algorithm>
#include <new>

#include "sim/host/DeviceRegistry.h"
#include "sim/host/HostText.h"
#include "sim/host/NoThrow.h"

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
      auto& list = s->idleHandlers;
      if (std::find(list.begin(), list.end(), handler) == list.end()) list.push_back(handler);
      s->note("idle handler added");
      return kResultOk;
    });
  }
  tresult removeIdleHandler(IIdleHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    auto& list = s->idleHandlers;
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
      auto& list = s->projectListeners;
      if (std::find(list.begin(), list.end(), listener) == list.end()) list.push_back(listener);
      s->note("project notification added");
      return kResultOk;
    });
  }
  tresult removeProjectNotification(IProjectNotification* listener) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    auto& list = s->projectListeners;
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
    return s ? s->project.get() : nullptr;
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
    return s ? s->position : 0;
  }
};

class CommandCatalogue final : public HostObject<ICommandCatalogue>, ServicePart {
 public:
  using Interface = ICommandCatalogue;
  using ServicePart::ServicePart;
  tresult registerAction(const char* category, const char* name) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (category == nullptr || name == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      std::pair<std::string, std::string> action(category, name);
      auto& list = s->registeredActions;
      if (std::find(list.begin(), list.end(), action) == list.end())
        list.push_back(std::move(action));
      return kResultOk;
    });
  }
  tresult unregisterAction(const char* category, const char* name) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (category == nullptr || name == nullptr) return kInvalidArgument;
    auto& list = s->registeredActions;
    auto found = std::find_if(list.begin(), list.end(), [category, name](const auto& action) {
      return action.first == category && action.second == name;
    });
    if (found == list.end()) return kResultFalse;
    list.erase(found);
    return kResultOk;
  }
  tresult setActionHandler(IActionHandler* handler) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    s->actionHandler = handler;
    return kResultOk;
  }
  tresult executeCommand(const char* category, const char* name) noexcept override {
    SimHost::State* s = host();
    if (s == nullptr) return kResultFalse;
    if (category == nullptr || name == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] { return s->executeCommand(category, name, nullptr); });
  }
};

template <class Service>
bool offer(const TUID iid, void** out, const Connection& connection) {
  if (!Service::Interface::iid.matches(iid)) return false;
  auto* made = new (std::nothrow) Service(connection);
  *out = made ? static_cast<typename Service::Interface*>(made) : nullptr;
  return true;
}

}  // namespace

HostContext::HostContext(Connection connection) : connection_(std::move(connection)) {
  if (SimHost::State* s = connection_->state) {
    product_ = toUtf16(s->product);
    version_ = toUtf16(s->version);
    build_ = toUtf16(s->build);
  }
}

tresult HostContext::getService(const TUID iid, void** service) noexcept {
  if (service == nullptr) return kInvalidArgument;
  *service = nullptr;
  SimHost::State* s = connection_ ? connection_->state : nullptr;
  if (s == nullptr || iid == nullptr) return kNoInterface;
  const Connection& c = connection_;
  bool found = false;
  if (s->offers(HostService::kIdle)) found = offer<IdleService>(iid, service, c);
  if (!found && s->offers(HostService::kProject)) found = offer<ProjectService>(iid, service, c);
  if (!found && s->offers(HostService::kHostState))
    found = offer<HostStateService>(iid, service, c);
  if (!found && s->offers(HostService::kTransportPosition))
    found = offer<TransportPosition>(iid, service, c);
  if (!found && s->offers(HostService::kCommandCatalogue))
    found = offer<CommandCatalogue>(iid, service, c);
  if (!found && s->offers(HostService::kMidiPortList)) found = offer<MidiPortList>(iid, service, c);
  if (!found && s->offers(HostService::kDeviceRegistry))
    found = offer<DeviceRegistry>(iid, service, c);
  if (!found) return kNoInterface;
  return *service != nullptr ? kResultOk : kOutOfMemory;
}

}  // namespace QentSim
