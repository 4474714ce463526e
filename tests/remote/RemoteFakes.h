// Small stand-ins for the host objects the remote core talks to, for what the reference host
// cannot reach from outside (exact call order, references, buffers in the channels).
#pragma once

#include <atomic>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "remote/channels/SysExChannel.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFormat.h"
#include "sdk/host/DeviceDetection.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/RemoteDevice.h"

namespace Brennholt::Testing {

using Bytes = std::vector<uint8>;

// The bytes of a message, as many as it says it has.
inline Bytes messageBytes(const SysExPtr& message) {
  return Bytes(message.get(), message.get() + message.size());
}

// Takes every message out of a channel (as its consumer would) and frees it.
inline std::vector<Bytes> takeAll(SysExChannel& channel) {
  std::vector<Bytes> out;
  channel.lock();
  while (channel.count() > 0) out.push_back(messageBytes(channel.takeFront()));
  channel.unlock();
  return out;
}

// A reference-counted test object that lives on the stack or in a fixture and is never
// deleted; the count shows whether every reference handed out came back.
template <class... Interfaces>
class Counted : public Interfaces... {
 public:
  uint32 addRef() noexcept override { return ++refs; }
  uint32 release() noexcept override { return --refs; }
  std::atomic<uint32> refs{1};
};

class FakeBindingTarget : public Counted<Hox::IBindingTarget> {
 public:
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  tresult addPage(const char* page) noexcept override {
    calls.push_back(std::string("page ") + page);
    return kResultOk;
  }
  tresult bindValue(const char* page, const char* element, const char* object, int32 selector,
                    const char* value, int32 flags) noexcept override {
    calls.push_back(std::string("value ") + page + "|" + element + "|" + object + "|" +
                    std::to_string(selector) + "|" + value + "|" + std::to_string(flags));
    return kResultOk;
  }
  tresult bindCommand(const char* page, const char* element, const char* category,
                      const char* command, int32 flags) noexcept override {
    calls.push_back(std::string("command ") + page + "|" + element + "|" + category + "|" +
                    command + "|" + std::to_string(flags));
    return kResultOk;
  }
  tresult findFunction(const char*, const char*, int32, int32,
                       Hox::IHostFunction** function) noexcept override {
    *function = nullptr;
    return kResultFalse;
  }
  std::vector<std::string> calls;
};

// The host's side of one remote device; records what the remote does through it.
class FakeHostLink : public Hox::IRemoteHostLink {
 public:
  tresult setOption(uint32 code, int32 value) noexcept override {
    options.emplace_back(code, value);
    return kResultOk;
  }
  tresult onActivate() noexcept override { return kResultOk; }
  tresult onDeactivate() noexcept override { return kResultOk; }
  tresult forwardedQuery() noexcept override { return kResultOk; }
  Hox::IBindingTarget* getBindingTarget(const char* name) noexcept override {
    if (!target || std::strcmp(name, "Mixer") != 0) return nullptr;
    target->addRef();
    return target;
  }
  tresult defaultSysEx(Hox::SysExHandle) noexcept override {
    ++defaultSysExCalls;
    return kResultOk;
  }
  const uint8* sysExBytes(Hox::SysExHandle message, int32* length) noexcept override {
    auto* bytes = static_cast<const Bytes*>(message);
    *length = static_cast<int32>(bytes->size());
    return bytes->data();
  }
  tresult defaultElementValue(int32 element, int32 value) noexcept override {
    defaults.emplace_back(element, value);
    return kResultOk;
  }
  tresult setElementValue(const Hox::ElementRecord* record, int32 element,
                          int32 value) noexcept override {
    lamps.emplace_back(record ? record->name : "", element, value);
    return kResultOk;
  }
  tresult sendSysEx(const uint8* message, int32 length) noexcept override {
    sent.emplace_back(message, message + length);
    return kResultOk;
  }
  tresult showText(const char* text) noexcept override {
    texts.emplace_back(text);
    return kResultOk;
  }
  tresult addElement(const Hox::ElementRecord* record) noexcept override {
    elements.push_back(record);
    return kResultOk;
  }

  struct Lamp {
    Lamp(std::string n, int32 e, int32 v) : name(std::move(n)), element(e), value(v) {}
    std::string name;
    int32 element;
    int32 value;
    bool operator==(const Lamp&) const = default;
  };

  FakeBindingTarget* target = nullptr;
  std::vector<std::pair<uint32, int32>> options;
  std::vector<const Hox::ElementRecord*> elements;
  std::vector<std::pair<int32, int32>> defaults;
  std::vector<Lamp> lamps;
  std::vector<Bytes> sent;
  std::vector<std::string> texts;
  int defaultSysExCalls = 0;
};

// A kernel offering whatever services a test puts into it.
class FakeKernel : public Counted<Hox::IHostKernel> {
 public:
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  tresult getService(const TUID iid, void** service) noexcept override {
    for (auto& [id, object] : services) {
      if (id.matches(iid)) {
        object->addRef();
        *service = object;
        return kResultOk;
      }
    }
    *service = nullptr;
    return kNoInterface;
  }
  // `object` must be the interface pointer of the service named by iid.
  void offer(const FUID& iid, FUnknown* object) { services.emplace_back(iid, object); }

  std::vector<std::pair<FUID, FUnknown*>> services;
};

}  // namespace Brennholt::Testing
