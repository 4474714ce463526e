// A host as another vendor would build one, loading a remote-device module through its three
// exports: written from the published interface tables, identifiers and record layouts alone,
// with declarations and names of its own and no header of the module's project. The objects it
// hands the module therefore carry type information the module does not share, as a real
// sequencer's do.
//
//   foreign_host <module path>
//
// Walks the factory, creates the service, the detector and (through the detector's request to
// the device registry) a remote, and drives each through its interfaces; prints one line per
// check and ends with "N checks, M failed". Exit code 0 only when every check passed.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

// The published tables. Other binaries implement them, so they are not in an unnamed namespace:
// a compiler may take a class there to have no implementations beyond those it sees.
namespace sequencer {

using Result = std::int32_t;
constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kNoInterface = static_cast<Result>(0x80004002);
constexpr Result kBadArgument = static_cast<Result>(0x80070057);

}  // namespace sequencer

namespace {

using namespace sequencer;

// ---------------------------------------------------------------- checks

int checks = 0;
int failures = 0;

void check(bool good, const std::string& what) {
  ++checks;
  if (!good) ++failures;
  std::printf("%s %s\n", good ? "ok  " : "FAIL", what.c_str());
}

// ---------------------------------------------------------------- identifiers

// Identifiers as the module's documentation writes them: 32 hex digits in memory order.
struct Id {
  unsigned char bytes[16] = {};
  const char* raw() const { return reinterpret_cast<const char*>(bytes); }
  bool is(const void* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};

Id id(const char* hex) {
  auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  Id value;
  for (std::size_t i = 0; i < 16; ++i)
    value.bytes[i] = static_cast<unsigned char>(digit(hex[2 * i]) * 16 + digit(hex[2 * i + 1]));
  return value;
}

const Id kUnknownIid = id("0000000000000000C000000000000046");
const Id kFactory3Iid = id("ABA2554523C1574E9B12291036878931");
const Id kPlugInIid = id("DB8D88226E15AE458358B34808190625");
const Id kKernelIid = id("8396C8EEDB8036439177273E138A763B");
const Id kHostInfoIid = id("DA07E59759E5EA4EA5AC4042E458F2B4");
const Id kIdleServiceIid = id("9B1F6E2C47D14A1B8E3C5D7A2B9F0C11");
const Id kIdleHandlerIid = id("3C5E41A0D3F84E5C9D9A0B1E6A7C2F41");
const Id kPortListIid = id("8E9AC2B676543E49A8E99F1CB51AB756");
const Id kPortIid = id("0A1B2C3D4E5F60718293A4B5C6D7E8F1");
const Id kRegistryIid = id("D20B37A20DDF304090A65AA57A3F3172");
const Id kPortAssignmentIid = id("D974F45228A7A54CA9CC0C307B17127A");
const Id kDetectorIid = id("165F11CD82ADA543A355A7CBAFBD5D0C");
const Id kRemoteIid = id("7B0D858320C1D811A143000A959B31C6");
const Id kRemote2Iid = id("CDC600DEB145B045A11E2183CBE1644A");
const Id kBindingTargetIid = id("B5D7F9011345577799BBDDFF11335579");

const Id kServiceClass = id("F255F29D5E18724489733758D4409CE3");
const Id kRemoteClass = id("75F1DCF830A7E54BA1DE1553899D2504");
const Id kDetectorClass = id("8714DCA0BA74F14BA71252FF31B9F1BC");

}  // namespace

namespace sequencer {

// ---------------------------------------------------------------- the published tables

class Unknown {
 public:
  virtual Result query(const char* iid, void** object) = 0;
  virtual std::uint32_t retain() = 0;
  virtual std::uint32_t drop() = 0;

 protected:
  ~Unknown() = default;
};

struct FactoryRecord {
  char vendor[64];
  char url[256];
  char email[128];
  std::int32_t flags;
};
static_assert(sizeof(FactoryRecord) == 452);

struct ClassRecord {
  unsigned char cid[16];
  std::int32_t cardinality;
  char category[32];
  char name[64];
};
static_assert(sizeof(ClassRecord) == 116);

struct ClassRecord2 {
  ClassRecord basic;
  std::uint32_t flags;
  char subCategories[128];
  char vendor[64];
  char version[64];
  char sdkVersion[64];
};
static_assert(sizeof(ClassRecord2) == 440);

struct WideClassRecord {
  unsigned char cid[16];
  std::int32_t cardinality;
  char category[32];
  char16_t name[64];
  std::uint32_t flags;
  char subCategories[128];
  char16_t vendor[64];
  char16_t version[64];
  char16_t sdkVersion[64];
};
static_assert(sizeof(WideClassRecord) == 696);

class Factory : public Unknown {
 public:
  virtual Result info(FactoryRecord* record) = 0;
  virtual std::int32_t classCount() = 0;
  virtual Result classInfo(std::int32_t index, ClassRecord* record) = 0;
  virtual Result create(const char* cid, const char* iid, void** object) = 0;
  virtual Result classInfo2(std::int32_t index, ClassRecord2* record) = 0;
  virtual Result wideClassInfo(std::int32_t index, WideClassRecord* record) = 0;
  virtual Result giveContext(Unknown* context) = 0;

 protected:
  ~Factory() = default;
};

class PlugIn : public Unknown {
 public:
  virtual Result setUp(Unknown* context) = 0;
  virtual Result tearDown() = 0;

 protected:
  ~PlugIn() = default;
};

class Kernel : public Unknown {
 public:
  virtual Result service(const char* iid, void** object) = 0;

 protected:
  ~Kernel() = default;
};

class HostInfo : public Unknown {
 public:
  virtual const char16_t* product() = 0;
  virtual const char16_t* version() = 0;
  virtual const char16_t* build() = 0;

 protected:
  ~HostInfo() = default;
};

class IdleHandler : public Unknown {
 public:
  virtual void idle() = 0;

 protected:
  ~IdleHandler() = default;
};

class IdleService : public Unknown {
 public:
  virtual Result add(IdleHandler* handler) = 0;
  virtual Result remove(IdleHandler* handler) = 0;
  virtual std::uint32_t milliseconds() = 0;

 protected:
  ~IdleService() = default;
};

class Port : public Unknown {
 public:
  virtual bool ofType(const char* type) = 0;
  virtual bool hasAttribute(const char* attribute) = 0;
  virtual bool input() = 0;
  virtual bool name(char16_t* text, std::int32_t capacity) = 0;

 protected:
  ~Port() = default;
};

class PortList : public Unknown {
 public:
  virtual std::int32_t count() = 0;
  virtual Port* port(std::int32_t index) = 0;

 protected:
  ~PortList() = default;
};

class Registry : public Unknown {
 public:
  virtual bool exists(const char16_t* name, std::int32_t flags) = 0;
  virtual Unknown* createDevice(const char* cid, std::int32_t pair, bool activate) = 0;

 protected:
  ~Registry() = default;
};

class PortAssignment : public Unknown {
 public:
  virtual Result addPort(Port* port) = 0;

 protected:
  ~PortAssignment() = default;
};

struct DetectorRecord {
  char16_t category[128];
  char16_t name[128];
  char16_t method[128];
};

class Detector : public Unknown {
 public:
  virtual Result detect() = 0;
  virtual Result describe(DetectorRecord* record) = 0;

 protected:
  ~Detector() = default;
};

struct Element {
  const char* name;
  std::uint8_t status;
  std::uint8_t channel;
  std::uint16_t number;
  std::int32_t maxValue;
  std::int32_t flags;
};
static_assert(sizeof(Element) == 16 + sizeof(void*));

class HostFunction : public Unknown {
 public:
  virtual Result assign(const char* parameter, const char* element, const char* page) = 0;
  virtual Result mark(const char* attribute) = 0;

 protected:
  ~HostFunction() = default;
};

class BindingTarget : public Unknown {
 public:
  virtual Result addPage(const char* page) = 0;
  virtual Result bindValue(const char* page, const char* element, const char* object,
                           std::int32_t selector, const char* value, std::int32_t flags) = 0;
  virtual Result bindCommand(const char* page, const char* element, const char* category,
                             const char* command, std::int32_t flags) = 0;
  virtual Result function(const char* name, const char* category, std::int32_t flag,
                          std::int32_t selector, HostFunction** function) = 0;

 protected:
  ~BindingTarget() = default;
};

// Not reference-counted: valid from attach to detach.
class RemoteLink {
 public:
  virtual Result option(std::uint32_t code, std::int32_t value) = 0;
  virtual Result activated() = 0;
  virtual Result deactivated() = 0;
  virtual Result forwarded() = 0;
  virtual BindingTarget* bindingTarget(const char* name) = 0;
  virtual Result unreadSysEx(const void* message) = 0;
  virtual const std::uint8_t* sysExBytes(const void* message, std::int32_t* length) = 0;
  virtual Result runBinding(std::int32_t element, std::int32_t value) = 0;
  virtual Result setElement(const Element* record, std::int32_t element, std::int32_t value) = 0;
  virtual Result send(const std::uint8_t* message, std::int32_t length) = 0;
  virtual Result showText(const char* text) = 0;
  virtual Result addElement(const Element* record) = 0;

 protected:
  ~RemoteLink() = default;
};

class Remote : public PlugIn {
 public:
  virtual bool attach(RemoteLink* link) = 0;
  virtual bool detach() = 0;
  virtual Result activate() = 0;
  virtual Result deactivate() = 0;
  virtual Result forwardedQuery() = 0;
  virtual Result elementValue(std::int32_t element, std::int32_t value) = 0;
  virtual Result sysEx(const void* message) = 0;
  virtual Result elementFeedback(const Element* record, std::int32_t element,
                                 std::int32_t value) = 0;
  virtual Result rawData(const std::uint8_t* bytes, std::int32_t a, std::int32_t b) = 0;
  virtual Result object(void* object) = 0;
  virtual Result bytes(const std::uint8_t* bytes) = 0;
  virtual Result pageChanged(const char* page) = 0;
  virtual Result idle() = 0;

 protected:
  ~Remote() = default;
};

}  // namespace sequencer

namespace {

// ---------------------------------------------------------------- host objects

std::string narrow(const char16_t* text) {
  std::string result;
  for (; text && *text; ++text) result.push_back(*text < 128 ? static_cast<char>(*text) : '?');
  return result;
}

template <std::size_t N>
std::string field(const char (&text)[N]) {
  const void* end = std::memchr(text, 0, N);
  return std::string(text, end ? static_cast<const char*>(end) - text : N);
}

template <class T>
T* ask(Unknown* object, const Id& iid) {
  void* answer = nullptr;
  if (!object || object->query(iid.raw(), &answer) != kOk) return nullptr;
  return static_cast<T*>(answer);
}

// Reference counting for the host's own objects: they live as long as the host, and the count
// tells at the end whether the module released everything it was given.
template <class Base>
class HostObject : public Base {
 public:
  std::uint32_t retain() override { return ++count_; }
  std::uint32_t drop() override { return --count_; }
  std::uint32_t references() const { return count_; }

 protected:
  Result answer(const char* iid, void** object, const Id& own) {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || own.is(iid)) {
      *object = static_cast<Base*>(this);
      retain();
      return kOk;
    }
    *object = nullptr;
    return kNoInterface;
  }

 private:
  std::atomic<std::uint32_t> count_{1};
};

class Idle : public HostObject<IdleService> {
 public:
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kIdleServiceIid);
  }
  Result add(IdleHandler* handler) override {
    if (!handler) return kBadArgument;
    handler->retain();
    handlers.push_back(handler);
    return kOk;
  }
  Result remove(IdleHandler* handler) override {
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
      if (*it == handler) {
        handlers.erase(it);
        handler->drop();
        return kOk;
      }
    }
    return kBadArgument;
  }
  std::uint32_t milliseconds() override { return clock; }

  void round() {
    clock += 10;
    for (IdleHandler* handler : std::vector<IdleHandler*>(handlers)) handler->idle();
  }

  std::vector<IdleHandler*> handlers;
  std::uint32_t clock = 1000;
};

class MidiPort : public HostObject<Port> {
 public:
  MidiPort(const char* portName, bool isInput) : name_(portName), input_(isInput) {}
  Result query(const char* iid, void** object) override { return answer(iid, object, kPortIid); }
  bool ofType(const char* type) override { return type && std::strcmp(type, "midi") == 0; }
  bool hasAttribute(const char* attribute) override {
    return attribute && std::strcmp(attribute, "system") == 0;
  }
  bool input() override { return input_; }
  bool name(char16_t* text, std::int32_t capacity) override {
    if (!text || capacity <= 0) return false;
    std::int32_t i = 0;
    for (; name_[i] && i < capacity - 1; ++i) text[i] = static_cast<unsigned char>(name_[i]);
    text[i] = 0;
    return true;
  }
  const char* portName() const { return name_; }

 private:
  const char* name_;
  bool input_;
};

class Ports : public HostObject<PortList> {
 public:
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kPortListIid);
  }
  std::int32_t count() override { return static_cast<std::int32_t>(ports.size()); }
  Port* port(std::int32_t index) override {
    if (index < 0 || index >= count()) return nullptr;
    ports[index]->retain();
    return ports[index];
  }
  std::vector<MidiPort*> ports;
};

class Target : public HostObject<BindingTarget> {
 public:
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kBindingTargetIid);
  }
  Result addPage(const char* page) override {
    pages.push_back(page ? page : "");
    return kOk;
  }
  Result bindValue(const char* page, const char* element, const char* object, std::int32_t selector,
                   const char* value, std::int32_t flags) override {
    bindings.push_back(std::string(page) + " " + element + " -> " + object + " " +
                       std::to_string(selector) + " " + value + " " + std::to_string(flags));
    return kOk;
  }
  Result bindCommand(const char* page, const char* element, const char* category,
                     const char* command, std::int32_t flags) override {
    bindings.push_back(std::string(page) + " " + element + " -> " + category + "/" + command + " " +
                       std::to_string(flags));
    return kOk;
  }
  Result function(const char*, const char*, std::int32_t, std::int32_t,
                  HostFunction** found) override {
    if (found) *found = nullptr;
    return kFalse;
  }
  std::vector<std::string> pages;
  std::vector<std::string> bindings;
};

// One received SysEx as the module sees it: an opaque handle whose bytes the link hands out.
struct SysExMessage {
  std::vector<std::uint8_t> bytes;
};

class Link : public RemoteLink {
 public:
  explicit Link(Target* target) : target_(target) {}
  Result option(std::uint32_t code, std::int32_t value) override {
    options.push_back({code, value});
    return kOk;
  }
  Result activated() override {
    ++activations;
    return kOk;
  }
  Result deactivated() override {
    ++deactivations;
    return kOk;
  }
  Result forwarded() override { return kFalse; }
  BindingTarget* bindingTarget(const char* name) override {
    if (!name || std::strcmp(name, "Mixer") != 0) return nullptr;
    target_->retain();
    return target_;
  }
  Result unreadSysEx(const void*) override { return kOk; }
  const std::uint8_t* sysExBytes(const void* message, std::int32_t* length) override {
    const auto* sysEx = static_cast<const SysExMessage*>(message);
    if (!sysEx || !length) return nullptr;
    *length = static_cast<std::int32_t>(sysEx->bytes.size());
    return sysEx->bytes.data();
  }
  Result runBinding(std::int32_t element, std::int32_t value) override {
    ranBindings.push_back({element, value});
    return kOk;
  }
  Result setElement(const Element* record, std::int32_t element, std::int32_t value) override {
    lamps.push_back({record ? record->name : "(none)", element, value});
    return kOk;
  }
  Result send(const std::uint8_t* message, std::int32_t length) override {
    if (message && length > 0) sent.emplace_back(message, message + length);
    return kOk;
  }
  Result showText(const char*) override { return kOk; }
  // The module keeps its records alive while attached; they are used by pointer.
  Result addElement(const Element* record) override {
    if (record) elements.push_back(record);
    return kOk;
  }

  struct Option {
    std::uint32_t code;
    std::int32_t value;
  };
  struct Pair {
    std::int32_t element, value;
  };
  struct Lamp {
    std::string name;
    std::int32_t element, value;
  };
  std::vector<Option> options;
  std::vector<const Element*> elements;
  std::vector<Pair> ranBindings;
  std::vector<Lamp> lamps;
  std::vector<std::vector<std::uint8_t>> sent;
  int activations = 0;
  int deactivations = 0;

 private:
  Target* target_;
};

class Device;

class Devices : public HostObject<Registry> {
 public:
  explicit Devices(Factory* factory) : factory_(factory) {}
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kRegistryIid);
  }
  bool exists(const char16_t* name, std::int32_t) override {
    return !devices.empty() && narrow(name) == "Talvane QENT6/QENT8";
  }
  Unknown* createDevice(const char* cid, std::int32_t pair, bool activate) override;

  std::vector<Device*> devices;
  // Handed to each remote's initialize.
  Unknown* context = nullptr;

 private:
  Factory* factory_;
};

// A remote device as the host keeps it: the module's remote object, its link and its ports.
class Device final : public HostObject<PortAssignment> {
 public:
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kPortAssignmentIid);
  }
  Result addPort(Port* port) override {
    if (!port) return kBadArgument;
    ports.push_back(static_cast<MidiPort*>(port)->portName());
    return kOk;
  }

  Remote* remote = nullptr;
  Target target;
  Link link{&target};
  std::vector<std::string> ports;
  std::int32_t pair = -1;
  bool attached = false;
};

Unknown* Devices::createDevice(const char* cid, std::int32_t pair, bool activate) {
  check(kRemoteClass.is(cid), "the detector asks for a device of the remote class");
  void* object = nullptr;
  if (factory_->create(cid, kRemoteIid.raw(), &object) != kOk || !object) return nullptr;
  auto* device = new Device;
  device->remote = static_cast<Remote*>(object);
  device->pair = pair;
  device->remote->setUp(context);
  device->attached = device->remote->attach(&device->link);
  if (activate) device->remote->activate();
  devices.push_back(device);
  device->retain();
  return device;
}

class KernelObject : public HostObject<Kernel> {
 public:
  KernelObject(Idle* idle, Ports* ports, Devices* devices)
      : idle_(idle), ports_(ports), devices_(devices) {}
  Result query(const char* iid, void** object) override { return answer(iid, object, kKernelIid); }
  Result service(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    Unknown* service = nullptr;
    if (kIdleServiceIid.is(iid)) service = idle_;
    if (kPortListIid.is(iid)) service = ports_;
    if (kRegistryIid.is(iid)) service = devices_;
    *object = service;
    if (!service) return kNoInterface;
    service->retain();
    return kOk;
  }

 private:
  Idle* idle_;
  Ports* ports_;
  Devices* devices_;
};

class Information : public HostObject<HostInfo> {
 public:
  Result query(const char* iid, void** object) override {
    return answer(iid, object, kHostInfoIid);
  }
  const char16_t* product() override { return u"Tessaly Studio"; }
  const char16_t* version() override { return u"7.5.0"; }
  const char16_t* build() override { return u"Build 100"; }
};

// The context handed to initialize: it answers for the kernel and the host information.
class Context : public HostObject<Unknown> {
 public:
  Context(KernelObject* kernel, Information* information)
      : kernel_(kernel), information_(information) {}
  Result query(const char* iid, void** object) override {
    if (kKernelIid.is(iid)) return kernel_->query(iid, object);
    if (kHostInfoIid.is(iid)) return information_->query(iid, object);
    return answer(iid, object, kUnknownIid);
  }

 private:
  KernelObject* kernel_;
  Information* information_;
};

// ---------------------------------------------------------------- the module

struct Module {
  using Entry = bool (*)();
  using GetFactory = Factory* (*)();

#ifdef _WIN32
  HMODULE handle = nullptr;
  void* find(const char* name) { return reinterpret_cast<void*>(GetProcAddress(handle, name)); }
  bool load(const char* path) { return (handle = LoadLibraryA(path)) != nullptr; }
  void unload() { FreeLibrary(handle); }
#else
  void* handle = nullptr;
  void* find(const char* name) { return dlsym(handle, name); }
  bool load(const char* path) { return (handle = dlopen(path, RTLD_NOW | RTLD_LOCAL)) != nullptr; }
  void unload() { dlclose(handle); }
#endif
};

std::string hex(const unsigned char* bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < 16; ++i) {
    text.push_back(digits[bytes[i] >> 4]);
    text.push_back(digits[bytes[i] & 15]);
  }
  return text;
}

void walkFactory(Factory* factory, Unknown* context) {
  Factory* third = ask<Factory>(factory, kFactory3Iid);
  check(third != nullptr, "the factory answers for the third factory interface");
  if (third) third->drop();

  FactoryRecord info{};
  bool informed = factory->info(&info) == kOk;
  check(informed && field(info.vendor) == "Talvane Corporation" && field(info.url).empty() &&
            info.flags == 0,
        "factory information: vendor \"" + field(info.vendor) + "\"");
  check(factory->classCount() == 3, "three classes");

  struct Expected {
    const char* category;
    const char* name;
    const Id* cid;
    std::int32_t cardinality;
    const char* version;
  } expected[] = {
      {"Service", "Talvane QENT6/QENT8 Extension", &kServiceClass, 1, "1.0.6"},
      {"Remote Devices", "Talvane QENT6/QENT8", &kRemoteClass, 0x7FFFFFFF, ""},
      {"Device Detection", "", &kDetectorClass, 1, ""},
  };
  for (std::int32_t i = 0; i < 3; ++i) {
    ClassRecord basic{};
    ClassRecord2 extended{};
    WideClassRecord wide{};
    bool read = factory->classInfo(i, &basic) == kOk && factory->classInfo2(i, &extended) == kOk &&
                factory->wideClassInfo(i, &wide) == kOk;
    const Expected& e = expected[i];
    check(read && e.cid->is(basic.cid) && basic.cardinality == e.cardinality &&
              field(basic.category) == e.category && field(basic.name) == e.name,
          "class " + std::to_string(i) + ": " + field(basic.category) + " \"" + field(basic.name) +
              "\" " + hex(basic.cid));
    check(std::memcmp(&basic, &extended.basic, sizeof(basic)) == 0 &&
              field(extended.version) == e.version && field(extended.subCategories).empty(),
          "class " + std::to_string(i) + " extended: version \"" + field(extended.version) + "\"");
    check(e.cid->is(wide.cid) && narrow(wide.name) == e.name && narrow(wide.version) == e.version,
          "class " + std::to_string(i) + " wide: \"" + narrow(wide.name) + "\"");
  }
  ClassRecord beyond{};
  check(factory->classInfo(3, &beyond) == kBadArgument &&
            factory->classInfo(-1, &beyond) == kBadArgument,
        "no class at index 3 or -1");
  check(factory->giveContext(context) == kOk, "the factory takes the host context");
}

// The detector finds the keyboard's remote port pair and has the registry create the remote,
// which is then driven as the host would.
void driveRemote(Device* device, Idle& idle) {
  Link& link = device->link;
  Remote* remote = device->remote;
  check(device->attached, "the remote attaches");
  const std::uint32_t kOptions[][2] = {
      {0x6D696469, 1}, {0x66746368, 1}, {0x77726E67, 24}, {0x6D696578, 1}, {0x3F686273, 0}};
  bool optionsRight = link.options.size() == 5;
  for (std::size_t i = 0; optionsRight && i < 5; ++i)
    optionsRight = link.options[i].code == kOptions[i][0] &&
                   link.options[i].value == static_cast<std::int32_t>(kOptions[i][1]);
  check(optionsRight, "it configures its link: midi, ftch, wrng, miex, ?hbs");
  bool elementsRight = link.elements.size() == 55;
  if (elementsRight) {
    const Element* first = link.elements.front();
    const Element* last = link.elements.back();
    elementsRight = std::strcmp(first->name, "AsgnKnob1") == 0 && first->status == 0xB0 &&
                    first->number == 16 && first->flags == 5 &&
                    std::strcmp(last->name, "SFBank6") == 0 && last->status == 0x90 &&
                    last->number == 71 && last->flags == 0x23;
  }
  check(elementsRight,
        "it registers the keyboard's " + std::to_string(link.elements.size()) + " controls");
  if (link.elements.size() != 55) return;
  auto bound = [&](const std::string& binding) {
    for (const std::string& b : device->target.bindings)
      if (b == binding) return true;
    return false;
  };
  check(!device->target.pages.empty() && device->target.pages[0] == "Default" &&
            bound("Default Play -> Transport -1 start 513") &&
            bound("Default Top -> Transport/Return to Zero 1") &&
            bound("Default Mute -> Mixer -2 mute 769"),
        "it declares its default bindings on the \"Mixer\" target (" +
            std::to_string(device->target.bindings.size()) + " in all)");
  check(link.activations == 1, "activation reaches the link");

  for (int i = 0; i < 3; ++i) {
    idle.round();
    remote->idle();
  }
  const std::vector<std::uint8_t> hello = {0xF0, 0x43, 0x10, 0x7F, 0x1C,
                                           0x00, 0x01, 0x56, 0x01, 0xF7};
  // The service's answer to the hello may follow it, as soon as the channel workers pass it on.
  check(!link.sent.empty() && link.sent[0] == hello &&
            std::count(link.sent.begin(), link.sent.end(), hello) == 1,
        "it says hello to the keyboard, once");

  // The keyboard answers that it entered remote mode: the lamps are lit anew.
  SysExMessage remoteMode{{0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, 0x56, 0x00, 0x01, 0xF7}};
  link.lamps.clear();
  remote->sysEx(&remoteMode);
  auto lit = [&](const char* name, std::int32_t element, std::int32_t value) {
    for (const Link::Lamp& lamp : link.lamps)
      if (lamp.name == name && lamp.element == element && lamp.value == value) return true;
    return false;
  };
  check(lit("Play", 29, 0) && lit("Record", 30, 0) && lit("SFBank1", 49, 127),
        "remote mode refreshes the lamps (" + std::to_string(link.lamps.size()) + " set)");

  link.lamps.clear();
  remote->elementFeedback(link.elements[29], 29, 64);
  check(lit("Play", 29, 64), "the host's lamp value reaches the keyboard");

  remote->elementValue(31, 127);
  check(link.ranBindings.size() == 1 && link.ranBindings[0].element == 31 &&
            link.ranBindings[0].value == 127,
        "\"Mute\" runs the host's binding");
  // Knob turns and function keys go to the service through the module's own channels.
  std::size_t bindingsBefore = link.ranBindings.size();
  remote->elementValue(0, 1);
  remote->elementValue(41, 127);
  for (int i = 0; i < 3; ++i) {
    idle.round();
    remote->idle();
  }
  check(link.ranBindings.size() == bindingsBefore, "knob turns and function keys stay inside");

  void* second = nullptr;
  check(remote->query(kRemote2Iid.raw(), &second) == kOk && second == remote,
        "the remote answers for the second remote interface");
  if (second) static_cast<Remote*>(second)->drop();
  check(remote->deactivate() == kOk && link.deactivations == 1, "deactivation reaches the link");
  check(remote->detach(), "the remote detaches");
}

int run(const char* path) {
  Module module;
  if (!module.load(path)) {
    check(false, std::string("the module loads: ") + path);
    return 1;
  }
  auto init = reinterpret_cast<Module::Entry>(module.find("InitDll"));
  auto getFactory = reinterpret_cast<Module::GetFactory>(module.find("GetPluginFactory"));
  auto exit = reinterpret_cast<Module::Entry>(module.find("ExitDll"));
  check(init && getFactory && exit, "the module exports InitDll, GetPluginFactory and ExitDll");
  if (!init || !getFactory || !exit) return 1;
  check(init(), "InitDll");
  Factory* factory = getFactory();
  check(factory != nullptr, "GetPluginFactory");
  if (!factory) return 1;

  Idle idle;
  Ports ports;
  MidiPort in1("Talvane QENT6/QENT8-1", true), out1("Talvane QENT6/QENT8-1", false);
  MidiPort in2("Talvane QENT6/QENT8-2", true), out2("Talvane QENT6/QENT8-2", false);
  ports.ports = {&in1, &out1, &in2, &out2};
  Information information;
  Devices devices(factory);
  KernelObject kernel(&idle, &ports, &devices);
  Context context(&kernel, &information);
  devices.context = &context;

  walkFactory(factory, &context);

  void* object = nullptr;
  check(factory->create(kServiceClass.raw(), kPlugInIid.raw(), &object) == kOk && object,
        "the service is created");
  auto* service = static_cast<PlugIn*>(object);
  check(service && service->setUp(&context) == kOk, "the service initializes");
  check(idle.handlers.size() == 1, "it asks for idle calls");

  object = nullptr;
  check(factory->create(kDetectorClass.raw(), kPlugInIid.raw(), &object) == kOk && object,
        "the detector is created");
  auto* detectorBase = static_cast<PlugIn*>(object);
  Detector* detector = detectorBase ? ask<Detector>(detectorBase, kDetectorIid) : nullptr;
  check(detectorBase && detectorBase->setUp(&context) == kOk && detector,
        "the detector initializes and answers for the detector interface");
  if (detector) {
    DetectorRecord description{};
    description.name[0] = u'x';
    check(detector->describe(&description) == kOk &&
              narrow(description.category) == "Remote Devices" &&
              narrow(description.method) == "Plug and Play" && narrow(description.name) == "x",
          "the detector describes itself");
    check(detector->detect() == kOk, "detection finds the keyboard");
    check(devices.devices.size() == 1 && devices.devices[0]->pair == 0 &&
              devices.devices[0]->ports ==
                  std::vector<std::string>{"Talvane QENT6/QENT8-2", "Talvane QENT6/QENT8-2"},
          "one device, on the remote port pair");
    check(detector->detect() == kOk && devices.devices.size() == 1,
          "a second detection finds the device there");
    detector->drop();
  }
  if (detectorBase) detectorBase->tearDown();
  if (detectorBase) check(detectorBase->drop() == 0, "the detector goes with its last release");

  for (Device* device : devices.devices) {
    driveRemote(device, idle);
    check(device->remote->tearDown() == kOk, "the remote terminates");
    check(device->remote->drop() == 0, "the remote goes with its last release");
    check(device->target.references() == 1, "the remote released the binding target");
    check(device->references() == 1, "the detector released the device");
    delete device;
  }

  if (service) {
    check(service->tearDown() == kOk, "the service terminates");
    check(idle.handlers.empty(), "and stops its idle calls");
    check(service->drop() == 0, "the service goes with its last release");
  }
  check(factory->drop() == 0, "the factory goes with its last release");
  check(exit(), "ExitDll");
  module.unload();

  check(kernel.references() == 1 && information.references() == 1 && idle.references() == 1 &&
            ports.references() == 1 && devices.references() == 1 && context.references() == 1 &&
            in2.references() == 1 && out2.references() == 1,
        "every host object was released as often as it was handed out");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: foreign_host <module path>\n");
    return 2;
  }
  run(argv[1]);
  std::printf("%d checks, %d failed\n", checks, failures);
  return failures == 0 ? 0 : 1;
}
