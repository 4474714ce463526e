#include "remote/DeviceSetupManager.h"

#include <cstdio>
#include <new>
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
  IPtr<Hox::IMidiPort> port;
  std::string name;
};

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
  try {
    collectPairs(patterns);
  } catch (const std::bad_alloc&) {
    // Every port reference taken on the way is held by an IPtr and went with the unwinding.
    clearPairs();
  }
  return pairs_.count() > 0;
}

void DeviceSetupManager::collectPairs(std::span<const PortPattern> patterns) {
  IPtr<Hox::IMidiPortList> list = Hox::getService<Hox::IMidiPortList>(kernel_);
  if (!list) return;

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
    (input ? inputs : outputs).push_back(NamedPort{std::move(port), std::move(name)});
  }

  for (const NamedPort& in : inputs) {
    for (const NamedPort& out : outputs) {
      if (out.name != in.name) continue;
      in.port->addRef();
      out.port->addRef();
      if (!pairs_.add(PortPair{in.port.get(), out.port.get()})) {
        in.port->release();
        out.port->release();
      }
      break;
    }
  }
}

bool DeviceSetupManager::deviceExists(const char8* name) {
  IPtr<Hox::IRemoteDeviceRegistry> registry = Hox::getService<Hox::IRemoteDeviceRegistry>(kernel_);
  if (!registry || !name) return false;
  try {
    const std::u16string name16 = toText16(name);
    return registry->deviceExists(name16.c_str(), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
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
