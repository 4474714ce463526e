// A stand-in keyboard module for the simulated host's tests: a service, a detector and a remote
// with a small element table, written against the host interfaces only. It records every host
// call it receives, one line each, and the test reads the record through stubEvents; through
// stubKernel a test reaches the host's services as the module does.
//
// The remote passes element values straight to the host's binding, echoes each SysEx back to
// the device, and feeds lamps through, so both directions of the host link show.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "sdk/IPluginFactory.h"
#include "sdk/host/DeviceDetection.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostServices.h"
#include "sdk/host/RemoteDevice.h"
#include "sim/host/kit/HostObject.h"

#if defined(_WIN32)
#define STUB_EXPORT extern "C"
#else
#define STUB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace Brennholt;
using namespace Brennholt::Hox;
using QentSim::HostObject;

namespace {

constexpr FUID kServiceClass = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");
constexpr FUID kRemoteClass = FUID::fromMemoryHex("75F1DCF830A7E54BA1DE1553899D2504");
constexpr FUID kDetectorClass = FUID::fromMemoryHex("8714DCA0BA74F14BA71252FF31B9F1BC");

std::string events;
IHostKernel* kernel = nullptr;  // held by the service between initialize and terminate

void record(const std::string& line) { events += line + "\n"; }

const ElementRecord kElements[] = {
    {"Knob", 0xB0, 0, 16, 127, 5},      {"Play", 0x90, 0, 94, 127, 0x23},
    {"Record", 0x90, 0, 95, 127, 0x23}, {"Stop", 0x90, 0, 93, 127, 1},
    {"Dial", 0xB0, 0, 60, 127, 5},      {"Top", 0x90, 0, 88, 127, 1},
    {"Mute", 0x90, 0, 16, 127, 1},
};

class Service final : public HostObject<IPluginBase, IIdleHandler> {
 public:
  tresult initialize(FUnknown* context) noexcept override {
    IPtr<IHostKernel> k = Brennholt::queryInterface<IHostKernel>(context);
    IPtr<IHostInformation> info = Brennholt::queryInterface<IHostInformation>(context);
    std::string product;
    for (const char16* p = info ? info->productName() : nullptr; p && *p; ++p) {
      product.push_back(static_cast<char>(*p));
    }
    record("service initialize " + product);
    if (!k || product == "Refused") return kResultFalse;
    kernel = k.get();
    kernel->addRef();
    if (auto idle = getService<IIdleService>(kernel)) idle->addIdleHandler(this);
    return kResultOk;
  }
  tresult terminate() noexcept override {
    record("service terminate");
    if (kernel == nullptr) return kResultOk;
    if (auto idle = getService<IIdleService>(kernel)) idle->removeIdleHandler(this);
    kernel->release();
    kernel = nullptr;
    return kResultOk;
  }
  void onIdle() noexcept override {
    if (auto idle = getService<IIdleService>(kernel)) {
      record("idle " + std::to_string(idle->currentTime()));
    }
  }
};

class Remote final : public HostObject<IHWRemote> {
 public:
  tresult initialize(FUnknown*) noexcept override { return kResultOk; }
  tresult terminate() noexcept override {
    record("remote terminate");
    return kResultOk;
  }
  bool attach(IRemoteHostLink* link) noexcept override {
    record("remote attach");
    if (kernel == nullptr) return false;
    link_ = link;
    for (const ElementRecord& element : kElements) link_->addElement(&element);
    IBindingTarget* target = link_->getBindingTarget("Mixer");
    if (target == nullptr) return true;
    target->addPage("Default");
    target->bindValue("Default", "Play", "Transport", -1, "start", 0x201);
    target->bindValue("Default", "Stop", "Transport", -1, "stop", 0x201);
    target->bindValue("Default", "Record", "Transport", -1, "record", 0x301);
    target->bindValue("Default", "Mute", "Mixer", -2, "mute", 0x301);
    target->bindCommand("Default", "Top", "Transport", "Return to Zero", 1);
    target->addPage("Jog Mode");
    target->bindCommand("Jog Mode", "Top", "Remote", "Hover Knob Mode", 769);
    IHostFunction* jog = nullptr;
    if (target->findFunction("Jog", "Wheel", 0, -1, &jog) == kResultOk && jog != nullptr) {
      jog->assignParameter("wheel", "Dial", "Jog Mode");
      jog->release();
    }
    target->release();
    return true;
  }
  bool detach() noexcept override {
    record("remote detach");
    link_ = nullptr;
    return true;
  }
  tresult activate() noexcept override {
    record("remote activate");
    return link_ ? link_->onActivate() : kResultFalse;
  }
  tresult deactivate() noexcept override {
    record("remote deactivate");
    // Like the real remote: what is still queued goes out now.
    static const uint8 goodbye[] = {0xF0, 0x7D, 0x01, 0xF7};
    if (link_) link_->sendSysEx(goodbye, sizeof goodbye);
    return link_ ? link_->onDeactivate() : kResultFalse;
  }
  tresult forwardedQuery() noexcept override { return kResultOk; }
  tresult onElementValue(int32 element, int32 value) noexcept override {
    record("value " + std::to_string(element) + " " + std::to_string(value));
    return link_ ? link_->defaultElementValue(element, value) : kResultFalse;
  }
  tresult onSysEx(SysExHandle message) noexcept override {
    int32 length = 0;
    const uint8* bytes = link_ ? link_->sysExBytes(message, &length) : nullptr;
    record("sysex " + std::to_string(length));
    if (bytes != nullptr) link_->sendSysEx(bytes, length);
    return kResultOk;
  }
  tresult onElementFeedback(const ElementRecord* record, int32 element,
                            int32 value) noexcept override {
    ::record("feedback " + std::to_string(element) + " " + std::to_string(value));
    return link_ ? link_->setElementValue(record, element, value) : kResultFalse;
  }
  tresult onRawData(const uint8*, int32, int32) noexcept override { return kResultOk; }
  tresult onObject(void*) noexcept override { return kResultOk; }
  tresult onBytes(const uint8*) noexcept override { return kResultOk; }
  tresult onPageChanged(const char* page) noexcept override {
    record(std::string("page ") + (page ? page : "(null)"));
    return kResultOk;
  }
  tresult onIdle() noexcept override { return kResultOk; }

 private:
  IRemoteHostLink* link_ = nullptr;
};

class Detector final : public HostObject<IPluginBase, IDetector> {
 public:
  tresult initialize(FUnknown*) noexcept override { return kernel ? kResultOk : kResultFalse; }
  tresult terminate() noexcept override { return kResultOk; }
  tresult getDetectorInfo(DetectorInfo*) noexcept override { return kResultOk; }
  tresult detect() noexcept override {
    auto ports = getService<IMidiPortList>(kernel);
    auto registry = getService<IRemoteDeviceRegistry>(kernel);
    if (!ports || !registry) {
      record("detect 1");
      return kResultFalse;
    }
    // Remote port pairs: input and output of the same name ending in "QENT8-2".
    std::vector<IPtr<IMidiPort>> inputs;
    std::vector<IPtr<IMidiPort>> outputs;
    std::vector<std::string> inNames;
    std::vector<std::string> outNames;
    for (int32 i = 0; i < ports->countPorts(); ++i) {
      IPtr<IMidiPort> port = IPtr<IMidiPort>::adopt(ports->getPort(i));
      char16 name16[128];
      if (!port || !port->getName(name16, 128)) continue;
      std::string name;
      for (const char16* p = name16; *p; ++p) name.push_back(static_cast<char>(*p));
      if (name.find("QENT8-2") == std::string::npos) continue;
      (port->isInput() ? inNames : outNames).push_back(name);
      (port->isInput() ? inputs : outputs).push_back(port);
    }
    tresult result = kResultFalse;
    int32 pair = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      for (std::size_t o = 0; o < outputs.size(); ++o) {
        if (inNames[i] != outNames[o]) continue;
        IPtr<FUnknown> device =
            IPtr<FUnknown>::adopt(registry->createDevice(kRemoteClass.bytes(), pair++, true));
        if (auto assign = Brennholt::queryInterface<IPortAssignment>(device.get())) {
          assign->addPort(inputs[i].get());
          assign->addPort(outputs[o].get());
          result = kResultOk;
        }
        break;
      }
    }
    record("detect " + std::to_string(result));
    return result;
  }
};

class Factory final : public HostObject<IPluginFactory> {
 public:
  tresult getFactoryInfo(PFactoryInfo*) noexcept override { return kResultOk; }
  int32 countClasses() noexcept override { return 3; }
  tresult getClassInfo(int32, PClassInfo*) noexcept override { return kResultFalse; }
  tresult createInstance(FIDString cid, FIDString iid, void** object) noexcept override {
    if (object == nullptr) return kInvalidArgument;
    *object = nullptr;
    FUnknown* made = nullptr;
    if (kServiceClass.matches(cid)) {
      made = static_cast<IPluginBase*>(new (std::nothrow) Service);
    } else if (kRemoteClass.matches(cid)) {
      made = static_cast<IHWRemote*>(new (std::nothrow) Remote);
    } else if (kDetectorClass.matches(cid)) {
      made = static_cast<IPluginBase*>(new (std::nothrow) Detector);
    }
    if (made == nullptr) return kNoInterface;
    tresult result = made->queryInterface(iid, object);
    made->release();
    return result;
  }
};

}  // namespace

STUB_EXPORT bool InitDll() {
  record("InitDll");
  return true;
}
STUB_EXPORT bool ExitDll() {
  record("ExitDll");
  return true;
}
STUB_EXPORT IPluginFactory* GetPluginFactory() { return new (std::nothrow) Factory; }
STUB_EXPORT const char* stubEvents() { return events.c_str(); }
STUB_EXPORT void stubClearEvents() { events.clear(); }
// The kernel the service was given, not referenced: tests play the module's part through it.
// Null outside initialize..terminate.
STUB_EXPORT IHostKernel* stubKernel() { return kernel; }
