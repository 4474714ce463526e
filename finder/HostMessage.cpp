#include "finder/HostMessage.h"

#include <cstring>
#include <new>

namespace Brennholt::Hox {

HostMessage::~HostMessage() {
  if (attributeList_) attributeList_->release();
}

const char* HostMessage::messageId() noexcept { return messageId_.get(); }

void HostMessage::setMessageId(const char* id) noexcept {
  if (!id) {
    messageId_.reset();
    return;
  }
  // Copied before the old text goes: a plug-in may hand back what messageId() gave it.
  size_t length = std::strlen(id);
  std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
  // Out of memory leaves the message without an identifier, as the interface cannot report it.
  if (copy) std::memcpy(copy.get(), id, length + 1);
  messageId_ = std::move(copy);
}

IAttributeList* HostMessage::attributes() noexcept {
  if (!attributeList_) attributeList_ = new (std::nothrow) HostAttributeList();
  return attributeList_;
}

}  // namespace Brennholt::Hox
