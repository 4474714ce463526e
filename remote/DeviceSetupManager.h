// Finds the keyboard's remote port pairs in the host's MIDI port list and asks the host's
// remote-device registry to set up a remote device for each. Used by the detector; host thread
// only.
#pragma once

#include <span>

#include "base/TArray.h"
#include "sdk/host/DeviceDetection.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

// A port name to look for: the base name, "-" and the port number in decimal ("%s-%d").
struct PortPattern {
  const char8* baseName;
  int32 portNumber;
};

class DeviceSetupManager {
 public:
  // The kernel is borrowed for the manager's life; null makes every search fail.
  explicit DeviceSetupManager(Hox::IHostKernel* kernel) : kernel_(kernel) {}
  // Releases the ports of the last search.
  ~DeviceSetupManager();
  DeviceSetupManager(const DeviceSetupManager&) = delete;
  DeviceSetupManager& operator=(const DeviceSetupManager&) = delete;

  // Collects the system MIDI ports whose name contains a pattern's text in any letter case,
  // then pairs each matching input, in list order, with the first matching output of exactly
  // the same name. True when at least one pair was found. False without a kernel, without
  // patterns, without the port list service or when memory runs short. Never throws.
  // [host thread]
  bool findPortPairs(std::span<const PortPattern> patterns);

  // True when the registry has a remote device of that name; false as well when memory runs
  // short. Never throws. [host thread]
  bool deviceExists(const char8* name);

  // Asks the registry for a device of `classId` for each pair (pair index, activated) and
  // assigns it the pair's input and then output port. 0 when at least one device got its
  // ports, 1 when none did, kNoInterface without a registry. [host thread]
  tresult createDevices(const FUID& classId);

 private:
  struct PortPair {
    Hox::IMidiPort* input;  // one reference each, held by the manager
    Hox::IMidiPort* output;
    friend bool operator==(const PortPair&, const PortPair&) = default;
  };
  void clearPairs();
  // findPortPairs without its guard: throws std::bad_alloc when memory runs short.
  void collectPairs(std::span<const PortPattern> patterns);

  Hox::IHostKernel* kernel_;
  TArray<PortPair> pairs_{10};
};

}  // namespace Brennholt
