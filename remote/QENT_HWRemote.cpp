#include "remote/QENT_HWRemote.h"

#include "remote/ElementTable.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/InboundFrame.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExBuilder.h"
#include "remote/protocol/SysExFilters.h"
#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

namespace {

constexpr int32 kLampOn = 127;
constexpr int32 kLampOff = 0;

bool isKnob(int32 element) {
  return element >= ElementTable::kFirstAssignKnob && element <= ElementTable::kLastKnob;
}
bool isFunctionKey(int32 element) {
  return element >= ElementTable::kFirstFKey && element < ElementTable::kFirstFKey + 6;
}
bool isBankButton(int32 element) {
  return element >= ElementTable::kFirstSFBank &&
         element < ElementTable::kFirstSFBank + ElementTable::kBankCount;
}

void postToService(uint8* message) { ChannelRegistry::post(&ChannelRegistry::inbound(), message); }

// Length of a service message: its address fixes it (a name may hold an F7 byte of its own),
// except for the keyboard addresses without one (52 00, 53 00), which may carry any data and end
// at their first F7 (never looked for past the largest message a channel carries). Foreign
// addresses are freed unread, so their length does not matter.
std::size_t serviceMessageSize(const uint8* message) {
  const std::size_t size = SysExFormat::channelBufferSize(message);
  const SysExAddress address{message[SysExFormat::kAddressHighPos],
                             message[SysExFormat::kAddressLowPos]};
  if (SysExFormat::fixedLength(address) != 0 || !SysExFilters::outboundAddress(address)) {
    return size;
  }
  const std::ptrdiff_t end = SysExFormat::findEnd(message, InboundFrame::kBufferSize);
  return end < 0 ? size : static_cast<std::size_t>(end) + 1;
}

}  // namespace

QENT_HWRemote::QENT_HWRemote() : knobManager_(&hostKernel, true) {}

QENT_HWRemote::~QENT_HWRemote() {
  ChannelRegistry::closeOutbound(channelIndex_, worker_);
  FGuard guard(&queueLock_);
  for (int32 i = 0; i < outQueue_.count(); ++i) SysExBuffer::release(outQueue_[i].bytes);
  outQueue_.removeAll();
}

bool QENT_HWRemote::attach(Hox::IRemoteHostLink* hostLink) noexcept {
  if (hostKernel == nullptr || hostLink == nullptr || link() != nullptr) return false;
  setLink(hostLink);

  linkSetOption(Hox::fourCC("midi"), 1);
  linkSetOption(Hox::fourCC("ftch"), 1);
  linkSetOption(Hox::fourCC("wrng"), 24);
  linkSetOption(Hox::fourCC("miex"), 1);
  linkSetOption(Hox::fourCC("?hbs"), 0);

  for (int32 i = 0; i < ElementTable::kCount; ++i) linkAddElement(ElementTable::record(i));

  IPtr<Hox::IBindingTarget> target = IPtr<Hox::IBindingTarget>::adopt(linkBindingTarget("Mixer"));
  if (target) {
    ElementTable::declareDefaultBindings(target.get());
    const CHoverKnobManager::Descriptor descriptor{"DataDial",
                                                   "Jog",
                                                   "Lock",
                                                   ElementTable::kDataDial,
                                                   ElementTable::kJog,
                                                   ElementTable::kLock,
                                                   ElementTable::kPlay,
                                                   ElementTable::kRecord,
                                                   ElementTable::kStop};
    knobManager_.declareBindings(target.get(), descriptor);
  }
  target.reset();

  // Without a channel the remote still works towards the keyboard; it just hears nothing from
  // the service.
  channelIndex_ = ChannelRegistry::openOutbound(static_cast<ISender*>(this), worker_);
  setRemoteReady();
  return true;
}

bool QENT_HWRemote::detach() noexcept {
  ChannelRegistry::closeOutbound(channelIndex_, worker_);
  setLink(nullptr);
  return true;
}

tresult QENT_HWRemote::activate() noexcept {
  inactive_ = false;
  return HWRemoteBase::activate();
}

tresult QENT_HWRemote::deactivate() noexcept {
  {
    FGuard guard(&queueLock_);
    sendQueued(outQueue_.count());
    // Under the lock, so a delivery waiting for it sees the flag and drops its message.
    inactive_ = true;
  }
  return HWRemoteBase::deactivate();
}

tresult QENT_HWRemote::onElementValue(int32 element, int32 value) noexcept {
  if (isKnob(element) && value >= 0 && value <= 127) {
    postToService(SysExBuilder::knobMove(element, value));
    return kResultOk;
  }
  if (isFunctionKey(element)) {
    // Only the press runs the key's command.
    if (value > 0) postToService(SysExBuilder::functionKey(element - ElementTable::kFirstFKey));
    return kResultOk;
  }
  if (knobManager_.handleInput(element, value, true)) return kResultOk;
  if (isBankButton(element)) {
    postToService(SysExBuilder::bankButton(element - ElementTable::kFirstSFBank));
    return kResultOk;
  }
  return HWRemoteBase::onElementValue(element, value);
}

tresult QENT_HWRemote::onSysEx(Hox::SysExHandle message) noexcept {
  if (!link()) return kResultFalse;
  int32 length = 0;
  const uint8* bytes = linkSysExBytes(message, &length);
  if (!bytes || length <= 0) return HWRemoteBase::onSysEx(message);

  SysExPtr frame(InboundFrame::copy(bytes, static_cast<std::size_t>(length)));
  if (!frame || !SysExFilters::acceptInbound(frame.get(), InboundFrame::kBufferSize)) {
    return kResultOk;
  }
  SysExAddress address{};
  SysExFormat::readAddress(frame.get(), InboundFrame::kBufferSize, address);
  if (address == SysExFormat::kRemoteMode && frame[SysExFormat::kDataPos] == 1) {
    refreshLamps(false);
  }
  postToService(frame.release());
  return kResultOk;
}

tresult QENT_HWRemote::onElementFeedback(const Hox::ElementRecord* record, int32 element,
                                         int32 value) noexcept {
  if (!record) return kResultOk;
  if (element == ElementTable::kPlay) playLamp_ = value != 0;
  if (element == ElementTable::kRecord) recordLamp_ = value != 0;
  return HWRemoteBase::onElementFeedback(record, element, value);
}

tresult QENT_HWRemote::onPageChanged(const char* pageName) noexcept {
  if (pageName && knobManager_.setModeByName(pageName)) refreshLamps(true);
  return kResultOk;
}

tresult QENT_HWRemote::onIdle() noexcept {
  if (bankLampPending_.exchange(false)) setLamp(ElementTable::kFirstSFBank + sfBank_, kLampOn);
  if (helloPending_) {
    helloPending_ = false;  // not retried when the remote was inactive
    if (!inactive_) sayHello();
  }
  {
    FGuard guard(&queueLock_);
    sendQueued(kSendsPerIdle);
  }
  knobManager_.idleStep();
  performKnobOutput();
  return kResultOk;
}

void QENT_HWRemote::deliver(uint8* message) noexcept {
  SysExPtr owned(message);
  if (!owned || inactive_) return;
  const std::size_t size = serviceMessageSize(message);
  const ServiceMessageRoute route = SysExFilters::routeServiceMessage(message, size);
  switch (route) {
    case ServiceMessageRoute::SetBank: {
      // Banks without a lamp (above 5) are ignored rather than lit past the element table.
      const int32 bank = message[SysExFormat::kDataPos];
      if (bank < ElementTable::kBankCount) {
        sfBank_ = bank;
        bankLampPending_ = true;
      }
      return;
    }
    case ServiceMessageRoute::SetJogStop:
      knobManager_.setNoInertia(message[SysExFormat::kDataPos] != 0);
      return;
    case ServiceMessageRoute::Queue:
    case ServiceMessageRoute::QueueAfterPrune: {
      // The address fixes the length; a name may hold an F7 byte of its own.
      const auto length = static_cast<int32>(size);
      FGuard guard(&queueLock_);
      if (inactive_) return;
      if (route == ServiceMessageRoute::QueueAfterPrune) {
        // A new text line supersedes the per-knob texts that have not gone out yet.
        for (int32 i = outQueue_.count() - 1; i >= 0; --i) {
          const Queued& queued = outQueue_[i];
          if (SysExFilters::prunedByTextLine(queued.bytes,
                                             static_cast<std::size_t>(queued.length))) {
            SysExBuffer::release(queued.bytes);
            outQueue_.removeAt(i);
          }
        }
      }
      if (outQueue_.add(Queued{message, length})) owned.release();
      return;
    }
    case ServiceMessageRoute::Free:
      return;
  }
}

void QENT_HWRemote::sendQueued(int32 limit) {
  int32 sent = 0;
  while (sent < limit && outQueue_.count() > 0) {
    const Queued queued = outQueue_[0];
    outQueue_.removeAt(0);
    linkSendSysEx(queued.bytes, queued.length);
    SysExBuffer::release(queued.bytes);
    ++sent;
  }
}

void QENT_HWRemote::sayHello() {
  SysExPtr hello(SysExBuilder::helloToKeyboard());
  if (hello) {
    linkSendSysEx(hello.get(), static_cast<int32>(SysExFormat::kMinimumSize));
  }
  postToService(SysExBuilder::helloToService());
}

void QENT_HWRemote::performKnobOutput() {
  if (!knobManager_.hasOutputs()) return;
  const CHoverKnobManager::Output output = knobManager_.takeOutput();
  if (output.element < 0) {
    linkShowText(knobManager_.modeName(output.value));
  } else if (link()) {
    link()->defaultElementValue(output.element, output.value);
  }
}

void QENT_HWRemote::setLamp(int32 element, int32 value) {
  if (const Hox::ElementRecord* record = ElementTable::record(element)) {
    linkSetElementValue(record, element, value);
  }
}

void QENT_HWRemote::refreshLamps(bool knobOnly) {
  if (!knobOnly) {
    setLamp(ElementTable::kPlay, playLamp_ ? kLampOn : kLampOff);
    setLamp(ElementTable::kRecord, recordLamp_ ? kLampOn : kLampOff);
    setLamp(ElementTable::kFirstSFBank + sfBank_, kLampOn);
  }
  int32 jog = 0;
  int32 lock = -1;
  if (knobManager_.lampValues(jog, lock)) {
    setLamp(ElementTable::kJog, jog);
    if (lock >= 0) setLamp(ElementTable::kLock, lock);
  }
}

}  // namespace Brennholt
