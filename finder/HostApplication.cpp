#include "finder/HostApplication.h"

#include <new>

#include "finder/HostAttributeList.h"
#include "finder/HostMessage.h"

namespace Brennholt::Hox {

HostApplication gHostApplication;

HostApplication::HostApplication() : interfaceSupport_(new PlugInterfaceSupport()) {}

HostApplication::~HostApplication() { interfaceSupport_->release(); }

tresult HostApplication::queryInterface(const TUID iid, void** object) noexcept {
  if (!object) return kInvalidArgument;
  if (FUnknown::iid.matches(iid) || IHostApplication::iid.matches(iid)) {
    *object = static_cast<IHostApplication*>(this);
    return kResultOk;
  }
  if (interfaceSupport_->queryInterface(iid, object) == kResultOk) return kResultOk;
  *object = nullptr;
  return kResultFalse;
}

uint32 HostApplication::addRef() noexcept { return 1; }

uint32 HostApplication::release() noexcept { return 1; }

tresult HostApplication::hostName(String128 name) noexcept {
  if (!name) return kInvalidArgument;
  static const char16 kName[] = u"My HOX3 HostApplication";
  static_assert(sizeof(kName) / sizeof(char16) <= 128);
  for (size_t i = 0; i < sizeof(kName) / sizeof(char16); ++i) name[i] = kName[i];
  return kResultOk;
}

tresult HostApplication::createHostObject(const TUID classId, const TUID interfaceId,
                                          void** object) noexcept {
  if (!object) return kInvalidArgument;
  *object = nullptr;
  if (IMessage::iid.matches(classId) && IMessage::iid.matches(interfaceId)) {
    IMessage* message = new (std::nothrow) HostMessage();
    if (!message) return kOutOfMemory;
    *object = message;
    return kResultOk;
  }
  if (IAttributeList::iid.matches(classId) && IAttributeList::iid.matches(interfaceId)) {
    IAttributeList* list = new (std::nothrow) HostAttributeList();
    if (!list) return kOutOfMemory;
    *object = list;
    return kResultOk;
  }
  return kResultFalse;
}

}  // namespace Brennholt::Hox
