// The factory, the plug-in objects and the three exports of a table-driven stand-in component
// module. One object type plays the processing component, the edit controller, or both, so that
// every class shape of the table comes from the same code.
#include "tests/plugins/StandInComponent.h"

#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <thread>

#include "tests/plugins/StandInSupport.h"

namespace StandIn {
namespace {

using namespace Brennholt;

const ModuleSpec& moduleSpec() { return standInModule; }

// The load marker: a test that must prove a module was never loaded looks for this line.
[[maybe_unused]] const bool loadTraced = (trace(std::string("load ") + standInModule.tag), true);

enum class Role { kComponent, kController };

// "SI", up to ten bytes of the module tag, class index, role: unique within a module, never zero.
FUID classIdFor(int32 index, Role role) {
  char bytes[16] = {'S', 'I'};
  const char* tag = moduleSpec().tag;
  for (int i = 0; i < 10 && tag[i] != '\0'; ++i) bytes[2 + i] = tag[i];
  bytes[13] = static_cast<char>(index + 1);
  bytes[14] = role == Role::kComponent ? 'c' : 'e';
  return FUID(bytes);
}

// Every connection point this module has handed out, so that connect can tell one of ours (a
// direct connection) from a host's proxy.
std::mutex registryLock;
std::set<const void*>& ourConnectionPoints() {
  static std::set<const void*> points;
  return points;
}
bool isOurs(const IConnectionPoint* point) {
  std::lock_guard<std::mutex> guard(registryLock);
  return ourConnectionPoints().count(point) != 0;
}

// Message identifiers between the halves: the controller says hello, the component answers with
// a ping that carries one attribute of each type.
constexpr const char* kHello = "Hello";
constexpr const char* kPing = "Ping";
constexpr int64 kPingCount = 42;
constexpr double kPingGain = 0.5;
constexpr const char16* kPingFrom = u"component";
constexpr unsigned char kPingBlob[5] = {1, 2, 0, 3, 4};

IPtr<IMessage> createMessage(FUnknown* context, const char* id) {
  IPtr<IMessage> message;
  IPtr<IHostApplication> host = queryInterface<IHostApplication>(context);
  if (!host) return message;
  if (host->createHostObject(IMessage::iid.bytes(), IMessage::iid.bytes(), message.putVoid()) !=
      kResultOk) {
    message.reset();
  }
  if (message) message->setMessageId(id);
  return message;
}

// What a well-behaved host context answers; returns the first check that failed, empty if none.
std::string checkHostContext(FUnknown* context) {
  IPtr<IHostApplication> host = queryInterface<IHostApplication>(context);
  if (!host) return "context";

  char16 name[128];
  for (char16& unit : name) unit = 0xFFFF;
  if (host->hostName(name) != kResultOk) return "name";
  if (std::u16string(name) != u"My HOX3 HostApplication") return "name";

  // The context hands out its interface support under the support interface's identifier.
  IPtr<IPlugInterfaceSupport> support = queryInterface<IPlugInterfaceSupport>(context);
  if (!support) return "support";
  if (support->isSupported(IUnitInfo::iid.bytes()) != kResultTrue) return "supported";
  if (support->isSupported(IEditController::iid.bytes()) != kResultTrue) return "supported";
  if (support->isSupported(IHostApplication::iid.bytes()) != kResultFalse) return "unsupported";

  void* object = reinterpret_cast<void*>(1);
  if (host->createHostObject(IMessage::iid.bytes(), IAttributeList::iid.bytes(), &object) !=
          kResultFalse ||
      object != nullptr) {
    return "mixed ids";
  }

  IPtr<IAttributeList> list;
  if (host->createHostObject(IAttributeList::iid.bytes(), IAttributeList::iid.bytes(),
                             list.putVoid()) != kResultOk ||
      !list) {
    return "list";
  }
  if (list->setIntValue(nullptr, 1) != kInvalidArgument) return "null key";
  // A key holds one value of any type: text replaces the integer.
  int64 number = -5;
  if (list->setIntValue("key", 7) != kResultOk || list->getIntValue("key", &number) != kResultOk ||
      number != 7) {
    return "int";
  }
  if (list->setTextValue("key", u"abc") != kResultOk) return "text";
  number = -5;
  if (list->getIntValue("key", &number) != kResultFalse || number != -5) return "replace";
  char16 text[4] = {0x7777, 0x7777, 0x7777, 0x7777};
  // A 4-byte buffer takes two units and no terminator.
  if (list->getTextValue("key", text, 4) != kResultOk || text[0] != u'a' || text[1] != u'b' ||
      text[2] != 0x7777) {
    return "short text";
  }

  IPtr<IMessage> message = createMessage(context, "first");
  if (!message || message->messageId() == nullptr ||
      std::strcmp(message->messageId(), "first") != 0) {
    return "message";
  }
  message->setMessageId(nullptr);
  if (message->messageId() != nullptr) return "message id";
  IAttributeList* attributes = message->attributes();
  if (attributes == nullptr || attributes != message->attributes()) return "message attributes";
  return std::string();
}

class StandInPlugin final : public IComponent,
                            public IEditController,
                            public IUnitInfo,
                            public IConnectionPoint {
 public:
  StandInPlugin(const ClassSpec& spec, Role role)
      : spec_(spec),
        isComponent_(role == Role::kComponent),
        isController_(role == Role::kController || spec.shape == Shape::kSingleObject) {
    ++liveObjects();
    std::lock_guard<std::mutex> guard(registryLock);
    ourConnectionPoints().insert(static_cast<IConnectionPoint*>(this));
  }

  // ---- FUnknown
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (object == nullptr) return kInvalidArgument;
    *object = nullptr;
    FUID id = FUID::fromTUID(iid);
    if (id == FUnknown::iid || id == IPluginBase::iid) {
      *object = isComponent_ ? static_cast<void*>(static_cast<IComponent*>(this))
                             : static_cast<void*>(static_cast<IEditController*>(this));
    } else if (id == IComponent::iid && isComponent_) {
      *object = static_cast<IComponent*>(this);
    } else if (id == IEditController::iid && isController_) {
      *object = static_cast<IEditController*>(this);
    } else if (id == IUnitInfo::iid && isController_ && spec_.hasUnitInfo) {
      *object = static_cast<IUnitInfo*>(this);
    } else if (id == IConnectionPoint::iid) {
      // A single object answers here too, so that a prober that connects it anyway shows up.
      *object = static_cast<IConnectionPoint*>(this);
    }
    if (*object == nullptr) return kNoInterface;
    addRef();
    return kResultOk;
  }
  uint32 addRef() noexcept override { return ++references_; }
  uint32 release() noexcept override {
    uint32 left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // ---- IPluginBase
  tresult initialize(FUnknown* context) noexcept override {
    ++initializeCount_;
    trace(who() + " initialize");
    if (context == nullptr) return kInvalidArgument;
    context_ = IPtr<FUnknown>::share(context);
    if (isController_) hostFailure_ = checkHostContext(context);
    return kResultOk;
  }
  tresult terminate() noexcept override {
    trace(who() + " terminate");
    peer_.reset();
    context_.reset();
    return kResultOk;
  }

  // ---- IComponent
  tresult getControllerClassId(TUID classId) noexcept override {
    if (classId == nullptr) return kInvalidArgument;
    if (spec_.shape == Shape::kSeparate) {
      classIdFor(indexOf(spec_), Role::kController).copyTo(classId);
      return kResultOk;
    }
    // Answering with an all-zero identifier is how a component says it has no controller.
    std::memset(classId, 0, 16);
    return spec_.shape == Shape::kNoController ? kResultOk : kResultFalse;
  }

  // ---- IEditController
  tresult setComponentState(const void*, int32) noexcept override { return kResultFalse; }
  tresult setState(const void*, int32) noexcept override { return kResultFalse; }
  tresult getState(void*, int32, int32* size) noexcept override {
    if (size) *size = 0;
    return kResultFalse;
  }
  int32 getParameterCount() noexcept override {
    if (!linkChecked_ && needsLinkCheck()) {
      linkChecked_ = true;
      checkLink();
    }
    return spec_.paramCount;
  }
  tresult getParameterInfo(int32 index, ParameterInfo* info) noexcept override {
    if (info == nullptr || index < 0 || index >= spec_.paramCount) return kInvalidArgument;
    const ParamSpec& param = spec_.params[index];
    if (param.queryFails) return kResultFalse;
    info->id = param.id;
    std::u16string title = titleOf(param);
    copyText16(info->title, 128, title.c_str());
    // Filled so that a prober reading past the end of the title picks up visible text.
    copyText16(info->shortTitle, 128, u"Spill");
    copyText16(info->units, 128, u"dB");
    info->unitId = param.unitId;
    info->flags = param.automatable ? ParameterInfo::kCanAutomate : 0;
    return kResultOk;
  }

  // ---- IUnitInfo
  int32 getUnitCount() noexcept override { return spec_.unitCount; }
  tresult getUnitInfo(int32 index, UnitInfo* info) noexcept override {
    if (info == nullptr || index < 0 || index >= spec_.unitCount) return kInvalidArgument;
    const UnitSpec& unit = spec_.units[index];
    // A failing query leaves the caller's record as it was.
    if (unit.queryFails) return kResultFalse;
    info->id = unit.id;
    info->parentUnitId = unit.parentId;
    if (unit.name != nullptr) copyText16(info->name, 128, unit.name);
    // Two visible units ('X', 'X') right behind a name that fills its field.
    info->programListId = 0x00580058;
    return kResultOk;
  }

  // ---- IConnectionPoint
  tresult connect(IConnectionPoint* other) noexcept override {
    ++connectCount_;
    if (other == nullptr) return kInvalidArgument;
    bool direct = isOurs(other);
    trace(who() + " connect " + (direct ? "direct" : "proxy"));
    if (direct && linkFailure_.empty()) linkFailure_ = "direct";
    if (peer_) return kResultFalse;
    peer_ = IPtr<IConnectionPoint>::share(other);
    return kResultOk;
  }
  tresult disconnect(IConnectionPoint* other) noexcept override {
    bool known = other != nullptr && other == peer_.get();
    trace(who() + " disconnect " + (known ? "peer" : "stranger"));
    if (!known) return kInvalidArgument;
    peer_.reset();
    return kResultOk;
  }
  tresult notify(IMessage* message) noexcept override {
    if (message == nullptr || message->messageId() == nullptr) return kInvalidArgument;
    std::string id = message->messageId();
    if (isComponent_ && id == kHello) {
      ++hellos_;
      return answerHello();
    }
    if (isController_ && id == kPing) {
      ++pings_;
      std::string failure = checkPing(message);
      if (!failure.empty() && linkFailure_.empty()) linkFailure_ = failure;
      return kResultOk;
    }
    return kResultFalse;
  }

 private:
  ~StandInPlugin() {
    {
      std::lock_guard<std::mutex> guard(registryLock);
      ourConnectionPoints().erase(static_cast<IConnectionPoint*>(this));
    }
    --liveObjects();
  }

  static int32 indexOf(const ClassSpec& spec) {
    return static_cast<int32>(&spec - moduleSpec().classes);
  }

  std::string who() const {
    const char* role = isComponent_ && isController_ ? "single"
                       : isComponent_                ? "component"
                                                     : "controller";
    return std::string(spec_.name) + " " + role;
  }

  bool needsLinkCheck() const {
    for (int32 i = 0; i < spec_.paramCount; ++i)
      if (spec_.params[i].kind == Title::kLinkStatus) return true;
    return false;
  }

  // Controller side: a hello through the peer must come back as exactly one ping, and a hello
  // sent from another thread must be refused without reaching the component.
  void checkLink() {
    if (!peer_) return setLinkFailure("unconnected");
    IPtr<IMessage> hello = createMessage(context_.get(), kHello);
    if (!hello) return setLinkFailure("no message");
    if (peer_->notify(hello.get()) != kResultOk) return setLinkFailure("hello refused");
    if (pings_ != 1) return setLinkFailure("no ping");
    tresult offThread = kResultOk;
    IConnectionPoint* peer = peer_.get();
    std::thread other([&] { offThread = peer->notify(hello.get()); });
    other.join();
    if (offThread != kResultFalse || pings_ != 1) setLinkFailure("other thread");
  }
  void setLinkFailure(const char* what) {
    if (linkFailure_.empty()) linkFailure_ = what;
  }

  // Component side: answers a hello with a ping that carries one value of each type.
  tresult answerHello() {
    if (!peer_) return kResultFalse;
    IPtr<IMessage> ping = createMessage(context_.get(), kPing);
    if (!ping || ping->attributes() == nullptr) return kResultFalse;
    IAttributeList* attributes = ping->attributes();
    attributes->setIntValue("count", kPingCount);
    attributes->setFloatValue("gain", kPingGain);
    attributes->setTextValue("from", kPingFrom);
    attributes->setBinaryValue("blob", kPingBlob, sizeof kPingBlob);
    return peer_->notify(ping.get());
  }

  static std::string checkPing(IMessage* message) {
    IAttributeList* attributes = message->attributes();
    if (attributes == nullptr) return "ping attributes";
    int64 count = 0;
    if (attributes->getIntValue("count", &count) != kResultOk || count != kPingCount)
      return "ping int";
    double gain = 0;
    if (attributes->getFloatValue("gain", &gain) != kResultOk || gain != kPingGain)
      return "ping float";
    char16 from[32] = {};
    if (attributes->getTextValue("from", from, sizeof from) != kResultOk ||
        std::u16string(from) != kPingFrom) {
      return "ping text";
    }
    const void* blob = nullptr;
    uint32 size = 99;
    if (attributes->getBinaryValue("blob", &blob, &size) != kResultOk || size != sizeof kPingBlob ||
        std::memcmp(blob, kPingBlob, size) != 0) {
      return "ping binary";
    }
    int64 wrongType = 0;
    if (attributes->getIntValue("from", &wrongType) != kResultFalse) return "ping type";
    if (attributes->getIntValue("absent", &wrongType) != kResultFalse) return "ping absent";
    return std::string();
  }

  std::u16string titleOf(const ParamSpec& param) const {
    std::string status;
    switch (param.kind) {
      case Title::kFixed:
        return param.title;
      case Title::kLinkStatus:
        status = "Link " + (!linkFailure_.empty() ? linkFailure_
                            : pings_ == 1         ? std::string("ok")
                                                  : std::string("unchecked"));
        break;
      case Title::kHostStatus:
        status = "Host " + (hostFailure_.empty() ? std::string("ok") : hostFailure_);
        break;
      case Title::kSingleStatus:
        status = connectCount_ != 0      ? "Single connected"
                 : initializeCount_ != 1 ? "Single initialized " + std::to_string(initializeCount_)
                                         : "Single ok";
        break;
    }
    return widen(status.c_str());
  }

  std::atomic<uint32> references_{1};
  const ClassSpec& spec_;
  const bool isComponent_;
  const bool isController_;
  IPtr<FUnknown> context_;
  IPtr<IConnectionPoint> peer_;
  int32 initializeCount_ = 0;
  int32 connectCount_ = 0;
  int32 hellos_ = 0;
  int32 pings_ = 0;
  bool linkChecked_ = false;
  std::string linkFailure_;
  std::string hostFailure_;
};

class StandInFactory final : public IPluginFactory2 {
 public:
  StandInFactory() { ++liveObjects(); }

  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (object == nullptr) return kInvalidArgument;
    FUID id = FUID::fromTUID(iid);
    if (id == FUnknown::iid || id == IPluginFactory::iid || id == IPluginFactory2::iid) {
      *object = static_cast<IPluginFactory2*>(this);
      addRef();
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return ++references_; }
  uint32 release() noexcept override {
    uint32 left = --references_;
    if (left == 0) {
      trace(std::string("factory released ") + moduleSpec().tag);
      delete this;
    }
    return left;
  }

  tresult getFactoryInfo(PFactoryInfo* info) noexcept override {
    if (info == nullptr) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    std::strncpy(info->vendor, "Stand-in Works", sizeof info->vendor - 1);
    return kResultOk;
  }
  int32 countClasses() noexcept override {
#ifdef STANDIN_HOOKS
    whileListing();
#endif
    return moduleSpec().classCount;
  }
  tresult getClassInfo(int32 index, PClassInfo* info) noexcept override {
    const ClassSpec* spec = classAt(index);
    if (spec == nullptr || info == nullptr || spec->shape == Shape::kNoClassInfo)
      return kInvalidArgument;
    classIdFor(index, Role::kComponent).copyTo(info->cid);
    info->cardinality = kManyInstances;
    std::strncpy(info->category, spec->category, sizeof info->category - 1);
    std::strncpy(info->name, spec->name, sizeof info->name - 1);
    return kResultOk;
  }
  tresult createInstance(FIDString cid, FIDString iid, void** object) noexcept override {
    if (object == nullptr) return kInvalidArgument;
    *object = nullptr;
    for (int32 i = 0; i < moduleSpec().classCount; ++i) {
      const ClassSpec& spec = moduleSpec().classes[i];
      Role role;
      if (classIdFor(i, Role::kComponent).matches(cid)) {
        if (spec.shape == Shape::kNotCreatable) return kResultFalse;
        role = Role::kComponent;
      } else if (classIdFor(i, Role::kController).matches(cid) && spec.shape == Shape::kSeparate) {
        role = Role::kController;
      } else {
        continue;
      }
      auto* plugin = new (std::nothrow) StandInPlugin(spec, role);
      if (plugin == nullptr) return kOutOfMemory;
      tresult result = plugin->queryInterface(iid, object);
      plugin->release();
      return result;
    }
    return kInvalidArgument;
  }
  tresult getClassInfo2(int32 index, PClassInfo2* info) noexcept override {
    const ClassSpec* spec = classAt(index);
    // Leaves the record untouched, as a factory without the extended query would.
    if (spec == nullptr || info == nullptr || spec->shape == Shape::kNoClassInfo)
      return kNotImplemented;
    classIdFor(index, Role::kComponent).copyTo(info->cid);
    info->cardinality = kManyInstances;
    std::strncpy(info->category, spec->category, sizeof info->category - 1);
    std::strncpy(info->name, spec->name, sizeof info->name - 1);
    std::strncpy(info->subCategories, spec->subCategories, sizeof info->subCategories - 1);
    std::strncpy(info->vendor, "Stand-in Works", sizeof info->vendor - 1);
    std::strncpy(info->version, "1.0.0", sizeof info->version - 1);
    return kResultOk;
  }

 private:
  ~StandInFactory() { --liveObjects(); }
  static const ClassSpec* classAt(int32 index) {
    if (index < 0 || index >= moduleSpec().classCount) return nullptr;
    return &moduleSpec().classes[index];
  }
  std::atomic<uint32> references_{1};
};

}  // namespace
}  // namespace StandIn

STANDIN_EXPORT bool InitDll() {
  StandIn::trace(std::string("InitDll ") + StandIn::standInModule.tag);
#ifdef STANDIN_HOOKS
  StandIn::whileLoading();
#endif
  return StandIn::standInModule.initAnswers;
}

STANDIN_EXPORT bool ExitDll() {
  StandIn::trace(std::string("ExitDll ") + StandIn::standInModule.tag +
                 " live=" + std::to_string(StandIn::liveObjects().load()));
  return true;
}

#if !defined(STANDIN_NO_FACTORY_EXPORT)
// The caller owns the one reference of the returned factory.
STANDIN_EXPORT Brennholt::IPluginFactory* GetPluginFactory() {
  StandIn::trace(std::string("GetPluginFactory ") + StandIn::standInModule.tag);
  if (StandIn::standInModule.nullFactory) return nullptr;
  return new (std::nothrow) StandIn::StandInFactory;
}
#endif
