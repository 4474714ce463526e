// Kernel services the module uses for its life cycle: idle calls and the clock, projects, the
// host's ready state and the transport position. The command catalogue and the action handler
// are in CommandServices.h, which comes with this header.
//
// All are asked from IHostKernel::getService by the identifiers below and called on the host
// thread. Registered callbacks are not reference-counted by the host: the caller unregisters
// before it goes away.
#pragma once

#include "core/FUnknown.h"
#include "sdk/host/CommandServices.h"

namespace Brennholt::Hox {

// Called periodically on the host thread once registered with IIdleService.
class IIdleHandler : public FUnknown {
 public:
  // One slice of idle time. [host thread]
  virtual void onIdle() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("3C5E41A0D3F84E5C9D9A0B1E6A7C2F41");

 protected:
  ~IIdleHandler() = default;
};

class IIdleService : public FUnknown {
 public:
  // Starts periodic onIdle calls for the handler. [host thread]
  virtual tresult addIdleHandler(IIdleHandler* handler) noexcept = 0;
  // Stops them; the handler may be destroyed afterwards. [host thread]
  virtual tresult removeIdleHandler(IIdleHandler* handler) noexcept = 0;
  // The host's 32-bit millisecond counter; it wraps. [host thread]
  virtual uint32 currentTime() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("9B1F6E2C47D14A1B8E3C5D7A2B9F0C11");

 protected:
  ~IIdleService() = default;
};

// Told when projects come and go; operations in the host's order.
class IProjectNotification : public FUnknown {
 public:
  // A project became available. [host thread]
  virtual void projectOpened(FUnknown* project) noexcept = 0;
  // A project is about to close. [host thread]
  virtual void projectClosing(FUnknown* project) noexcept = 0;
  // The active project changed to `project`. [host thread]
  virtual void projectActivated(FUnknown* project) noexcept = 0;
  // A project is going away without an earlier closing notice. [host thread]
  virtual void projectRemoved(FUnknown* project) noexcept = 0;
  // The host asks whether the project may close; 0 lets it. [host thread]
  virtual tresult canCloseProject(FUnknown* project) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("5A7D2E9C1B3F4C6D8E0A2B4C6D8E0F12");

 protected:
  ~IProjectNotification() = default;
};

class IProjectService : public FUnknown {
 public:
  // Starts telling `notification` about projects; not referenced, so it must be removed before
  // it goes away. [host thread]
  virtual tresult addProjectNotification(IProjectNotification* notification) noexcept = 0;
  // Stops telling it; it may be destroyed afterwards. [host thread]
  virtual tresult removeProjectNotification(IProjectNotification* notification) noexcept = 0;
  // The active project, not referenced for the caller (compare by pointer); null when none.
  // [host thread]
  virtual FUnknown* activeProject() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("C1E2A3B4D5F60718293A4B5C6D7E8F13");

 protected:
  ~IProjectService() = default;
};

class IHostStateService : public FUnknown {
 public:
  // False while the host cannot let the service shut down yet. [host thread]
  virtual bool isShutdownAllowed() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("7E4B1C2D3A5F46E8B9C0D1E2F3A4B514");

 protected:
  ~IHostStateService() = default;
};

// The transport's current position, in the host's units (only compared for change).
class ITransportPosition : public FUnknown {
 public:
  // Where the transport stands now. [host thread]
  virtual double currentPosition() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("2F8A6C4E1D3B4A5C9E7F0A1B2C3D4E15");

 protected:
  ~ITransportPosition() = default;
};

}  // namespace Brennholt::Hox
