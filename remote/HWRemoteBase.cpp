#include "remote/HWRemoteBase.h"

namespace Brennholt {

tresult HWRemoteBase::initialize(FUnknown* /*context*/) noexcept { return kResultOk; }
tresult HWRemoteBase::terminate() noexcept { return kResultOk; }

bool HWRemoteBase::attach(Hox::IRemoteHostLink* hostLink) noexcept {
  hostLink_ = hostLink;
  return true;
}

bool HWRemoteBase::detach() noexcept { return true; }

tresult HWRemoteBase::activate() noexcept {
  return hostLink_ ? hostLink_->onActivate() : kResultFalse;
}

tresult HWRemoteBase::deactivate() noexcept {
  return hostLink_ ? hostLink_->onDeactivate() : kResultFalse;
}

tresult HWRemoteBase::forwardedQuery() noexcept {
  return hostLink_ ? hostLink_->forwardedQuery() : kResultFalse;
}

tresult HWRemoteBase::onElementValue(int32 element, int32 value) noexcept {
  return hostLink_ ? hostLink_->defaultElementValue(element, value) : kResultFalse;
}

tresult HWRemoteBase::onSysEx(Hox::SysExHandle message) noexcept {
  return hostLink_ ? hostLink_->defaultSysEx(message) : kResultFalse;
}

tresult HWRemoteBase::onElementFeedback(const Hox::ElementRecord* record, int32 element,
                                        int32 value) noexcept {
  return linkSetElementValue(record, element, value);
}

tresult HWRemoteBase::onRawData(const uint8* /*bytes*/, int32 /*a*/, int32 /*b*/) noexcept {
  return kResultOk;
}
tresult HWRemoteBase::onObject(void* /*object*/) noexcept { return kResultOk; }
tresult HWRemoteBase::onBytes(const uint8* /*bytes*/) noexcept { return kResultOk; }
tresult HWRemoteBase::onPageChanged(const char* /*pageName*/) noexcept { return kResultOk; }
tresult HWRemoteBase::onIdle() noexcept { return kResultOk; }
bool HWRemoteBase::onExtension(int32 /*a*/, int32 /*b*/) noexcept { return false; }

tresult HWRemoteBase::linkSetOption(uint32 code, int32 value) {
  return hostLink_ ? hostLink_->setOption(code, value) : kResultFalse;
}

Hox::IBindingTarget* HWRemoteBase::linkBindingTarget(const char* name) {
  return hostLink_ ? hostLink_->getBindingTarget(name) : nullptr;
}

const uint8* HWRemoteBase::linkSysExBytes(Hox::SysExHandle message, int32* length) {
  return hostLink_ ? hostLink_->sysExBytes(message, length) : nullptr;
}

tresult HWRemoteBase::linkSetElementValue(const Hox::ElementRecord* record, int32 element,
                                          int32 value) {
  return hostLink_ ? hostLink_->setElementValue(record, element, value) : kResultFalse;
}

tresult HWRemoteBase::linkSendSysEx(const uint8* message, int32 length) {
  return hostLink_ ? hostLink_->sendSysEx(message, length) : kResultFalse;
}

tresult HWRemoteBase::linkShowText(const char* text) {
  return hostLink_ ? hostLink_->showText(text) : kResultFalse;
}

tresult HWRemoteBase::linkAddElement(const Hox::ElementRecord* record) {
  return hostLink_ ? hostLink_->addElement(record) : kResultFalse;
}

}  // namespace Brennholt
