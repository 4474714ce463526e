#include "remote/DeviceSetupManager.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/StringConversion.h"

namespace Brennholt {

namespace {

char8 lower(char8 c) { return c >= 'A' && c <= 'Z' ? static_cast<char8>(c - 'A' + 'a') : c; }

bool containsIgnoringCase(const std::string& text, const std::string& part) {
  if (part.size() > text.size()) return false;
  for (std::size_t start = 0; start + part.size() <= text.size(); ++start) {
    std::size_t i = 0;
    while (i < part.size() && lower(text[start + i]) == lower(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

struct NamedPort {
  Hox::IMidiPort* port;  // one reference
  std::string name;
};

void releaseAll(std::span<NamedPort> ports) {
  for (NamedPort& p : ports) p.port->release();
}

}  // namespace

DeviceSetupManager::~DeviceSetupManager() { clearPairs(); }

void DeviceSetupManager::clearPairs() {
  for (int32 i = 0; i < pairs_.count(); ++i) {
    pairs_[i].input->release();
    pairs_[i].output->release();
  }
  pairs_.removeAll();
}

bool DeviceSetupManager::findPortPairs(std::span<const PortPattern> patterns) {
  clearPairs();
  if (!kernel_ || patterns.empty()) return false;
  IPtr<Hox::IMidiPortList> list = Hox::getService<Hox::IMidiPortList>(kernel_);
  if (!list) return false;

  std::vector<std::string> texts;
  for (const PortPattern& pattern : patterns) {
    char8 text[160];
    std::snprintf(text, sizeof(text), "%s-%d", pattern.baseName ? pattern.baseName : "",
                  pattern.portNumber);
    texts.emplace_back(text);
  }

  std::vector<NamedPort> inputs;
  std::vector<NamedPort> outputs;
  const int32 count = list->countPorts();
  for (int32 index = 0; index < count; ++index) {
    IPtr<Hox::IMidiPort> port = IPtr<Hox::IMidiPort>::adopt(list->getPort(index));
    if (!port || !port->isOfType("midi") || !port->hasAttribute("system")) continue;
    char16 name16[kHostTextUnits] = {};
    if (!port->getName(name16, kHostTextUnits)) continue;
    name16[kHostTextUnits - 1] = 0;
    std::string name = toText8(name16);
    bool matches = false;
    for (const std::string& text : texts) matches = matches || containsIgnoringCase(name, text);
    if (!matches) continue;
    const bool input = port->isInput();
    port->addRef();
    (input ? inputs : outputs).push_back(NamedPort{port.get(), std::move(name)});
  }

  for (const NamedPort& in : inputs) {
    for (const NamedPort& out : outputs) {
      if (out.name != in.name) continue;
      in.port->addRef();
      out.port->addRef();
      if (!pairs_.add(PortPair{in.port, out.port})) {
        in.port->release();
        out.port->release();
      }
      break;
    }
  }
  releaseAll(inputs);
  releaseAll(outputs);
  return pairs_.count() > 0;
}

bool DeviceSetupManager::deviceExists(const char8* name) {
  IPtr<Hox::IRemoteDeviceRegistry> registry = Hox::getService<Hox::IRemoteDeviceRegistry>(kernel_);
  if (!registry || !name) return false;
  const std::u16string name16 = toText16(name);
  return registry->deviceExists(name16.c_str(), 0);
}

tresult DeviceSetupManager::createDevices(const FUID& classId) {
  IPtr<Hox::IRemoteDeviceRegistry> registry = Hox::getService<Hox::IRemoteDeviceRegistry>(kernel_);
  if (!registry) return kNoInterface;
  tresult result = kResultFalse;
  for (int32 i = 0; i < pairs_.count(); ++i) {
    IPtr<FUnknown> device = IPtr<FUnknown>::adopt(registry->createDevice(classId.bytes(), i, true));
    if (!device) continue;
    IPtr<Hox::IPortAssignment> ports = queryInterface<Hox::IPortAssignment>(device.get());
    if (!ports) continue;
    ports->addPort(pairs_[i].input);
    ports->addPort(pairs_[i].output);
    result = kResultOk;
  }
  return result;
}

}  // namespace Brennholt
