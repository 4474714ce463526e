// A message one half of a plug-in sends the other, created through the host context.
#pragma once

#include <atomic>
#include <memory>

#include "finder/HostAttributeList.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class HostMessage final : public IMessage {
 public:
  HostMessage() = default;

  tresult queryInterface(const TUID iid, void** object) noexcept override;
  uint32 addRef() noexcept override;
  uint32 release() noexcept override;

  const char* messageId() noexcept override;
  void setMessageId(const char* id) noexcept override;
  IAttributeList* attributes() noexcept override;

 private:
  ~HostMessage();

  std::atomic<uint32> refCount_{1};
  std::unique_ptr<char[]> messageId_;           // owned copy, null when unset
  HostAttributeList* attributeList_ = nullptr;  // one reference, created on first use
};

}  // namespace Brennholt::Hox
