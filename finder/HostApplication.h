// The host context handed to both halves of every plug-in the finder creates. One instance lives
// for the whole process; it is not reference-counted.
#pragma once

#include "finder/PlugInterfaceSupport.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class HostApplication final : public IHostApplication {
 public:
  HostApplication();
  ~HostApplication();
  HostApplication(const HostApplication&) = delete;
  HostApplication& operator=(const HostApplication&) = delete;

  // Answers itself for its own interfaces and hands every other identifier to the interface
  // support object, so a plug-in reaches that through the context; else null and kResultFalse.
  // Written out: the object is not counted and forwards to another object, which the generic
  // query of TRefCounted does not do.
  tresult queryInterface(const TUID iid, void** object) noexcept override;
  // No counting: the object outlives every plug-in. Both answer 1.
  uint32 addRef() noexcept override;
  uint32 release() noexcept override;

  tresult hostName(String128 name) noexcept override;
  tresult createHostObject(const TUID classId, const TUID interfaceId,
                           void** object) noexcept override;

 private:
  PlugInterfaceSupport* interfaceSupport_;  // one reference
};

extern HostApplication gHostApplication;

}  // namespace Brennholt::Hox
