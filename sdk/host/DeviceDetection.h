// The host's plug-and-play detection contract: the detector the module implements, the MIDI port
// list, the remote-device registry and the port assignment of a created device.
//
// All calls run on the host thread.
#pragma once

#include "sdk/IPluginBase.h"

namespace Brennholt::Hox {

// What the host shows for a detector. The detector fills the first and third fields.
struct DetectorInfo {
  enum { kTextSize = 128 };
  char16 category[kTextSize];
  char16 name[kTextSize];
  char16 method[kTextSize];
};
static_assert(sizeof(DetectorInfo) == 768);

class IDetector : public FUnknown {
 public:
  // Looks for the device and sets it up; 0 when a device exists afterwards. [host thread]
  virtual tresult detect() noexcept = 0;
  // Describes the detector. [host thread]
  virtual tresult getDetectorInfo(DetectorInfo* info) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("165F11CD82ADA543A355A7CBAFBD5D0C");

 protected:
  ~IDetector() = default;
};

class IMidiPort : public FUnknown {
 public:
  // True when the port is of the kind ("midi"). [host thread]
  virtual bool isOfType(const char* type) noexcept = 0;
  // True when the port carries the attribute ("system"). [host thread]
  virtual bool hasAttribute(const char* attribute) noexcept = 0;
  // True for an input port, false for an output port. [host thread]
  virtual bool isInput() noexcept = 0;
  // Copies the port's name, terminated and cut to `capacity` units; false when it has none.
  // [host thread]
  virtual bool getName(char16* buffer, int32 capacity) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("0A1B2C3D4E5F60718293A4B5C6D7E8F1");

 protected:
  ~IMidiPort() = default;
};

class IMidiPortList : public FUnknown {
 public:
  // Number of ports in the list. [host thread]
  virtual int32 countPorts() noexcept = 0;
  // The port at index with one reference for the caller, or null. [host thread]
  virtual IMidiPort* getPort(int32 index) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("8E9AC2B676543E49A8E99F1CB51AB756");

 protected:
  ~IMidiPortList() = default;
};

class IRemoteDeviceRegistry : public FUnknown {
 public:
  // True when a remote device of that name exists. [host thread]
  virtual bool deviceExists(const char16* name, int32 flags) noexcept = 0;
  // Creates a device of the remote class for the port pair; the host creates the remote object
  // through the module's factory and attaches it. One reference for the caller, or null.
  // [host thread]
  virtual FUnknown* createDevice(const TUID classId, int32 pairIndex, bool activate) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("D20B37A20DDF304090A65AA57A3F3172");

 protected:
  ~IRemoteDeviceRegistry() = default;
};

// Asked of a created device.
class IPortAssignment : public FUnknown {
 public:
  // Adds one port to the device. [host thread]
  virtual tresult addPort(IMidiPort* port) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("D974F45228A7A54CA9CC0C307B17127A");

 protected:
  ~IPortAssignment() = default;
};

}  // namespace Brennholt::Hox
