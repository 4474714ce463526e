// The host's remote-device object without anything keyboard-specific: the interface query and
// every remote operation answered by the host link's default handling.
// QENT_HWRemote builds the keyboard on top of it.
#pragma once

#include "base/TRefCounted.h"
#include "sdk/host/RemoteDevice.h"

namespace Brennholt {

// FUnknown, IPluginBase, IHWRemote and IHWRemote2 answer this one object.
class HWRemoteBase : public TRefCounted<TExtending<Hox::IHWRemote2, Hox::IHWRemote, IPluginBase>> {
 public:
  HWRemoteBase() = default;
  ~HWRemoteBase() override = default;

  // IPluginBase: nothing is kept of the context.
  tresult initialize(FUnknown* context) noexcept override;
  tresult terminate() noexcept override;

  // IHWRemote. The base stores the link at attach and hands activate, deactivate,
  // forwardedQuery, onElementValue, onSysEx and onElementFeedback to the link's default handling
  // (kResultFalse without a link); detach answers true, the notifications the module does not
  // use answer kResultOk and onExtension false. [host thread]
  bool attach(Hox::IRemoteHostLink* hostLink) noexcept override;
  bool detach() noexcept override;
  tresult activate() noexcept override;
  tresult deactivate() noexcept override;
  tresult forwardedQuery() noexcept override;
  tresult onElementValue(int32 element, int32 value) noexcept override;
  tresult onSysEx(Hox::SysExHandle message) noexcept override;
  tresult onElementFeedback(const Hox::ElementRecord* record, int32 element,
                            int32 value) noexcept override;
  tresult onRawData(const uint8* bytes, int32 a, int32 b) noexcept override;
  tresult onObject(void* object) noexcept override;
  tresult onBytes(const uint8* bytes) noexcept override;
  tresult onPageChanged(const char* pageName) noexcept override;
  tresult onIdle() noexcept override;
  // IHWRemote2
  bool onExtension(int32 a, int32 b) noexcept override;

 protected:
  Hox::IRemoteHostLink* link() const { return hostLink_; }
  void setLink(Hox::IRemoteHostLink* hostLink) { hostLink_ = hostLink; }

  // Plain forwards to the host link for subclasses; kResultFalse (null) without a link.
  // [host thread]
  tresult linkSetOption(uint32 code, int32 value);
  Hox::IBindingTarget* linkBindingTarget(const char* name);
  const uint8* linkSysExBytes(Hox::SysExHandle message, int32* length);
  tresult linkSetElementValue(const Hox::ElementRecord* record, int32 element, int32 value);
  tresult linkSendSysEx(const uint8* message, int32 length);
  tresult linkShowText(const char* text);
  tresult linkAddElement(const Hox::ElementRecord* record);

 private:
  Hox::IRemoteHostLink* hostLink_ = nullptr;  // the host's, valid from attach to detach
};

}  // namespace Brennholt
