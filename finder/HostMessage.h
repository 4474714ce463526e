// A message one half of a plug-in sends the other, created through the host context.
#pragma once

#include <memory>

#include "base/TRefCounted.h"
#include "finder/HostAttributeList.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class HostMessage final : public TRefCounted<IMessage> {
 public:
  HostMessage() = default;

  const char* messageId() noexcept override;
  void setMessageId(const char* id) noexcept override;
  IAttributeList* attributes() noexcept override;

 private:
  ~HostMessage() override;

  std::unique_ptr<char[]> messageId_;           // owned copy, null when unset
  HostAttributeList* attributeList_ = nullptr;  // one reference, created on first use
};

}  // namespace Brennholt::Hox
