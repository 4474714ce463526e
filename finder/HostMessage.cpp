#include "finder/HostMessage.h"

#include <cstring>
#include <new>

namespace Brennholt::Hox {

HostMessage::~HostMessage() {
  if (attributeList_) attributeList_->release();
}

tresult HostMessage::queryInterface(const TUID iid, void** object) noexcept {
  if (!object) return kInvalidArgument;
  if (FUnknown::iid.matches(iid) || IMessage::iid.matches(iid)) {
    addRef();
    *object = static_cast<IMessage*>(this);
    return kResultOk;
  }
  *object = nullptr;
  return kNoInterface;
}

uint32 HostMessage::addRef() noexcept { return ++refCount_; }

uint32 HostMessage::release() noexcept {
  uint32 count = --refCount_;
  if (count == 0) delete this;
  return count;
}

const char* HostMessage::messageId() noexcept { return messageId_.get(); }

void HostMessage::setMessageId(const char* id) noexcept {
  messageId_.reset();
  if (!id) return;
  size_t length = std::strlen(id);
  // Out of memory leaves the message without an identifier, as the interface cannot report it.
  messageId_.reset(new (std::nothrow) char[length + 1]);
  if (messageId_) std::memcpy(messageId_.get(), id, length + 1);
}

IAttributeList* HostMessage::attributes() noexcept {
  if (!attributeList_) attributeList_ = new (std::nothrow) HostAttributeList();
  return attributeList_;
}

}  // namespace Brennholt::Hox
