// The host's MIDI ports, its port list, the remote-device registry and the devices it creates.
// [host thread]
#pragma once

#include <memory>
#include <string>

#include "sdk/host/DeviceDetection.h"
#include "sim/host/midi/HostLink.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"
#include "sim/host/kit/HostRecords.h"

namespace QentSim {

// One MIDI port of the host: always of type "midi" with the "system" attribute.
class MidiPort final : public HostObject<Brennholt::Hox::IMidiPort> {
 public:
  // `owner`: the keyboard the port belongs to (goes when it is unplugged), 0 none; `wire`: the
  // keyboard whose remote traffic it carries, 0 none.
  MidiPort(bool input, std::string name, int owner, int wire);

  // True for "midi".
  bool isOfType(const char* type) noexcept override;
  // True for "system".
  bool hasAttribute(const char* attribute) noexcept override;
  // True for an input port.
  bool isInput() noexcept override { return input_; }
  // The name, cut to fit `capacity` units with its terminating 0; false without a buffer.
  bool getName(Brennholt::char16* buffer, Brennholt::int32 capacity) noexcept override;

  // The same, for the host.
  bool input() const { return input_; }
  const std::string& name() const { return name_; }
  int owner() const { return owner_; }
  int wire() const { return wire_; }

 private:
  bool input_;
  std::string name_;
  std::u16string name16_;
  int owner_;
  int wire_;
};

class MidiPortList final : public HostObject<Brennholt::Hox::IMidiPortList> {
 public:
  using Interface = Brennholt::Hox::IMidiPortList;
  explicit MidiPortList(Connection connection) : connection_(std::move(connection)) {}

  // The ports in the list now; 0 once the host has shut down.
  Brennholt::int32 countPorts() noexcept override;
  // Port `index` with one reference for the caller; null outside the list.
  Brennholt::Hox::IMidiPort* getPort(Brennholt::int32 index) noexcept override;

 private:
  Connection connection_;
};

class DeviceRegistry final : public HostObject<Brennholt::Hox::IRemoteDeviceRegistry> {
 public:
  using Interface = Brennholt::Hox::IRemoteDeviceRegistry;
  explicit DeviceRegistry(Connection connection) : connection_(std::move(connection)) {}

  // True for the keyboard's device name while a device the registry created is in place.
  bool deviceExists(const Brennholt::char16* name, Brennholt::int32 flags) noexcept override;
  // Creates a remote of `classId` through the module's factory and attaches it to a new device,
  // activating it when asked; the device with one reference for the caller, null on failure.
  Brennholt::FUnknown* createDevice(const Brennholt::TUID classId, Brennholt::int32 pairIndex,
                                    bool activate) noexcept override;

 private:
  Connection connection_;
};

// A remote device: the module's remote object, the host link it is attached to, and the ports
// the detector assigned.
class RemoteDevice final : public HostObject<Brennholt::Hox::IPortAssignment> {
 public:
  RemoteDevice(Connection connection, Brennholt::int32 pairIndex);

  // Binds the device's input or output to one of the host's ports. [host thread]
  Brennholt::tresult addPort(Brennholt::Hox::IMidiPort* port) noexcept override;

  // The device's host link.
  HostLink& link() { return link_; }
  const HostLink& link() const { return link_; }
  // The module's remote object; null before setRemote and after takeRemote.
  Brennholt::Hox::IHWRemote* remote() const { return remote_.get(); }
  void setRemote(Brennholt::IPtr<Brennholt::Hox::IHWRemote> remote) { remote_ = std::move(remote); }
  // Hands the remote over for shutting it down.
  Brennholt::IPtr<Brennholt::Hox::IHWRemote> takeRemote() { return std::move(remote_); }

  // The ports the detector bound; null until then.
  MidiPort* inputPort() const { return input_.get(); }
  MidiPort* outputPort() const { return output_.get(); }
  // Keyboard whose ports the device is bound to; 0 when none.
  int keyboard() const;
  Brennholt::int32 pairIndex() const { return pairIndex_; }
  bool attached = false;
  bool gone = false;  // shut down: no more calls reach its remote

 private:
  Connection connection_;
  Brennholt::int32 pairIndex_;
  HostLink link_;
  Brennholt::IPtr<Brennholt::Hox::IHWRemote> remote_;
  Brennholt::IPtr<MidiPort> input_;
  Brennholt::IPtr<MidiPort> output_;
};

}  // namespace QentSim
