#include "sim/host/midi/HostLink.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/NoThrow.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

const char kDefaultPage[] = "Default";

}  // namespace

// A host function the module assigns parameters to. Cut off from its link when the link goes.
class HostFunction final : public HostObject<IHostFunction> {
 public:
  HostFunction(HostLink* link, std::string name) : link_(link), name_(std::move(name)) {}

  tresult assignParameter(const char* parameterName, const char* elementName,
                          const char* pageName) noexcept override {
    if (link_ == nullptr) return kResultFalse;
    if (parameterName == nullptr || elementName == nullptr || pageName == nullptr) {
      return kInvalidArgument;
    }
    return answerSafely(kOutOfMemory, [&] {
      BindingInfo binding;
      binding.kind = BindingInfo::kFunction;
      binding.page = pageName;
      binding.element = elementName;
      binding.object = name_;
      binding.value = parameterName;
      link_->declareBinding(std::move(binding));
      return kResultOk;
    });
  }
  tresult setAttribute(const char* attribute) noexcept override {
    if (link_ == nullptr) return kResultFalse;
    if (attribute == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      link_->declareAttribute(name_, attribute);
      return kResultOk;
    });
  }
  void disconnect() { link_ = nullptr; }

 private:
  HostLink* link_;
  std::string name_;
};

// The "Mixer" binding target of one link.
class BindingTarget final : public HostObject<IBindingTarget> {
 public:
  BindingTarget(HostLink* link, bool offersFunctions)
      : link_(link), offersFunctions_(offersFunctions) {}

  tresult addPage(const char* pageName) noexcept override {
    if (link_ == nullptr) return kResultFalse;
    if (pageName == nullptr) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      link_->declarePage(pageName);
      return kResultOk;
    });
  }
  tresult bindValue(const char* pageName, const char* elementName, const char* objectName,
                    int32 channelSelector, const char* valueName, int32 flags) noexcept override {
    if (link_ == nullptr) return kResultFalse;
    if (!pageName || !elementName || !objectName || !valueName) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      BindingInfo binding;
      binding.kind = BindingInfo::kValue;
      binding.page = pageName;
      binding.element = elementName;
      binding.object = objectName;
      binding.selector = channelSelector;
      binding.value = valueName;
      binding.flags = flags;
      link_->declareBinding(std::move(binding));
      return kResultOk;
    });
  }
  tresult bindCommand(const char* pageName, const char* elementName, const char* category,
                      const char* commandName, int32 flags) noexcept override {
    if (link_ == nullptr) return kResultFalse;
    if (!pageName || !elementName || !category || !commandName) return kInvalidArgument;
    return answerSafely(kOutOfMemory, [&] {
      BindingInfo binding;
      binding.kind = BindingInfo::kCommand;
      binding.page = pageName;
      binding.element = elementName;
      binding.category = category;
      binding.command = commandName;
      binding.flags = flags;
      link_->declareBinding(std::move(binding));
      return kResultOk;
    });
  }
  tresult findFunction(const char* name, const char* category, int32, int32,
                       IHostFunction** function) noexcept override {
    if (function == nullptr) return kInvalidArgument;
    *function = nullptr;
    if (link_ == nullptr || name == nullptr || category == nullptr) return kResultFalse;
    bool known = (std::strcmp(name, "Jog") == 0 && std::strcmp(category, "Wheel") == 0) ||
                 (std::strcmp(name, "HoverKnob") == 0 && std::strcmp(category, "Encoder") == 0);
    if (!known || !offersFunctions_) return kResultFalse;
    return answerSafely(kOutOfMemory, [&] {
      auto* made = new (std::nothrow) HostFunction(link_, name);
      if (made == nullptr) return kOutOfMemory;
      // Freed again when the list cannot take it.
      IPtr<HostFunction> owned = IPtr<HostFunction>::adopt(made);
      // The list's reference, to cut the function off with the link, and the caller's.
      functions.push_back(owned);
      made->addRef();
      *function = made;
      return kResultOk;
    });
  }
  void disconnect() {
    link_ = nullptr;
    for (auto& f : functions) f->disconnect();
  }

  std::vector<IPtr<HostFunction>> functions;  // handed out, cut off with the link

 private:
  HostLink* link_;
  bool offersFunctions_;
};

HostLink::HostLink(Connection connection, RemoteDevice* device)
    : connection_(std::move(connection)), device_(device) {}

HostLink::~HostLink() {
  if (mixerTarget_) mixerTarget_->disconnect();
}

tresult HostLink::setOption(uint32 code, int32 value) noexcept {
  if (HostState* s = host()) s->touch();
  return answerSafely(kOutOfMemory, [&] {
    options_[code] = value;
    return kResultOk;
  });
}

tresult HostLink::onActivate() noexcept {
  active_ = true;
  noteState("active");
  return kResultOk;
}

tresult HostLink::onDeactivate() noexcept {
  active_ = false;
  noteState("inactive");
  return kResultOk;
}

void HostLink::noteState(const char* state) noexcept {
  HostState* s = host();
  if (s == nullptr) return;
  s->touch();
  // The log line is only what the host records; the device's state has changed either way.
  answerSafely(false, [&] {
    s->note("device " + std::to_string(s->deviceNumber(*device_)) + " " + state);
    return true;
  });
}

tresult HostLink::forwardedQuery() noexcept { return kResultOk; }

IBindingTarget* HostLink::getBindingTarget(const char* name) noexcept {
  HostState* s = host();
  if (s == nullptr || name == nullptr || std::strcmp(name, "Mixer") != 0 ||
      !s->offers(HostService::kMixerTarget)) {
    return nullptr;
  }
  if (!mixerTarget_) {
    auto* made = new (std::nothrow) BindingTarget(this, s->offers(HostService::kHostFunctions));
    if (made == nullptr) return nullptr;
    mixerTarget_ = IPtr<BindingTarget>::adopt(made);
  }
  mixerTarget_->addRef();
  return mixerTarget_.get();
}

tresult HostLink::defaultSysEx(SysExHandle) noexcept {
  if (HostState* s = host()) s->touch();
  return kResultOk;
}

const uint8* HostLink::sysExBytes(SysExHandle message, int32* length) noexcept {
  if (length) *length = 0;
  if (message == nullptr || message != incomingSysEx_ || incomingSysEx_->empty()) return nullptr;
  if (length) *length = static_cast<int32>(incomingSysEx_->size());
  return incomingSysEx_->data();
}

tresult HostLink::defaultElementValue(int32 element, int32 value) noexcept {
  HostState* s = host();
  if (s == nullptr) return kResultFalse;
  s->touch();
  if (element < 0 || static_cast<std::size_t>(element) >= elements_.size()) {
    return kInvalidArgument;
  }
  return answerSafely(kOutOfMemory, [&] { return runBinding(s, element, value); });
}

tresult HostLink::runBinding(HostState* s, int32 element, int32 value) {
  const std::string& name = elements_[static_cast<std::size_t>(element)].name;
  // The active mode page first; "Default" always applies after it.
  const BindingInfo* binding = modePage_.empty() ? nullptr : findBinding(modePage_, name);
  if (binding == nullptr) binding = findBinding(kDefaultPage, name);
  if (binding == nullptr) return kResultFalse;
  // Copy: running the binding may declare or switch pages.
  const BindingInfo run = *binding;
  bool press = value > 0;
  switch (run.kind) {
    case BindingInfo::kValue:
      if (!press) break;
      if (run.object == "Transport") {
        s->pressTransport(run.value);
      } else if (run.object == "Mixer") {
        int& stored = s->mixerValues[run.value];
        stored = stored ? 0 : 1;
      }
      break;
    case BindingInfo::kCommand:
      if (press) s->executeCommand(run.category, run.command, this);
      break;
    case BindingInfo::kFunction:
      s->parameterValue(run.object, run.value, value);
      break;
  }
  return kResultOk;
}

tresult HostLink::setElementValue(const ElementRecord* record, int32, int32 value) noexcept {
  if (record == nullptr) return kInvalidArgument;
  uint8 data = static_cast<uint8>(std::clamp<int32>(value, 0, 127));
  try {
    return queueOut({record->status, static_cast<uint8>(record->number & 0x7F), data})
               ? kResultOk
               : kOutOfMemory;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

tresult HostLink::sendSysEx(const uint8* message, int32 length) noexcept {
  if (message == nullptr || length < 2 || message[0] != 0xF0 || message[length - 1] != 0xF7) {
    return kInvalidArgument;
  }
  try {
    return queueOut(std::vector<uint8>(message, message + length)) ? kResultOk : kOutOfMemory;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

tresult HostLink::showText(const char* text) noexcept {
  HostState* s = host();
  if (s == nullptr) return kResultFalse;
  if (text == nullptr) return kInvalidArgument;
  s->touch();
  return answerSafely(kOutOfMemory, [&] {
    lastShownText_ = text;
    s->lastShownText = text;
    // The dial's mode names are pages of this device: showing one asks the host to switch to it.
    if (lastShownText_ != kDefaultPage &&
        std::find(pages_.begin(), pages_.end(), lastShownText_) != pages_.end()) {
      switchPage(lastShownText_);
    }
    return kResultOk;
  });
}

tresult HostLink::addElement(const ElementRecord* record) noexcept {
  if (record == nullptr) return kInvalidArgument;
  if (HostState* s = host()) s->touch();
  return answerSafely(kOutOfMemory, [&] {
    ElementInfo info;
    info.name = record->name ? record->name : "";
    info.status = record->status;
    info.number = record->number;
    info.maxValue = record->maxValue;
    info.flags = record->flags;
    // Both lists or neither, so an element index means the same in each.
    records_.reserve(records_.size() + 1);
    elements_.push_back(std::move(info));
    records_.push_back(record);
    return kResultOk;
  });
}

bool HostLink::receive(IHWRemote* remote, const std::vector<uint8>& message) {
  if (remote == nullptr || message.empty()) return false;
  const uint8* bytes = message.data();
  if (bytes[0] == 0xF0) {
    incomingSysEx_ = &message;
    remote->onSysEx(&message);
    incomingSysEx_ = nullptr;
    return true;
  }
  if (message.size() < 3) return false;
  uint8 status = bytes[0];
  int32 value = bytes[2] & 0x7F;
  if ((status & 0xF0) == 0x80) {  // note-off: the note-on element with value 0
    status = static_cast<uint8>(0x90 | (status & 0x0F));
    value = 0;
  } else if ((status & 0xF0) != 0x90 && (status & 0xF0) != 0xB0) {
    return false;
  }
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (elements_[i].status == status && elements_[i].number == (bytes[1] & 0x7F)) {
      remote->onElementValue(static_cast<int32>(i), value);
      return true;
    }
  }
  return false;
}

std::vector<std::vector<uint8>> HostLink::takeOutbound() {
  std::lock_guard<std::mutex> guard(outLock_);
  return std::exchange(outbound_, {});
}

void HostLink::switchPage(const std::string& name) {
  modePage_ = name == kDefaultPage ? std::string() : name;
  pageReports_.push_back(name);
  if (HostState* s = host()) s->touch();
}

bool HostLink::takePageReport(std::string* name) {
  if (pageReports_.empty()) return false;
  *name = std::move(pageReports_.front());
  pageReports_.pop_front();
  return true;
}

void HostLink::feedTransport(IHWRemote* remote, bool playing, bool recording) {
  if (remote == nullptr) return;
  // Collect first: feedback may come back into this link (setElementValue).
  std::vector<std::pair<int, int32>> feed;
  for (const BindingInfo& b : bindings_) {
    if (b.kind != BindingInfo::kValue || b.object != "Transport") continue;
    int index = elementIndex(b.element);
    if (index < 0) continue;
    if (b.value == "start") feed.emplace_back(index, playing ? 127 : 0);
    if (b.value == "record") feed.emplace_back(index, recording ? 127 : 0);
  }
  for (auto [index, value] : feed) {
    remote->onElementFeedback(records_[static_cast<std::size_t>(index)], index, value);
  }
}

void HostLink::declarePage(const std::string& name) {
  if (std::find(pages_.begin(), pages_.end(), name) == pages_.end()) pages_.push_back(name);
}

void HostLink::declareBinding(BindingInfo binding) { bindings_.push_back(std::move(binding)); }

void HostLink::declareAttribute(const std::string& function, const std::string& attribute) {
  attributes_.emplace_back(function, attribute);
}

bool HostLink::option(uint32 code, int* value) const {
  auto found = options_.find(code);
  if (found == options_.end()) return false;
  if (value) *value = found->second;
  return true;
}

const BindingInfo* HostLink::findBinding(const std::string& page,
                                         const std::string& element) const {
  for (const BindingInfo& b : bindings_) {
    if (b.page == page && b.element == element) return &b;
  }
  return nullptr;
}

int HostLink::elementIndex(const std::string& name) const {
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (elements_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

bool HostLink::queueOut(std::vector<uint8> message) noexcept {
  try {
    std::lock_guard<std::mutex> guard(outLock_);
    outbound_.push_back(std::move(message));
  } catch (const std::exception&) {
    return false;
  }
  // Atomic: this may run on the remote's worker thread.
  if (HostState* s = host()) s->touch();
  return true;
}

}  // namespace QentSim
