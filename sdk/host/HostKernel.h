// The host's kernel and the context handed to the service's initialize.
//
// The context answers queryInterface for IHostKernel and for IHostInformation. The kernel hands
// out services by interface identifier; each service is asked for per use, held in an IPtr and
// released after use. A missing service (kNoInterface, null) makes the caller's feature a
// silent no-op. Every operation here is called on the host thread.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt::Hox {

class IHostKernel : public FUnknown {
 public:
  // Stores the service named by iid (one reference for the caller) or null and kNoInterface.
  // [host thread]
  virtual tresult getService(const TUID iid, void** service) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("8396C8EEDB8036439177273E138A763B");

 protected:
  ~IHostKernel() = default;
};

// The host's product name, version string and build string.
class IHostInformation : public FUnknown {
 public:
  // The texts are UTF-16, owned by the host, valid while the caller holds this interface; each
  // may be null.
  // The product name, e.g. "Tessaly Studio". [host thread]
  virtual const char16* productName() noexcept = 0;
  // The version, e.g. "7.5.0". [host thread]
  virtual const char16* versionString() noexcept = 0;
  // The build, e.g. "Build 100". [host thread]
  virtual const char16* buildString() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("DA07E59759E5EA4EA5AC4042E458F2B4");

 protected:
  ~IHostInformation() = default;
};

// Asks the kernel for service S; empty when the kernel is null or does not offer it.
template <class S>
IPtr<S> getService(IHostKernel* kernel) {
  IPtr<S> service;
  if (kernel && kernel->getService(S::iid.bytes(), service.putVoid()) != kResultOk) service.reset();
  return service;
}

}  // namespace Brennholt::Hox
