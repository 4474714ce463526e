#include "remote/QENT_HWRemote.h"

#include <optional>
#include <utility>

#include "remote/ElementTable.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/InboundFrame.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExBuilder.h"
#include "remote/protocol/SysExFilters.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"

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

void postToService(SysExPtr message) {
  ChannelRegistry::post(&ChannelRegistry::inbound(), std::move(message));
}

}  // namespace

QENT_HWRemote::QENT_HWRemote() : knobManager_(true) {}

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
  if (knobManager_.handleInput(hostKernel, element, value, true)) return kResultOk;
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

  SysExPtr frame = InboundFrame::copy(bytes, static_cast<std::size_t>(length));
  if (!frame) return kResultOk;
  const std::optional<SysExView> view = SysExView::read(frame.get(), frame.size());
  if (!view || !SysExFilters::acceptInbound(*view)) return kResultOk;
  if (view->address == SysExFormat::kRemoteMode && view->hasDataByte() &&
      frame[SysExFormat::kDataPos] == 1) {
    refreshLamps(false);
  }
  postToService(std::move(frame));
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
  knobManager_.idleStep(hostKernel);
  performKnobOutput();
  return kResultOk;
}

void QENT_HWRemote::deliver(SysExPtr message) noexcept {
  if (!message || inactive_) return;
  const std::optional<SysExView> view = SysExView::read(message.get(), message.size());
  if (!view) return;
  std::size_t length = 0;
  const ServiceMessageRoute route = SysExFilters::routeServiceMessage(*view, length);
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
      // The filter gives the length that goes out: the address fixes it (a name may hold an F7
      // byte of its own), 52 00 and 53 00 end at their first F7.
      FGuard guard(&queueLock_);
      if (inactive_) return;
      if (route == ServiceMessageRoute::QueueAfterPrune) {
        // A new text line supersedes the per-knob texts that have not gone out yet.
        for (int32 i = outQueue_.count() - 1; i >= 0; --i) {
          const Queued& queued = outQueue_[i];
          if (SysExFilters::prunedByTextLine(queued.address)) {
            SysExBuffer::release(queued.bytes);
            outQueue_.removeAt(i);
          }
        }
      }
      const Queued entry{message.get(), static_cast<int32>(length), view->address};
      if (outQueue_.count() >= kReplaceFrom && SysExFormat::fixedLength(view->address) != 0) {
        // A queue this far behind: a newer text for the same field, in the same header form,
        // replaces the waiting one where it stands. Its place in the line is kept, so every
        // field still goes out in turn however often the service rewrites it.
        for (int32 i = 0; i < outQueue_.count(); ++i) {
          Queued& waiting = *outQueue_.at(i);
          if (waiting.address == entry.address &&
              waiting.bytes[SysExFormat::kFormPos] == entry.bytes[SysExFormat::kFormPos]) {
            SysExBuffer::release(waiting.bytes);
            waiting = entry;
            message.release();
            return;
          }
        }
      }
      if (outQueue_.count() < kMaxQueued && outQueue_.add(entry)) message.release();
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
  const SysExPtr hello = SysExBuilder::helloToKeyboard();
  if (hello) linkSendSysEx(hello.get(), static_cast<int32>(hello.size()));
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
