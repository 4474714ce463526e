#include "remote/QENT_Detect.h"

#include "remote/DeviceSetupManager.h"
#include "remote/QENT_HWRemote.h"
#include "remote/channels/ModuleState.h"

namespace Brennholt {

namespace {

template <std::size_t N>
void copyText16(char16 (&field)[N], const char16* text) {
  std::size_t i = 0;
  for (; i + 1 < N && text[i] != 0; ++i) field[i] = text[i];
  field[i] = 0;
}

}  // namespace

tresult QENT_Detect::initialize(FUnknown* /*context*/) noexcept {
  return hostKernel == nullptr || isKeyboardSetUp() ? kResultFalse : kResultOk;
}

tresult QENT_Detect::terminate() noexcept { return kResultOk; }

tresult QENT_Detect::detect() noexcept {
  tresult result = kResultFalse;
  DeviceSetupManager manager(hostKernel);
  const PortPattern patterns[] = {{kPortBaseName, kPortNumber}};
  if (manager.findPortPairs(patterns)) {
    result = manager.deviceExists(kDeviceName) ? kResultOk
                                               : manager.createDevices(QENT_HWRemote::kClassId);
  }
  if (result == kResultOk) setKeyboardSetUp();
  return result;
}

tresult QENT_Detect::getDetectorInfo(Hox::DetectorInfo* info) noexcept {
  if (!info) return kInvalidArgument;
  copyText16(info->category, u"Remote Devices");
  copyText16(info->method, u"Plug and Play");
  return kResultOk;
}

}  // namespace Brennholt
