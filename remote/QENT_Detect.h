// The module's plug-and-play detector: finds the keyboard's remote port pair among the host's
// MIDI ports and has the host set up a remote device ("Remote Devices" class) for it.
#pragma once

#include "base/TRefCounted.h"
#include "sdk/IPluginBase.h"
#include "sdk/host/DeviceDetection.h"

namespace Brennholt {

class QENT_Detect : public TRefCounted<IPluginBase, Hox::IDetector> {
 public:
  // The class identifier the factory offers the detector under (16 bytes in memory order).
  static constexpr FUID kClassId = FUID::fromMemoryHex("8714DCA0BA74F14BA71252FF31B9F1BC");
  // The searched port text: "%s-%d" of these two.
  static constexpr const char8* kPortBaseName = "Talvane QENT6/QENT8";
  static constexpr int32 kPortNumber = 2;
  // The name under which the host lists the keyboard's remote device.
  static constexpr const char8* kDeviceName = "Talvane QENT6/QENT8";

  QENT_Detect() = default;
  ~QENT_Detect() override = default;

  // kResultFalse while the service has not set the host kernel, and once a keyboard has been
  // set up in this process; kResultOk otherwise. The context is not kept. [host thread]
  tresult initialize(FUnknown* context) noexcept override;
  // Nothing to end. [host thread]
  tresult terminate() noexcept override;

  // 0 when a remote device for the keyboard exists afterwards (created now or before); 1 when
  // no port pair was found or no device could be set up; kNoInterface without the registry.
  // Success sets the module's keyboard-set-up flag. [host thread]
  tresult detect() noexcept override;
  // Fills the category ("Remote Devices") and method ("Plug and Play") texts; the name is left
  // as the host gave it. [host thread]
  tresult getDetectorInfo(Hox::DetectorInfo* info) noexcept override;
};

}  // namespace Brennholt
