// The host-side objects a component plug-in sees, driven through their interfaces as a plug-in
// would drive them.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "finder/ConnectionProxy.h"
#include "finder/HostApplication.h"
#include "finder/ThreadChecker.h"
#include "sdk/ComponentInterfaces.h"

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

IPtr<IAttributeList> newAttributeList() {
  IPtr<IAttributeList> list;
  EXPECT_EQ(gHostApplication.createHostObject(IAttributeList::iid.bytes(),
                                              IAttributeList::iid.bytes(), list.putVoid()),
            kResultOk);
  return list;
}

// A plug-in's connection point: counts what the proxy does to it.
class RecordingPoint final : public IConnectionPoint {
 public:
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (FUnknown::iid.matches(iid) || IConnectionPoint::iid.matches(iid)) {
      addRef();
      *object = this;
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return ++refs; }
  uint32 release() noexcept override { return --refs; }  // lives on the test's stack
  tresult connect(IConnectionPoint* other) noexcept override {
    ++connects;
    connectedTo = other;
    return connectAnswer;
  }
  tresult disconnect(IConnectionPoint* other) noexcept override {
    ++disconnects;
    disconnectedFrom = other;
    return kResultOk;
  }
  tresult notify(IMessage* message) noexcept override {
    ++notifications;
    lastMessage = message;
    return kResultOk;
  }

  uint32 refs = 1;
  tresult connectAnswer = kResultOk;
  int connects = 0;
  int disconnects = 0;
  int notifications = 0;
  IConnectionPoint* connectedTo = nullptr;
  IConnectionPoint* disconnectedFrom = nullptr;
  IMessage* lastMessage = nullptr;
};

}  // namespace

TEST(HostAttributeList, ValuesAreTypedAndOneKeyHoldsOneValue) {
  IPtr<IAttributeList> list = newAttributeList();
  ASSERT_TRUE(list);
  int64 integer = 0;
  double number = 0.0;

  EXPECT_EQ(list->setIntValue("k", -5000000000LL), kResultOk);
  EXPECT_EQ(list->getIntValue("k", &integer), kResultOk);
  EXPECT_EQ(integer, -5000000000LL);
  // Another type under the same key replaces the integer entirely.
  EXPECT_EQ(list->setTextValue("k", u"text"), kResultOk);
  integer = 7;
  EXPECT_EQ(list->getIntValue("k", &integer), kResultFalse);
  EXPECT_EQ(integer, 7);
  EXPECT_EQ(list->getFloatValue("k", &number), kResultFalse);

  EXPECT_EQ(list->setFloatValue("f", 0.25), kResultOk);
  EXPECT_EQ(list->getFloatValue("f", &number), kResultOk);
  EXPECT_EQ(number, 0.25);
  EXPECT_EQ(list->getIntValue("missing", &integer), kResultFalse);

  EXPECT_EQ(list->setIntValue(nullptr, 1), kInvalidArgument);
  EXPECT_EQ(list->getIntValue(nullptr, &integer), kInvalidArgument);
  EXPECT_EQ(list->setTextValue(nullptr, u"x"), kInvalidArgument);
}

TEST(HostAttributeList, TextCopiesAtMostTheCallersBytes) {
  IPtr<IAttributeList> list = newAttributeList();
  ASSERT_TRUE(list);
  ASSERT_EQ(list->setTextValue("name", u"Hello"), kResultOk);

  char16 full[16];
  std::memset(full, 0x7F, sizeof(full));
  EXPECT_EQ(list->getTextValue("name", full, sizeof(full)), kResultOk);
  EXPECT_EQ(std::u16string(full), u"Hello");
  EXPECT_EQ(full[6], 0x7F7F);  // 12 bytes copied, nothing beyond

  // A short buffer gets a cut copy with no terminator added.
  char16 shortBuffer[4];
  std::memset(shortBuffer, 0x7F, sizeof(shortBuffer));
  EXPECT_EQ(list->getTextValue("name", shortBuffer, 3 * sizeof(char16)), kResultOk);
  EXPECT_EQ(shortBuffer[0], u'H');
  EXPECT_EQ(shortBuffer[2], u'l');
  EXPECT_EQ(shortBuffer[3], 0x7F7F);
}

TEST(HostAttributeList, BinaryIsCopiedInAndHandedOutWithoutCopy) {
  IPtr<IAttributeList> list = newAttributeList();
  ASSERT_TRUE(list);
  unsigned char bytes[] = {1, 0, 2, 0xFF};
  ASSERT_EQ(list->setBinaryValue("blob", bytes, sizeof(bytes)), kResultOk);
  bytes[0] = 9;  // the list keeps its own copy

  const void* data = nullptr;
  uint32 size = 0;
  EXPECT_EQ(list->getBinaryValue("blob", &data, &size), kResultOk);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(static_cast<const unsigned char*>(data)[0], 1);
  EXPECT_EQ(static_cast<const unsigned char*>(data)[3], 0xFF);
  const void* again = nullptr;
  list->getBinaryValue("blob", &again, &size);
  EXPECT_EQ(again, data);

  // A miss clears the size, so a plug-in never reads stale bytes.
  size = 99;
  EXPECT_EQ(list->getBinaryValue("none", &data, &size), kResultFalse);
  EXPECT_EQ(size, 0u);
  ASSERT_EQ(list->setIntValue("blob", 3), kResultOk);
  size = 99;
  EXPECT_EQ(list->getBinaryValue("blob", &data, &size), kResultFalse);
  EXPECT_EQ(size, 0u);
}

TEST(HostMessage, IdentifierIsCopiedAndAttributesComeOnce) {
  IPtr<IMessage> message;
  ASSERT_EQ(gHostApplication.createHostObject(IMessage::iid.bytes(), IMessage::iid.bytes(),
                                              message.putVoid()),
            kResultOk);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->messageId(), nullptr);

  char id[] = "Ping";
  message->setMessageId(id);
  id[0] = 'X';
  EXPECT_STREQ(message->messageId(), "Ping");
  // A plug-in may set the identifier it just read back.
  message->setMessageId(message->messageId());
  EXPECT_STREQ(message->messageId(), "Ping");
  message->setMessageId(nullptr);
  EXPECT_EQ(message->messageId(), nullptr);

  IAttributeList* attributes = message->attributes();
  ASSERT_NE(attributes, nullptr);
  EXPECT_EQ(message->attributes(), attributes);
  EXPECT_EQ(attributes->setIntValue("x", 1), kResultOk);

  IPtr<IMessage> same = queryInterface<IMessage>(message.get());
  EXPECT_EQ(same.get(), message.get());
  EXPECT_FALSE(queryInterface<IAttributeList>(message.get()));
}

TEST(HostApplication, NameObjectsAndInterfaceSupport) {
  char16 name[128];
  std::memset(name, 0x55, sizeof(name));
  EXPECT_EQ(gHostApplication.hostName(name), kResultOk);
  EXPECT_EQ(std::u16string(name), u"My HOX3 HostApplication");
  EXPECT_EQ(name[24], 0x5555);  // 24 units written, terminator included

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(gHostApplication.createHostObject(IMessage::iid.bytes(), IAttributeList::iid.bytes(),
                                              &object),
            kResultFalse);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(
      gHostApplication.createHostObject(IComponent::iid.bytes(), IComponent::iid.bytes(), &object),
      kResultFalse);
  EXPECT_EQ(object, nullptr);

  // Not counted: the context outlives every plug-in.
  EXPECT_EQ(gHostApplication.addRef(), 1u);
  EXPECT_EQ(gHostApplication.release(), 1u);

  IPtr<IHostApplication> host = queryInterface<IHostApplication>(&gHostApplication);
  EXPECT_EQ(host.get(), &gHostApplication);
  IPtr<IPlugInterfaceSupport> support = queryInterface<IPlugInterfaceSupport>(&gHostApplication);
  ASSERT_TRUE(support);
  EXPECT_EQ(support->isSupported(IUnitInfo::iid.bytes()), kResultTrue);
  EXPECT_EQ(support->isSupported(IComponent::iid.bytes()), kResultTrue);
  EXPECT_EQ(
      support->isSupported(FUID::fromDashed("{7F4EFE59-F320-4967-AC27-A3AEAFB63038}").bytes()),
      kResultTrue);
  EXPECT_EQ(support->isSupported(IHostApplication::iid.bytes()), kResultFalse);
  EXPECT_EQ(support->isSupported(IMessage::iid.bytes()), kResultFalse);

  // Anything neither the context nor the support object knows: null and false.
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(gHostApplication.queryInterface(IMessage::iid.bytes(), &object), kResultFalse);
  EXPECT_EQ(object, nullptr);
}

TEST(ConnectionProxy, ConnectsOnceAndForwardsToTheDestination) {
  RecordingPoint source;
  RecordingPoint peer;
  IConnectionPoint* proxy = new ConnectionProxy(&source);
  EXPECT_EQ(source.refs, 2u);

  EXPECT_EQ(proxy->connect(nullptr), kInvalidArgument);
  EXPECT_EQ(proxy->notify(nullptr), kResultFalse);  // not connected yet

  EXPECT_EQ(proxy->connect(&peer), kResultOk);
  EXPECT_EQ(source.connects, 1);
  EXPECT_EQ(source.connectedTo, proxy);  // the plug-in talks to the proxy, not to its peer

  RecordingPoint other;
  EXPECT_EQ(proxy->connect(&other), kResultFalse);
  EXPECT_EQ(source.connects, 1);
  EXPECT_EQ(other.refs, 1u);

  IMessage* message = reinterpret_cast<IMessage*>(&other);  // only passed through
  EXPECT_EQ(proxy->notify(message), kResultOk);
  EXPECT_EQ(peer.notifications, 1);
  EXPECT_EQ(peer.lastMessage, message);
  EXPECT_EQ(other.notifications, 0);

  EXPECT_EQ(proxy->disconnect(&other), kInvalidArgument);
  EXPECT_EQ(proxy->disconnect(nullptr), kInvalidArgument);
  EXPECT_EQ(source.disconnects, 0);
  EXPECT_EQ(proxy->disconnect(&peer), kResultOk);
  EXPECT_EQ(source.disconnects, 1);
  EXPECT_EQ(source.disconnectedFrom, proxy);
  EXPECT_EQ(peer.refs, 1u);
  EXPECT_EQ(proxy->notify(message), kResultFalse);

  // Connectable again after a disconnect.
  EXPECT_EQ(proxy->connect(&other), kResultOk);
  EXPECT_EQ(proxy->release(), 0u);
  EXPECT_EQ(source.refs, 1u);
  EXPECT_EQ(other.refs, 1u);
}

TEST(ConnectionProxy, RefusedConnectionLeavesItUnconnected) {
  RecordingPoint source;
  source.connectAnswer = kResultFalse;
  RecordingPoint peer;
  IConnectionPoint* proxy = new ConnectionProxy(&source);
  EXPECT_EQ(proxy->connect(&peer), kResultFalse);
  EXPECT_EQ(peer.refs, 1u);
  EXPECT_EQ(proxy->notify(nullptr), kResultFalse);
  EXPECT_EQ(peer.notifications, 0);
  source.connectAnswer = kResultOk;
  EXPECT_EQ(proxy->connect(&peer), kResultOk);
  proxy->disconnect(&peer);
  proxy->release();
}

TEST(ConnectionProxy, NotificationsFromAnotherThreadAreRefused) {
  RecordingPoint source;
  RecordingPoint peer;
  IConnectionPoint* proxy = new ConnectionProxy(&source);
  ASSERT_EQ(proxy->connect(&peer), kResultOk);
  tresult fromWorker = kResultOk;
  std::thread worker([&] { fromWorker = proxy->notify(nullptr); });
  worker.join();
  EXPECT_EQ(fromWorker, kResultFalse);
  EXPECT_EQ(peer.notifications, 0);
  EXPECT_EQ(proxy->notify(nullptr), kResultOk);
  EXPECT_EQ(peer.notifications, 1);
  proxy->disconnect(&peer);
  proxy->release();
}

TEST(ThreadChecker, PassesOnlyTheCreatingThread) {
  std::unique_ptr<ThreadChecker> checker = ThreadChecker::create();
  EXPECT_TRUE(checker->test("same thread", false));
  bool elsewhere = true;
  std::thread worker([&] { elsewhere = checker->test("wrong thread", false); });
  worker.join();
  EXPECT_FALSE(elsewhere);
}
