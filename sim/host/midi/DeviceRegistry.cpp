#include "sim/host/midi/DeviceRegistry.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <cstring>

#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {
const char kDeviceName[] = "Talvane QENT6/QENT8";
}

MidiPort::MidiPort(bool input, std::string name, int owner, int wire)
    : input_(input), name_(std::move(name)), name16_(toUtf16(name_)), owner_(owner), wire_(wire) {}

bool MidiPort::isOfType(const char* type) noexcept {
  return type != nullptr && std::strcmp(type, "midi") == 0;
}

bool MidiPort::hasAttribute(const char* attribute) noexcept {
  return attribute != nullptr && std::strcmp(attribute, "system") == 0;
}

bool MidiPort::getName(char16* buffer, int32 capacity) noexcept {
  if (buffer == nullptr || capacity <= 0) return false;
  std::size_t count = std::min(name16_.size(), static_cast<std::size_t>(capacity - 1));
  std::copy_n(name16_.begin(), count, buffer);
  buffer[count] = 0;
  return true;
}

int32 MidiPortList::countPorts() noexcept {
  HostState* s = connection_->state;
  return s ? static_cast<int32>(s->run->ports.size()) : 0;
}

IMidiPort* MidiPortList::getPort(int32 index) noexcept {
  HostState* s = connection_->state;
  if (s == nullptr || index < 0 || static_cast<std::size_t>(index) >= s->run->ports.size()) {
    return nullptr;
  }
  MidiPort* port = s->run->ports[static_cast<std::size_t>(index)].get();
  port->addRef();
  return port;
}

bool DeviceRegistry::deviceExists(const char16* name, int32) noexcept {
  HostState* s = connection_->state;
  if (s == nullptr || !answerSafely(false, [name] { return toUtf8(name) == kDeviceName; }))
    return false;
  return std::any_of(s->run->devices.begin(), s->run->devices.end(),
                     [](const IPtr<RemoteDevice>& device) { return !device->gone; });
}

FUnknown* DeviceRegistry::createDevice(const TUID classId, int32 pairIndex,
                                       bool activate) noexcept {
  HostState* s = connection_->state;
  if (s == nullptr || classId == nullptr) return nullptr;
  IPtr<RemoteDevice> device = answerSafely(
      IPtr<RemoteDevice>(), [&] { return s->createDevice(classId, pairIndex, activate); });
  if (!device) return nullptr;
  // The caller's reference, beside the one the host keeps in its device list.
  device->addRef();
  return static_cast<IPortAssignment*>(device.get());  // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

RemoteDevice::RemoteDevice(Connection connection, int32 pairIndex)
    : connection_(std::move(connection)), pairIndex_(pairIndex), link_(connection_, this) {}

tresult RemoteDevice::addPort(IMidiPort* port) noexcept {
  HostState* s = connection_->state;
  if (s == nullptr || gone) return kResultFalse;
  MidiPort* own = s->findPort(port);
  if (own == nullptr) return kInvalidArgument;  // not a port of this host
  (own->input() ? input_ : output_) = IPtr<MidiPort>::share(own);
  s->touch();
  // Bound whether or not the log can take the line.
  answerSafely(false, [&] {
    s->note("device " + std::to_string(s->deviceNumber(*this)) + " port " +
            (own->input() ? "in " : "out ") + own->name());
    return true;
  });
  return kResultOk;
}

int RemoteDevice::keyboard() const {
  if (input_ && input_->owner() != 0) return input_->owner();
  return output_ ? output_->owner() : 0;
}

}  // namespace QentSim
