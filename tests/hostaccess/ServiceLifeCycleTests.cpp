// The keyboard service's life cycle, driven through its interfaces by a small host: the host
// check, binding to the kernel, registration and its reversal, the inbound queue and sending.
//
// The remote-ready flag is module-wide: each test that depends on it sets or clears it first, so
// the tests run in any order and any number of times.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "hostaccess/QENT_HKA.h"
#include "module/ClassRegistry.h"
#include "remote/channels/ChannelRegistry.h"
#include "remote/channels/ModuleState.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExBuilder.h"

namespace Brennholt {
namespace {

using Log = std::vector<std::string>;

// One host object answering one interface; the count only shows who holds references.
template <class I>
class Fake : public I {
 public:
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (FUnknown::iid.matches(iid) || I::iid.matches(iid)) {
      addRef();
      *object = static_cast<I*>(this);
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++refs); }
  uint32 release() noexcept override { return static_cast<uint32>(--refs); }
  int refs = 1;
};

class IdleService : public Fake<Hox::IIdleService> {
 public:
  explicit IdleService(Log& log) : log_(log) {}
  tresult addIdleHandler(Hox::IIdleHandler* handler) noexcept override {
    log_.push_back("add idle");
    handler_ = handler;
    return kResultOk;
  }
  tresult removeIdleHandler(Hox::IIdleHandler* handler) noexcept override {
    log_.push_back(handler == handler_ ? "remove idle" : "remove unknown idle");
    handler_ = nullptr;
    return kResultOk;
  }
  uint32 currentTime() noexcept override { return 0; }
  Hox::IIdleHandler* handler_ = nullptr;

 private:
  Log& log_;
};

class ProjectService : public Fake<Hox::IProjectService> {
 public:
  explicit ProjectService(Log& log) : log_(log) {}
  tresult addProjectNotification(Hox::IProjectNotification*) noexcept override {
    log_.push_back("add project");
    return kResultOk;
  }
  tresult removeProjectNotification(Hox::IProjectNotification*) noexcept override {
    log_.push_back("remove project");
    return kResultOk;
  }
  FUnknown* activeProject() noexcept override { return nullptr; }

 private:
  Log& log_;
};

class HostState : public Fake<Hox::IHostStateService> {
 public:
  bool isShutdownAllowed() noexcept override { return allowed; }
  bool allowed = true;
};

class Kernel : public Fake<Hox::IHostKernel> {
 public:
  explicit Kernel(Log& log) : idle(log), projects(log) {}
  tresult getService(const TUID iid, void** service) noexcept override {
    if (Hox::IIdleService::iid.matches(iid)) return idle.queryInterface(iid, service);
    if (Hox::IProjectService::iid.matches(iid)) return projects.queryInterface(iid, service);
    if (Hox::IHostStateService::iid.matches(iid)) return state.queryInterface(iid, service);
    *service = nullptr;
    return kNoInterface;
  }
  IdleService idle;
  ProjectService projects;
  HostState state;
};

class HostInformation : public Fake<Hox::IHostInformation> {
 public:
  const char16* productName() noexcept override { return product; }
  const char16* versionString() noexcept override { return version; }
  const char16* buildString() noexcept override { return build; }
  const char16* product = u"Tessaly Artist";
  const char16* version = u"7.5.0";
  const char16* build = u"Build 120";
};

// What the host hands to initialize: its kernel and its information.
class HostContext : public Fake<FUnknown> {
 public:
  HostContext() : kernel(log) {}
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (withKernel && Hox::IHostKernel::iid.matches(iid)) return kernel.queryInterface(iid, object);
    if (withInfo && Hox::IHostInformation::iid.matches(iid))
      return info.queryInterface(iid, object);
    return Fake<FUnknown>::queryInterface(iid, object);
  }
  void host(const char16* product, const char16* version) {
    info.product = product;
    info.version = version;
  }
  Log log;
  Kernel kernel;
  HostInformation info;
  bool withKernel = true;
  bool withInfo = true;
};

// The service with its model hooks observable.
class Service : public QENT_HKA {
 public:
  explicit Service(Log* log = nullptr) : log_(log) {}
  void handleMessage(Hox::IHostKernel* kernel, const SysExView& message) override {
    handled.emplace_back(message.bytes, message.bytes + message.size);
    QENT_HKA::handleMessage(kernel, message);
  }
  void onFirstIdle(Hox::IHostKernel* /*kernel*/) override { ++firstIdleCalls; }
  // The clean-up is handed the kernel terminate is about to let go of.
  void onShutdown(Hox::IHostKernel* kernel) override {
    if (log_) log_->push_back(kernel && kernel == hostKernel ? "shutdown" : "shutdown, no kernel");
  }
  bool mixerModel() const { return newMixerModel(); }
  int32 writeText(std::string_view text, uint8* buffer, std::size_t size, int32 pos, int32 w) {
    return putText(text, buffer, size, pos, w);
  }
  void targetName(std::string_view name) { sendTargetName(name); }

  std::vector<std::vector<uint8>> handled;
  int firstIdleCalls = 0;

 private:
  Log* log_;
};

// Idles the service until `done` or five seconds have passed.
template <class Done>
bool idleUntil(Hox::IIdleHandler* idle, Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    idle->onIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::vector<uint8> bytesOf(const SysExPtr& message) {
  return std::vector<uint8>(message.get(), message.get() + message.size());
}

TEST(ServiceStartUp, MessagesWaitForTheRemoteAndAreHandledInArrivalOrder) {
  clearModuleFlags();  // no remote has attached yet
  HostContext host;
  auto* service = new Service;
  ASSERT_EQ(service->initialize(&host), kResultOk);
  Hox::IIdleHandler* idle = service;

  // One message reaches the queue directly, one waits in the inbound channel without a worker.
  const std::vector<uint8> direct = bytesOf(SysExBuilder::functionKey(2));
  static_cast<IReceiver*>(service)->deliver(SysExBuilder::functionKey(2));
  ASSERT_TRUE(ChannelRegistry::post(&ChannelRegistry::inbound(), SysExBuilder::helloToService()));
  for (int i = 0; i < 5; ++i) idle->onIdle();
  EXPECT_EQ(service->firstIdleCalls, 0);
  EXPECT_TRUE(service->handled.empty());

  setRemoteReady();
  idle->onIdle();  // start-up only: one kind of work per call
  EXPECT_EQ(service->firstIdleCalls, 1);
  EXPECT_TRUE(service->handled.empty());

  ASSERT_TRUE(idleUntil(idle, [&] { return service->handled.size() == 2; }));
  EXPECT_EQ(service->handled[0], direct);
  EXPECT_EQ(service->handled[1], bytesOf(SysExBuilder::helloToService()));
  EXPECT_EQ(service->firstIdleCalls, 1);

  EXPECT_EQ(service->terminate(), kResultOk);
  service->release();
}

TEST(ServiceInitialize, RefusesUnsupportedHostsWithoutRegistering) {
  struct Case {
    const char16* product;
    const char16* version;
  } refused[] = {
      {u"Tessaly LE", u"8.0.0"},       // the LE edition, whatever its version
      {u"Morvane", u"5.9.3"},          // Morvane before 6
      {u"Tessaly", u"6.5.0"},          // other editions before 7
      {u"Tessaly Artist", u"7.5"},     // incomplete version
      {u"Some Other Host", u"9.0.0"},  // unknown product
  };
  for (const auto& c : refused) {
    HostContext host;
    host.host(c.product, c.version);
    auto* service = new Service;
    EXPECT_EQ(service->initialize(&host), kResultFalse);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(hostKernel, nullptr);
    EXPECT_EQ(host.kernel.refs, 1);
    EXPECT_EQ(host.info.refs, 1);
    service->release();
  }

  HostContext noKernel;
  noKernel.withKernel = false;
  auto* service = new Service;
  EXPECT_EQ(service->initialize(&noKernel), kResultFalse);
  EXPECT_TRUE(noKernel.log.empty());
  EXPECT_EQ(hostKernel, nullptr);
  service->release();

  HostContext noInfo;
  noInfo.withInfo = false;
  service = new Service;
  EXPECT_EQ(service->initialize(&noInfo), kResultFalse);
  EXPECT_EQ(noInfo.kernel.refs, 1);
  service->release();
}

TEST(ServiceInitialize, BindsTheKernelAndRegistersProjectThenIdle) {
  HostContext host;
  host.host(u"Morvane", u"6.0.7");
  auto* service = new Service(&host.log);
  ASSERT_EQ(service->initialize(&host), kResultOk);
  EXPECT_EQ(host.log, (Log{"add project", "add idle"}));
  EXPECT_EQ(hostKernel, &host.kernel);
  EXPECT_EQ(host.kernel.refs, 2);
  EXPECT_EQ(host.kernel.idle.handler_, static_cast<Hox::IIdleHandler*>(service));
  // Every service asked for during initialize was given back.
  EXPECT_EQ(host.kernel.idle.refs, 1);
  EXPECT_EQ(host.kernel.projects.refs, 1);
  EXPECT_EQ(host.info.refs, 1);

  host.log.clear();
  EXPECT_EQ(service->terminate(), kResultOk);
  EXPECT_EQ(host.log, (Log{"remove project", "shutdown", "remove idle"}));
  EXPECT_EQ(hostKernel, nullptr);
  EXPECT_EQ(host.kernel.refs, 1);
  service->release();
}

TEST(ServiceTerminate, WaitsWhileTheHostDoesNotAllowShutdown) {
  HostContext host;
  auto* service = new Service(&host.log);
  ASSERT_EQ(service->initialize(&host), kResultOk);
  host.log.clear();
  host.kernel.state.allowed = false;
  EXPECT_EQ(service->terminate(), kResultFalse);
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(hostKernel, &host.kernel);

  host.kernel.state.allowed = true;
  EXPECT_EQ(service->terminate(), kResultOk);
  EXPECT_EQ(hostKernel, nullptr);
  // A second terminate has nothing left to give back.
  EXPECT_EQ(service->terminate(), kResultOk);
  EXPECT_EQ(host.kernel.refs, 1);
  service->release();
}

TEST(ServiceTerminate, ReleaseWithoutTerminateUnregistersAndFreesTheQueue) {
  HostContext host;
  auto* service = new Service(&host.log);
  ASSERT_EQ(service->initialize(&host), kResultOk);
  Hox::IIdleHandler* idle = service;
  setRemoteReady();
  idle->onIdle();  // starts the worker
  for (int i = 0; i < 3; ++i)
    static_cast<IReceiver*>(service)->deliver(SysExBuilder::bankButton(i));
  host.log.clear();
  service->release();  // LeakSanitizer reports the queued buffers if they are not freed
  EXPECT_EQ(host.log, (Log{"remove project", "remove idle"}));
  EXPECT_EQ(hostKernel, nullptr);
  EXPECT_EQ(host.kernel.refs, 1);
}

TEST(ServiceInitialize, NewMixerModelFromVersion) {
  struct Case {
    const char16* product;
    const char16* version;
    bool expected;
  } cases[] = {
      {u"Morvane", u"6.0.7", false},      {u"Morvane", u"6.5.0", true},
      {u"Tessaly", u"7.4.9", false},      {u"Tessaly Studio", u"7.5.0", true},
      {u"Tessaly Hover", u"8.0.1", true},
  };
  for (const auto& c : cases) {
    HostContext host;
    host.host(c.product, c.version);
    auto* service = new Service;
    ASSERT_EQ(service->initialize(&host), kResultOk);
    EXPECT_EQ(service->mixerModel(), c.expected);
    EXPECT_EQ(service->terminate(), kResultOk);
    service->release();
  }
}

TEST(ServiceInterfaces, FactoryCreatesTheServiceWithItsInterfaces) {
  IPluginFactory* factory = acquirePluginFactory();
  ASSERT_NE(factory, nullptr);
  IPluginBase* base = nullptr;
  ASSERT_EQ(factory->createInstance(QENT_HKA::kClassId.bytes(), IPluginBase::iid.bytes(),
                                    reinterpret_cast<void**>(&base)),
            kResultOk);
  factory->release();
  ASSERT_NE(base, nullptr);

  void* idle = nullptr;
  EXPECT_EQ(base->queryInterface(Hox::IIdleHandler::iid.bytes(), &idle), kResultOk);
  void* projects = nullptr;
  EXPECT_EQ(base->queryInterface(Hox::IProjectNotification::iid.bytes(), &projects), kResultOk);
  void* actions = nullptr;
  EXPECT_EQ(base->queryInterface(Hox::IActionHandler::iid.bytes(), &actions), kResultOk);
  void* dependent = nullptr;
  EXPECT_EQ(base->queryInterface(Hox::IDependent::iid.bytes(), &dependent), kResultOk);
  void* unknown = &idle;
  EXPECT_EQ(base->queryInterface(Hox::IIdleService::iid.bytes(), &unknown), kNoInterface);
  EXPECT_EQ(unknown, nullptr);
  // Each answer added a reference to the one object.
  static_cast<Hox::IIdleHandler*>(idle)->release();
  static_cast<Hox::IProjectNotification*>(projects)->release();
  static_cast<Hox::IDependent*>(dependent)->release();
  EXPECT_EQ(static_cast<Hox::IActionHandler*>(actions)->release(), 1u);
  EXPECT_EQ(base->release(), 0u);
}

// A remote's side of an outbound channel that keeps what arrives.
class Remote : public ISender {
 public:
  void deliver(SysExPtr message) noexcept override {
    std::lock_guard<std::mutex> guard(mutex);
    received.push_back(bytesOf(message));
  }
  void notify() noexcept override {}
  size_t count() {
    std::lock_guard<std::mutex> guard(mutex);
    return received.size();
  }
  std::mutex mutex;
  std::vector<std::vector<uint8>> received;
};

TEST(ServiceMessages, OnlyTheDataFormHelloIsAnsweredWithTheDisplay) {
  HostContext host;
  auto* service = new Service;
  ASSERT_EQ(service->initialize(&host), kResultOk);
  Hox::IIdleHandler* idle = service;
  setRemoteReady();
  idle->onIdle();  // the start-up
  Remote remote;
  ExtensionThread* worker = nullptr;
  const int32 index = ChannelRegistry::openOutbound(&remote, worker);
  ASSERT_GE(index, 0);

  SysExPtr second = SysExBuilder::helloToService();
  second[2] = 0x30;  // the second header form
  static_cast<IReceiver*>(service)->deliver(std::move(second));
  static_cast<IReceiver*>(service)->deliver(SysExBuilder::helloToKeyboard());
  idle->onIdle();
  EXPECT_EQ(service->handled.size(), 2u);

  static_cast<IReceiver*>(service)->deliver(SysExBuilder::helloToService());
  idle->onIdle();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (remote.count() < 3 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ChannelRegistry::closeOutbound(index, worker);
  // Without a selection: a blank text line, memory 1 and the state flag (no setup, no labels).
  ASSERT_EQ(remote.received.size(), 3u);
  EXPECT_EQ(remote.received[0], bytesOf(SysExBuilder::textLine("")));
  EXPECT_EQ(remote.received[1], bytesOf(SysExBuilder::memory(0)));
  EXPECT_EQ(remote.received[2], bytesOf(SysExBuilder::instrumentState(false)));
  EXPECT_EQ(service->terminate(), kResultOk);
  service->release();
}

TEST(ServiceMessages, ShortAndUnterminatedMessagesAreDroppedUnread) {
  HostContext host;
  auto* service = new Service;
  ASSERT_EQ(service->initialize(&host), kResultOk);
  Hox::IIdleHandler* idle = service;
  setRemoteReady();
  idle->onIdle();  // the start-up
  Remote remote;
  ExtensionThread* worker = nullptr;
  const int32 index = ChannelRegistry::openOutbound(&remote, worker);
  ASSERT_GE(index, 0);

  // Every message the service answers, cut after each of its bytes from the address on, and
  // whole but without its F7. AddressSanitizer reports a read past any of these buffers.
  SysExPtr answered[] = {SysExBuilder::remoteMode(1), SysExBuilder::keyboardName(""),
                         SysExBuilder::assignmentDump(KnobAssignment::Table{}),
                         SysExBuilder::assignmentEntry(3, KnobAssignment{0, 0x64}),
                         SysExBuilder::helloToService()};
  for (const SysExPtr& whole : answered) {
    ASSERT_TRUE(whole);
    for (std::size_t size = SysExFormat::kDataPos; size < whole.size(); ++size) {
      static_cast<IReceiver*>(service)->deliver(SysExPtr::copyOf(whole.get(), size));
    }
    SysExPtr unterminated = SysExPtr::copyOf(whole.get(), whole.size());
    unterminated[whole.size() - 1] = 0x00;
    static_cast<IReceiver*>(service)->deliver(std::move(unterminated));
  }
  idle->onIdle();
  // The same remote mode, whole, is answered: the dropped ones were not just queued behind.
  static_cast<IReceiver*>(service)->deliver(SysExBuilder::remoteMode(1));
  idle->onIdle();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (remote.count() < 2 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ChannelRegistry::closeOutbound(index, worker);
  ASSERT_EQ(remote.received.size(), 2u);
  EXPECT_EQ(remote.received[0], bytesOf(SysExBuilder::textLine("")));
  EXPECT_EQ(remote.received[1], bytesOf(SysExBuilder::instrumentState(false)));
  EXPECT_EQ(service->terminate(), kResultOk);
  service->release();
}

TEST(ServiceText, PutTextWritesFixedWidthFields) {
  Service service;  // never initialized; only the text writer is used
  uint8 buffer[20];
  std::memset(buffer, 0xEE, sizeof(buffer));
  EXPECT_EQ(service.writeText("ab\xC3"
                              "cd",
                              buffer, sizeof(buffer), 9, 8),
            17);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 9), 8), "ab---   ");
  EXPECT_EQ(buffer[8], 0xEE);
  EXPECT_EQ(buffer[17], 0xEE);

  EXPECT_EQ(service.writeText("x", nullptr, 0, 9, 8), -1);
  EXPECT_EQ(service.writeText("x", buffer, sizeof(buffer), 8, 8), -1);
  // A field that would pass the end of the buffer writes nothing.
  EXPECT_EQ(service.writeText("long text", buffer, sizeof(buffer), 15, 8), -1);
  EXPECT_EQ(buffer[15], ' ');
}

TEST(ServiceSend, EveryOpenRemoteGetsItsOwnCopy) {
  Remote first, second, closed;
  ExtensionThread* firstWorker = nullptr;
  ExtensionThread* secondWorker = nullptr;
  ExtensionThread* closedWorker = nullptr;
  const int32 firstIndex = ChannelRegistry::openOutbound(&first, firstWorker);
  const int32 closedIndex = ChannelRegistry::openOutbound(&closed, closedWorker);
  const int32 secondIndex = ChannelRegistry::openOutbound(&second, secondWorker);
  ASSERT_GE(firstIndex, 0);
  ASSERT_GE(closedIndex, 0);
  ASSERT_GE(secondIndex, 0);
  ChannelRegistry::closeOutbound(closedIndex, closedWorker);

  Service service;
  service.targetName("");  // an empty name is never sent
  service.targetName("Other Track And More");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((first.count() < 1 || second.count() < 1) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ChannelRegistry::closeOutbound(firstIndex, firstWorker);
  ChannelRegistry::closeOutbound(secondIndex, secondWorker);

  const std::vector<uint8> expected = bytesOf(SysExBuilder::targetName("Other Track "));
  ASSERT_EQ(first.received.size(), 1u);
  ASSERT_EQ(second.received.size(), 1u);
  EXPECT_EQ(first.received[0], expected);
  EXPECT_EQ(second.received[0], expected);
  EXPECT_TRUE(closed.received.empty());
}

}  // namespace
}  // namespace Brennholt
