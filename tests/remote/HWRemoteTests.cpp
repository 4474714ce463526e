// The hardware remote through an in-test host link: what it registers, what it sends to the
// keyboard and when, and what it posts to the service.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "RemoteFakes.h"
#include "remote/ElementTable.h"
#include "remote/QENT_HWRemote.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/SysExBuilder.h"

namespace Brennholt {
namespace {

using namespace Testing;
using Lamp = FakeHostLink::Lamp;

const Bytes kHello{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x56, 0x01, 0xF7};

Bytes toService(uint8 high, uint8 low, uint8 data) {
  return {0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, high, low, data, 0xF7};
}

// A message holding exactly these bytes.
SysExPtr bufferOf(const Bytes& bytes) { return SysExPtr::copyOf(bytes.data(), bytes.size()); }

Bytes bytesOf(const SysExPtr& message) { return messageBytes(message); }

class HWRemoteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    takeAll(ChannelRegistry::inbound());
    link.target = &target;
    hostKernel = &kernel;
    clearModuleFlags();  // no remote attached yet, whatever ran before
    remote = new QENT_HWRemote;
  }
  void TearDown() override {
    if (remote) {
      remote->detach();
      remote->release();
    }
    hostKernel = nullptr;
    takeAll(ChannelRegistry::inbound());
  }

  SysExChannel* channel() { return ChannelRegistry::outbound(remote->channelIndex()); }

  // Posts service messages to this remote's channel and waits until its worker handed all of
  // them over (the worker delivers while holding the channel lock).
  template <class... Messages>
  void fromService(Messages... messages) {
    for (SysExPtr* message : {&messages...}) ASSERT_TRUE(channel()->post(std::move(*message)));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      channel()->lock();
      const int32 left = channel()->count();
      channel()->unlock();
      if (left == 0 || std::chrono::steady_clock::now() > end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  void attachActive() {
    ASSERT_TRUE(remote->attach(&link));
    remote->activate();
  }

  FakeKernel kernel;
  FakeBindingTarget target;
  FakeHostLink link;
  QENT_HWRemote* remote = nullptr;
};

TEST_F(HWRemoteTest, AttachBeforeTheServiceHasTheKernelDoesNothing) {
  hostKernel = nullptr;
  const int32 channels = ChannelRegistry::outboundCount();
  EXPECT_FALSE(remote->attach(&link));
  EXPECT_EQ(ChannelRegistry::outboundCount(), channels);
  EXPECT_EQ(remote->channelIndex(), -1);
  EXPECT_TRUE(link.options.empty());
  EXPECT_TRUE(link.elements.empty());
}

TEST_F(HWRemoteTest, AttachConfiguresRegistersBindsAndOpensTheNextChannel) {
  const int32 channels = ChannelRegistry::outboundCount();
  ASSERT_TRUE(remote->attach(&link));

  const std::vector<std::pair<uint32, int32>> options{
      {0x6D696469, 1}, {0x66746368, 1}, {0x77726E67, 24}, {0x6D696578, 1}, {0x3F686273, 0}};
  EXPECT_EQ(link.options, options);

  ASSERT_EQ(link.elements.size(), 55u);
  for (int32 i = 0; i < 55; ++i) EXPECT_EQ(link.elements[i], ElementTable::record(i));
  const Hox::ElementRecord& eq12 = *link.elements[23];
  EXPECT_STREQ(eq12.name, "EQKnob12");
  EXPECT_EQ(eq12.number, 39);
  EXPECT_EQ(eq12.flags, 5);
  const Hox::ElementRecord& play = *link.elements[29];
  EXPECT_STREQ(play.name, "Play");
  EXPECT_EQ(play.status, 0x90);
  EXPECT_EQ(play.number, 94);
  EXPECT_EQ(play.flags, 0x23);
  EXPECT_STREQ(link.elements[46]->name, "F6");
  EXPECT_EQ(link.elements[46]->number, 65);
  EXPECT_STREQ(link.elements[54]->name, "SFBank6");
  EXPECT_EQ(link.elements[54]->number, 71);
  EXPECT_EQ(ElementTable::record(55), nullptr);

  // Page "Default" with its 16 bindings first, then the knob manager's pages.
  ASSERT_GE(target.calls.size(), 17u);
  EXPECT_EQ(target.calls[0], "page Default");
  EXPECT_EQ(target.calls[1], "command Default|Top|Transport|Return to Zero|1");
  EXPECT_EQ(target.calls[2], "value Default|Play|Transport|-1|start|513");
  EXPECT_EQ(target.calls[6], "value Default|Record|Transport|-1|record|769");
  EXPECT_EQ(target.calls[7], "value Default|Mute|Mixer|-2|mute|769");
  EXPECT_EQ(target.calls[12],
            "command Default|SF4|Automation|Toggle Read Enable Selected Tracks|769");
  EXPECT_EQ(target.calls[16], "command Default|Dec|Preset|Previous|769");
  EXPECT_EQ(target.calls[17], "page Hover Knob Mode");
  EXPECT_EQ(target.refs, 1u) << "the binding target's reference must be released";

  EXPECT_EQ(remote->channelIndex(), channels);
  ASSERT_NE(channel(), nullptr);
  EXPECT_EQ(std::string(channel()->name().text8()),
            "SysExSending_QENT_" + std::to_string(channels + 1));
  EXPECT_TRUE(isRemoteReady());
  EXPECT_FALSE(remote->attach(&link)) << "a second attach must not open a second channel";

  remote->detach();
  EXPECT_EQ(ChannelRegistry::outbound(channels), nullptr);
}

TEST_F(HWRemoteTest, WithoutAMixerTargetThereAreNoBindingsAndButtonsGoToTheHost) {
  link.target = nullptr;
  ASSERT_TRUE(remote->attach(&link));
  EXPECT_TRUE(target.calls.empty());
  remote->onElementValue(ElementTable::kPlay, 127);
  EXPECT_EQ(link.defaults, (std::vector<std::pair<int32, int32>>{{29, 127}}));
}

TEST_F(HWRemoteTest, HelloOnceOnTheFirstIdleCallAndOnlyWhenActive) {
  ASSERT_TRUE(remote->attach(&link));
  remote->onIdle();
  remote->activate();
  remote->onIdle();
  EXPECT_TRUE(link.sent.empty());
  EXPECT_TRUE(takeAll(ChannelRegistry::inbound()).empty());

  QENT_HWRemote* second = new QENT_HWRemote;
  FakeHostLink secondLink;
  ASSERT_TRUE(second->attach(&secondLink));
  second->activate();
  second->onIdle();
  second->onIdle();
  EXPECT_EQ(secondLink.sent, std::vector<Bytes>{kHello});
  EXPECT_EQ(
      takeAll(ChannelRegistry::inbound()),
      std::vector<Bytes>{Bytes({0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x56, 0x01, 0xF7})});
  // The knob manager's start mode is shown once, one output per idle call.
  EXPECT_EQ(secondLink.texts, std::vector<std::string>{"Hover Knob Mode"});
  second->detach();
  second->release();
}

TEST_F(HWRemoteTest, FourQueuedMessagesPerIdleTheRestOnDeactivateNothingAfter) {
  attachActive();
  remote->onIdle();  // the hello
  link.sent.clear();
  for (int32 knob = 0; knob < 10; ++knob) {
    fromService(SysExBuilder::knobValue(knob, std::to_string(knob)));
  }
  std::vector<Bytes> expected;
  expected.reserve(10);
  for (int32 knob = 0; knob < 10; ++knob) {
    expected.push_back(bytesOf(SysExBuilder::knobValue(knob, std::to_string(knob))));
  }

  remote->onIdle();
  EXPECT_EQ(link.sent, std::vector<Bytes>(expected.begin(), expected.begin() + 4));
  remote->onIdle();
  EXPECT_EQ(link.sent, std::vector<Bytes>(expected.begin(), expected.begin() + 8));
  remote->deactivate();
  EXPECT_EQ(link.sent, expected);

  fromService(SysExBuilder::textLine("late"), SysExBuilder::memory(2));
  remote->onIdle();
  remote->onIdle();
  EXPECT_EQ(link.sent, expected);
  EXPECT_TRUE(link.lamps.empty());
}

TEST_F(HWRemoteTest, ServiceMessagesAreFilteredAndATextLineDropsQueuedKnobTexts) {
  attachActive();
  remote->onIdle();
  link.sent.clear();
  fromService(SysExBuilder::knobValue(0, "a"), SysExBuilder::knobName(1, "b"),
              SysExBuilder::knobValue(2, "c"), SysExBuilder::memoryName("Memory 1"),
              SysExBuilder::textLine("line"),
              // Not for the keyboard: a keyboard-to-host header and an unknown address.
              SysExBuilder::functionKey(1),
              SysExBuilder::frame(SysExDirection::HostToKeyboard, SysExFormat::kAssignmentDump));
  remote->onIdle();
  remote->onIdle();
  EXPECT_EQ(link.sent, (std::vector<Bytes>{bytesOf(SysExBuilder::memoryName("Memory 1")),
                                           bytesOf(SysExBuilder::textLine("line"))}));
}

TEST_F(HWRemoteTest, QueuedMessagesGoOutWithTheLengthTheirAddressGivesThem) {
  attachActive();
  remote->onIdle();
  link.sent.clear();
  const Bytes withData{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x52, 0x00, 0x01, 0x02, 0xF7};
  const Bytes bare{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x53, 0x00, 0xF7};
  const Bytes secondForm{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x00, 0x01, 0x53, 0x00, 0x05, 0xF7};
  fromService(bufferOf(withData), bufferOf(bare), bufferOf(secondForm));
  remote->onIdle();
  EXPECT_EQ(link.sent, (std::vector<Bytes>{withData, bare, secondForm}));

  // The name field is copied unchanged, so an F7 byte in it is part of the name, not the end.
  link.sent.clear();
  const Bytes name{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x50, 0x00, 'A', 'b',
                   0xF7, ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ', 0xF7};
  fromService(SysExBuilder::targetName("Ab\xF7"));
  remote->onIdle();
  EXPECT_EQ(link.sent, std::vector<Bytes>{name});
}

TEST_F(HWRemoteTest, ANewerTextTakesTheWaitingOnesPlaceSoTheQueueStaysBounded) {
  attachActive();
  remote->onIdle();
  link.sent.clear();
  // A short burst waits as it came: every message goes out in turn.
  for (int32 i = 0; i < 10; ++i) fromService(SysExBuilder::knobValue(0, std::to_string(i)));
  for (int32 i = 0; i < 3; ++i) remote->onIdle();
  ASSERT_EQ(link.sent.size(), 10u);
  link.sent.clear();
  // A queue far behind: kReplaceFrom distinct messages wait (text lines would drop knob texts;
  // these are function key names), then a service far faster than the keyboard writes knob 0's
  // value 300 times, with knob 1's name and the memory name rewritten between, then a
  // second-form text for knob 0's value field.
  std::vector<Bytes> backlog;
  for (int32 i = 0; i < QENT_HWRemote::kReplaceFrom; ++i) {
    SysExPtr label = SysExBuilder::buttonName(i % 6, std::to_string(i));
    backlog.push_back(bytesOf(label));
    fromService(std::move(label));
  }
  const Bytes secondForm{0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x00, 0x01, 0x30, 0x21, 'x',
                         ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  0x00, 0x00, 0xF7};
  for (int32 i = 0; i < 300; ++i) {
    fromService(SysExBuilder::knobValue(0, std::to_string(i)));
    if (i % 100 == 0) fromService(SysExBuilder::knobName(1, std::to_string(i) + "n"));
    if (i == 150) fromService(SysExBuilder::memoryName("Memory 5"));
  }
  fromService(bufferOf(secondForm));
  for (int32 i = 0; i < QENT_HWRemote::kReplaceFrom / 4 + 10; ++i) remote->onIdle();
  // The backlog as it waited, then each later field once, with its newest text, in the order
  // the fields first waited.
  std::vector<Bytes> expected = backlog;
  for (const Bytes& bytes :
       {bytesOf(SysExBuilder::knobValue(0, "299")), bytesOf(SysExBuilder::knobName(1, "200n")),
        bytesOf(SysExBuilder::memoryName("Memory 5")), secondForm})
    expected.push_back(bytes);
  EXPECT_EQ(link.sent, expected);

  // Messages without a fixed length are not fields: each waits, up to the queue's limit.
  link.sent.clear();
  const Bytes passOn{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x52, 0x00, 0x01, 0xF7};
  for (int32 i = 0; i < QENT_HWRemote::kMaxQueued + 50; ++i) fromService(bufferOf(passOn));
  remote->deactivate();
  EXPECT_EQ(link.sent.size(), static_cast<std::size_t>(QENT_HWRemote::kMaxQueued));
}

TEST_F(HWRemoteTest, BankFromTheServiceLightsItsLampOnTheHostThreadNeverPastTheTable) {
  attachActive();
  fromService(SysExBuilder::memory(3));
  EXPECT_TRUE(link.lamps.empty()) << "the worker must not call the host";
  remote->onIdle();
  EXPECT_EQ(link.lamps, std::vector<Lamp>{Lamp("SFBank4", 52, 127)});

  link.lamps.clear();
  SysExPtr beyond = SysExBuilder::memory(0);
  beyond[SysExFormat::kDataPos] = 9;
  fromService(std::move(beyond));
  remote->onIdle();
  EXPECT_TRUE(link.lamps.empty());
}

TEST_F(HWRemoteTest, KeyboardSysExKeepsOneFrameWithinTheFirst512BytesAndPassesTheFilter) {
  ASSERT_TRUE(remote->attach(&link));
  const Bytes name = bytesOf(SysExBuilder::keyboardName("Piano"));

  // Noise before F0 is skipped; the frame reaches the service.
  Bytes noisy(name.size() + 2, 0x12);
  std::copy(name.begin(), name.end(), noisy.begin() + 2);
  remote->onSysEx(&noisy);
  EXPECT_EQ(takeAll(ChannelRegistry::inbound()), std::vector<Bytes>{name});

  // F7 as byte 512 is still examined; as byte 513 it is not.
  Bytes longest(512, 0x20);
  longest[0] = 0xF0;
  std::copy(name.begin() + 1, name.begin() + 9, longest.begin() + 1);
  longest[511] = 0xF7;
  remote->onSysEx(&longest);
  EXPECT_EQ(takeAll(ChannelRegistry::inbound()).size(), 1u);
  Bytes tooLong = longest;
  tooLong[511] = 0x20;
  tooLong.push_back(0xF7);
  remote->onSysEx(&tooLong);
  EXPECT_TRUE(takeAll(ChannelRegistry::inbound()).empty());

  // A keyboard knob move, a foreign header and a host-to-keyboard message are dropped.
  Bytes move = toService(0x30, 0x41, 0x01);
  Bytes foreign = name;
  foreign[1] = 0x41;
  Bytes wrongWay = bytesOf(SysExBuilder::targetName("Piano"));
  for (Bytes* bytes : {&move, &foreign, &wrongWay}) remote->onSysEx(bytes);
  EXPECT_TRUE(takeAll(ChannelRegistry::inbound()).empty());
  EXPECT_EQ(link.defaultSysExCalls, 0);
}

TEST_F(HWRemoteTest, ElementsGoToTheServiceOrToTheHostByTheDispatchRules) {
  ASSERT_TRUE(remote->attach(&link));
  remote->onElementValue(43, 127);  // "F3" pressed
  remote->onElementValue(43, 0);    // and released
  remote->onElementValue(50, 127);  // "SFBank2" pressed
  remote->onElementValue(50, 0);    // and released
  remote->onElementValue(23, 65);   // "EQKnob12" one step down
  EXPECT_EQ(takeAll(ChannelRegistry::inbound()),
            (std::vector<Bytes>{toService(0x21, 0x00, 0x02), toService(0x22, 0x00, 0x01),
                                toService(0x22, 0x00, 0x01), toService(0x47, 0x41, 0x41)}));

  remote->onElementValue(0, 200);  // not a MIDI value: the host's
  remote->onElementValue(ElementTable::kPlay, 127);
  remote->onElementValue(ElementTable::kFirstSF, 127);
  EXPECT_TRUE(takeAll(ChannelRegistry::inbound()).empty());
  EXPECT_EQ(link.defaults, (std::vector<std::pair<int32, int32>>{{0, 200}, {29, 127}, {35, 127}}));
}

TEST_F(HWRemoteTest, FeedbackIsRememberedForTheFullLampRefreshOnRemoteMode) {
  ASSERT_TRUE(remote->attach(&link));
  remote->onElementFeedback(ElementTable::record(29), 29, 64);
  remote->onElementFeedback(nullptr, 30, 127);  // no record: nothing at all
  EXPECT_EQ(link.lamps, std::vector<Lamp>{Lamp("Play", 29, 64)});

  link.lamps.clear();
  Bytes remoteMode = bytesOf(SysExBuilder::remoteMode(1));
  remote->onSysEx(&remoteMode);
  EXPECT_EQ(link.lamps, (std::vector<Lamp>{Lamp("Play", 29, 127), Lamp("Record", 30, 0),
                                           Lamp("SFBank1", 49, 127), Lamp("Jog", 47, 0)}));
  EXPECT_EQ(takeAll(ChannelRegistry::inbound()), std::vector<Bytes>{remoteMode});

  // A mode page refreshes only the dial's lamps; other pages change nothing.
  link.lamps.clear();
  remote->onPageChanged("Restless Mode");
  remote->onPageChanged("Default");
  remote->onPageChanged(nullptr);
  EXPECT_EQ(link.lamps, (std::vector<Lamp>{Lamp("Jog", 47, 127), Lamp("Lock", 48, 127)}));
}

TEST_F(HWRemoteTest, ReleaseWithoutDetachStopsTheWorkerBeforeTheRemoteGoes) {
  attachActive();
  const int32 index = remote->channelIndex();
  fromService(SysExBuilder::textLine("one"));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(channel()->post(SysExBuilder::textLine("two")));
  remote->release();
  remote = nullptr;
  EXPECT_EQ(ChannelRegistry::outbound(index), nullptr);
}

// The static analyzer does not follow the atomic count, so it takes every call after a release
// for a use after free.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDelete)
TEST_F(HWRemoteTest, InterfaceQueryAnswersTheRemoteInterfacesOnly) {
  void* object = nullptr;
  for (const FUID* iid :
       {&FUnknown::iid, &IPluginBase::iid, &Hox::IHWRemote::iid, &Hox::IHWRemote2::iid}) {
    ASSERT_EQ(remote->queryInterface(iid->bytes(), &object), kResultOk);
    EXPECT_EQ(object, static_cast<Hox::IHWRemote2*>(remote));
    remote->release();
  }
  EXPECT_EQ(remote->queryInterface(Hox::IDetector::iid.bytes(), &object), kNoInterface);
  EXPECT_EQ(object, nullptr);
}
// NOLINTEND(clang-analyzer-cplusplus.NewDelete)

}  // namespace
}  // namespace Brennholt
