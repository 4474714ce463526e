// The host's side of one remote device: the elements the remote registered, its options, the
// pages and bindings it declared on the "Mixer" target, the active mode page, and the queue of
// messages on their way to the device's output port.
//
// All operations run on the host thread except setElementValue, which the remote also calls from
// its worker (a bank lamp); it only appends to the outbound queue, under `outLock_`.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/host/RemoteDevice.h"
#include "sim/host/kit/Connection.h"
#include "sim/host/kit/HostRecords.h"

namespace QentSim {

class RemoteDevice;
class BindingTarget;
class HostFunction;

class HostLink final : public Brennholt::Hox::IRemoteHostLink {
 public:
    // The link of `device`, reaching the host through `connection`. [host thread]
  HostLink(Connection connection, RemoteDevice* device);
  // Cuts the binding target and the host functions handed out off from the link. [host thread]
  ~HostLink();
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;

  // ---- IRemoteHostLink ----
  // Stores an attach option under its four-character code. [host thread]
  Brennholt::tresult setOption(Brennholt::uint32 code, Brennholt::int32 value) noexcept override;
  // The remote reports itself active; noted in the life-cycle log. [host thread]
  Brennholt::tresult onActivate() noexcept override;
  // The remote reports itself inactive; noted in the life-cycle log. [host thread]
  Brennholt::tresult onDeactivate() noexcept override;
  // Answers a query the remote passes on to the host: always done. [host thread]
  Brennholt::tresult forwardedQuery() noexcept override;
  // The "Mixer" binding target with a reference for the caller; null for any other name or
  // when the target is withdrawn. [host thread]
  Brennholt::Hox::IBindingTarget* getBindingTarget(const char* name) noexcept override;
  // Default handling of a SysEx the remote does not read: nothing but activity. [host thread]
  Brennholt::tresult defaultSysEx(Brennholt::Hox::SysExHandle message) noexcept override;
  // The bytes and count of the SysEx being received; null for any other handle or outside
  // onSysEx. [host thread]
  const Brennholt::uint8* sysExBytes(Brennholt::Hox::SysExHandle message,
                                     Brennholt::int32* length) noexcept override;
  // Runs the element's binding on the active mode page, else on "Default"; kResultFalse when it
  // has none. [host thread]
  Brennholt::tresult defaultElementValue(Brennholt::int32 element,
                                         Brennholt::int32 value) noexcept override;
  // Queues the element's channel message with `value` (clamped to 0..127) for the device's
  // output port: a lamp. [host thread or the remote's worker thread]
  Brennholt::tresult setElementValue(const Brennholt::Hox::ElementRecord* record,
                                     Brennholt::int32 element,
                                     Brennholt::int32 value) noexcept override;
  // Queues a copy of a SysEx (F0 .. F7, `length` bytes) for the device's output port.
  // [host thread]
  Brennholt::tresult sendSysEx(const Brennholt::uint8* message,
                               Brennholt::int32 length) noexcept override;
  // Shows a mode text for the device; a text that names one of its pages also switches to that
  // page. [host thread]
  Brennholt::tresult showText(const char* text) noexcept override;
  // Registers the next element; the record must stay valid while the link lives. [host thread]
  Brennholt::tresult addElement(const Brennholt::Hox::ElementRecord* record) noexcept override;

  // ---- the host's own use ----
  // Hands one keyboard message arriving at the device's input port to the remote: a SysEx to
  // onSysEx (its handle is `message` itself, valid during that call), a channel message matched
  // to a registered element to onElementValue; anything else is dropped. False when nothing
  // reached the remote.
  bool receive(Brennholt::Hox::IHWRemote* remote, const std::vector<Brennholt::uint8>& message);
  // Takes every message queued for the device's output port, oldest first.
  std::vector<std::vector<Brennholt::uint8>> takeOutbound();
  // Sets the active mode page ("Default" or empty: none) and owes the remote a page report.
  void switchPage(const std::string& name);
  // Takes the oldest page report owed to the remote; false when none is.
  bool takePageReport(std::string* name);
  // Feeds the transport state to the elements bound to "start" and "record".
  void feedTransport(Brennholt::Hox::IHWRemote* remote, bool playing, bool recording);
  // Declarations from the binding target and the host functions: a page (once per name), a
  // binding, an attribute of a function.
  void declarePage(const std::string& name);
  void declareBinding(BindingInfo binding);
  void declareAttribute(const std::string& function, const std::string& attribute);

  // ---- observations ----
  // The elements in registration order.
  const std::vector<ElementInfo>& elements() const { return elements_; }
  // The bindings and function assignments in declaration order.
  const std::vector<BindingInfo>& bindings() const { return bindings_; }
  // The pages in declaration order.
  const std::vector<std::string>& pages() const { return pages_; }
  // The active mode page; empty when none.
  const std::string& modePage() const { return modePage_; }
  // The option stored under `code`; false when it was never set.
  bool option(Brennholt::uint32 code, int* value) const;
  // The remote reported onActivate more recently than onDeactivate.
  bool active() const { return active_; }
  // The device's last mode text.
  const std::string& lastShownText() const { return lastShownText_; }

 private:
  HostState* host() const { return connection_ ? connection_->state : nullptr; }
  // Records the device's new state in the host's life-cycle log.
  void noteState(const char* state) noexcept;
  // Runs the binding of `element` on the active page, then on "Default"; kResultFalse when it
  // has none. May throw when the host's bookkeeping cannot allocate.
  Brennholt::tresult runBinding(HostState* s, Brennholt::int32 element,
                                Brennholt::int32 value);
  // The binding of `element` on `page`; null when none.
  const BindingInfo* findBinding(const std::string& page, const std::string& element) const;
  // The index of the element of that name; -1 when none.
  int elementIndex(const std::string& name) const;
  // False when the message could not be stored. [host thread or the remote's worker thread]
  bool queueOut(std::vector<Brennholt::uint8> message) noexcept;

  Connection connection_;
  RemoteDevice* device_;
  std::vector<const Brennholt::Hox::ElementRecord*> records_;
  std::vector<ElementInfo> elements_;
  std::map<Brennholt::uint32, int> options_;
  std::vector<std::string> pages_;
  std::vector<BindingInfo> bindings_;
  std::vector<std::pair<std::string, std::string>> attributes_;
  std::string modePage_;
  std::deque<std::string> pageReports_;
  bool active_ = false;
  std::string lastShownText_;
  Brennholt::IPtr<BindingTarget> mixerTarget_;
  std::vector<Brennholt::IPtr<HostFunction>> functions_;
  // The SysEx being handed to the remote; its handle is valid only during onSysEx.
  const std::vector<Brennholt::uint8>* incomingSysEx_ = nullptr;

  std::mutex outLock_;  // guards outbound_ only; taken alone
  std::vector<std::vector<Brennholt::uint8>> outbound_;
};

}  // namespace QentSim
