// A component plug-in module as another vendor would build one: written from the published
// interface tables and record layouts alone, with declarations and names of its own and no
// header of the prober's project. Its objects therefore carry type information that no prober
// shares, as every real plug-in's do.
//
// Three classes: "Orrery Keys", an instrument whose processing half and controller are separate
// objects that talk through the host's connection proxies; "Orrery Drone", an instrument that
// is one object for both halves; and "Orrery Delay", an effect. What the halves learn from the
// host shows in the parameter titles, so the prober's output file tells whether it was a good
// host.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define ORRERY_EXPORT extern "C" __declspec(dllexport)
#else
#define ORRERY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The published tables are not in an unnamed namespace: other binaries implement some of them,
// and a compiler may take a class there to have no implementations beyond those it sees.
namespace orrery {

using Result = std::int32_t;
constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kNoInterface = static_cast<Result>(0x80004002);
constexpr Result kBadArgument = static_cast<Result>(0x80070057);

// Interface and class identifiers in the platform's GUID layout: the first three groups
// little-endian, the last eight bytes as written.
struct Iid {
  unsigned char bytes[16];
  bool is(const void* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};
constexpr Iid guid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint64_t d) {
  Iid id{};
  for (int i = 0; i < 4; ++i) id.bytes[i] = static_cast<unsigned char>(a >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[4 + i] = static_cast<unsigned char>(b >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[6 + i] = static_cast<unsigned char>(c >> (8 * i));
  for (int i = 0; i < 8; ++i) id.bytes[8 + i] = static_cast<unsigned char>(d >> (8 * (7 - i)));
  return id;
}

constexpr Iid kUnknownIid = guid(0x00000000, 0x0000, 0x0000, 0xC000000000000046);
constexpr Iid kFactoryIid = guid(0x7A4D811C, 0x5211, 0x4A1F, 0xAED9D2EE0B43BF9F);
constexpr Iid kFactory2Iid = guid(0x0007B650, 0xF24B, 0x4C0B, 0xA464EDB9F00B2ABB);
constexpr Iid kProcessorIid = guid(0xE831FF31, 0xF2D5, 0x4301, 0x928EBBEE25697802);
constexpr Iid kControllerIid = guid(0xDCD7BBE3, 0x7742, 0x448D, 0xA874AACC979C759E);
constexpr Iid kUnitTreeIid = guid(0x3D4BD6B5, 0x913A, 0x4FD2, 0xA886E768A5EB92C1);
constexpr Iid kConnectionIid = guid(0x70A4156F, 0x6E6E, 0x4026, 0x989148BFAA60D8D1);
constexpr Iid kHostIid = guid(0x58E595CC, 0xDB2D, 0x4969, 0x8B6AAF8C36A664E5);
constexpr Iid kMessageIid = guid(0x936F033B, 0xC6C0, 0x47DB, 0xBB0882F813C1E613);
constexpr Iid kSupportIid = guid(0x4FB58B9E, 0x9EAA, 0x4E0F, 0xAB361C1CCCB56FEA);

constexpr Iid kKeysClass = guid(0x0AB1E5A1, 0x0001, 0x4E11, 0x8000000000000001);
constexpr Iid kKeysControllerClass = guid(0x0AB1E5A1, 0x0002, 0x4E11, 0x8000000000000002);
constexpr Iid kDroneClass = guid(0x0AB1E5A1, 0x0003, 0x4E11, 0x8000000000000003);
constexpr Iid kDelayClass = guid(0x0AB1E5A1, 0x0004, 0x4E11, 0x8000000000000004);

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

class Factory : public Unknown {
 public:
  virtual Result info(FactoryRecord* record) = 0;
  virtual std::int32_t classCount() = 0;
  virtual Result classInfo(std::int32_t index, ClassRecord* record) = 0;
  virtual Result create(const char* cid, const char* iid, void** object) = 0;
  virtual Result classInfo2(std::int32_t index, ClassRecord2* record) = 0;

 protected:
  ~Factory() = default;
};

class Processor : public Unknown {
 public:
  virtual Result setUp(Unknown* hostContext) = 0;
  virtual Result tearDown() = 0;
  virtual Result controllerClass(char* cid) = 0;

 protected:
  ~Processor() = default;
};

struct ParamRecord {
  std::uint32_t id;
  char16_t title[128];
  char16_t shortTitle[128];
  char16_t units[128];
  std::int32_t steps;
  double defaultValue;
  std::int32_t unit;
  std::int32_t flags;
};
static_assert(sizeof(ParamRecord) == 792);
constexpr std::int32_t kAutomatable = 1;

struct UnitRecord {
  std::int32_t id;
  std::int32_t parent;
  char16_t name[128];
  std::int32_t programs;
};
static_assert(sizeof(UnitRecord) == 268);

class Controller : public Unknown {
 public:
  virtual Result setUp(Unknown* hostContext) = 0;
  virtual Result tearDown() = 0;
  virtual Result takeProcessorState(const void* data, std::int32_t size) = 0;
  virtual Result loadState(const void* data, std::int32_t size) = 0;
  virtual Result saveState(void* data, std::int32_t capacity, std::int32_t* size) = 0;
  virtual std::int32_t paramCount() = 0;
  virtual Result paramInfo(std::int32_t index, ParamRecord* record) = 0;

 protected:
  ~Controller() = default;
};

class UnitTree : public Unknown {
 public:
  virtual std::int32_t unitCount() = 0;
  virtual Result unitInfo(std::int32_t index, UnitRecord* record) = 0;

 protected:
  ~UnitTree() = default;
};

class AttributeList : public Unknown {
 public:
  virtual Result setInt(const char* key, std::int64_t value) = 0;
  virtual Result getInt(const char* key, std::int64_t* value) = 0;
  virtual Result setFloat(const char* key, double value) = 0;
  virtual Result getFloat(const char* key, double* value) = 0;
  virtual Result setText(const char* key, const char16_t* text) = 0;
  virtual Result getText(const char* key, char16_t* text, std::uint32_t bytes) = 0;
  virtual Result setBytes(const char* key, const void* data, std::uint32_t size) = 0;
  virtual Result getBytes(const char* key, const void** data, std::uint32_t* size) = 0;

 protected:
  ~AttributeList() = default;
};

class Message : public Unknown {
 public:
  virtual const char* id() = 0;
  virtual void setId(const char* id) = 0;
  virtual AttributeList* attributes() = 0;

 protected:
  ~Message() = default;
};

class Connection : public Unknown {
 public:
  virtual Result connect(Connection* other) = 0;
  virtual Result disconnect(Connection* other) = 0;
  virtual Result notify(Message* message) = 0;

 protected:
  ~Connection() = default;
};

class Host : public Unknown {
 public:
  virtual Result name(char16_t* text) = 0;
  virtual Result createObject(const char* cid, const char* iid, void** object) = 0;

 protected:
  ~Host() = default;
};

class InterfaceSupport : public Unknown {
 public:
  virtual Result supports(const char* iid) = 0;

 protected:
  ~InterfaceSupport() = default;
};

namespace {

// ---------------------------------------------------------------- helpers

const char* raw(const Iid& id) { return reinterpret_cast<const char*>(id.bytes); }

template <class T>
T* ask(Unknown* object, const Iid& iid) {
  void* answer = nullptr;
  if (!object || object->query(raw(iid), &answer) != kOk) return nullptr;
  return static_cast<T*>(answer);
}

void copyText(char16_t* field, const char* text) {
  int i = 0;
  for (; text[i] && i < 127; ++i) field[i] = static_cast<unsigned char>(text[i]);
  field[i] = 0;
}

// Copies text into a zero-filled 8-bit field, cut so that the terminator fits.
template <std::size_t N>
void putText(char (&field)[N], const char* text) {
  std::size_t length = std::strlen(text);
  std::memcpy(field, text, length < N ? length : N - 1);
}

// Reference counting shared by every object here.
template <class Base>
class Counted : public Base {
 public:
  std::uint32_t retain() override { return ++count_; }
  std::uint32_t drop() override {
    std::uint32_t left = --count_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Counted() = default;

 private:
  std::atomic<std::uint32_t> count_{1};
};

// What a setUp learned about the host, for the titles.
struct HostView {
  bool named = false;     // the host gave its name
  bool supports = false;  // it knows the unit tree interface and not a made-up one
};

HostView lookAtHost(Unknown* context) {
  HostView view;
  if (Host* host = ask<Host>(context, kHostIid)) {
    char16_t name[128] = {};
    view.named = host->name(name) == kOk && name[0] != 0;
    host->drop();
  }
  if (InterfaceSupport* support = ask<InterfaceSupport>(context, kSupportIid)) {
    constexpr Iid kMadeUp = guid(0x12345678, 0x1234, 0x1234, 0x1234567812345678);
    view.supports =
        support->supports(raw(kUnitTreeIid)) == kOk && support->supports(raw(kMadeUp)) == kFalse;
    support->drop();
  }
  return view;
}

// ---------------------------------------------------------------- Orrery Keys

// The controller: its title for parameter 12 carries what the processing half told it through
// the host's message objects.
class KeysController : public Counted<Controller> {
 public:
  class Port : public Connection {
   public:
    explicit Port(KeysController* owner) : owner_(owner) {}
    Result query(const char* iid, void** object) override {
      if (kConnectionIid.is(iid)) {
        *object = this;
        retain();
        return kOk;
      }
      return owner_->query(iid, object);
    }
    std::uint32_t retain() override { return owner_->retain(); }
    std::uint32_t drop() override { return owner_->drop(); }
    Result connect(Connection* other) override {
      if (!other || owner_->peer_) return kBadArgument;
      owner_->peer_ = other;
      other->retain();
      return kOk;
    }
    Result disconnect(Connection* other) override {
      if (other != owner_->peer_ || !other) return kBadArgument;
      owner_->peer_->drop();
      owner_->peer_ = nullptr;
      return kOk;
    }
    Result notify(Message* message) override {
      std::int64_t voices = 0;
      if (!message || !message->id() || std::strcmp(message->id(), "orrery.voices") != 0 ||
          !message->attributes() || message->attributes()->getInt("count", &voices) != kOk)
        return kFalse;
      owner_->voices_ = voices;
      return kOk;
    }

   private:
    KeysController* owner_;
  };

  class Units : public UnitTree {
   public:
    explicit Units(KeysController* owner) : owner_(owner) {}
    Result query(const char* iid, void** object) override { return owner_->query(iid, object); }
    std::uint32_t retain() override { return owner_->retain(); }
    std::uint32_t drop() override { return owner_->drop(); }
    std::int32_t unitCount() override { return 3; }
    Result unitInfo(std::int32_t index, UnitRecord* record) override {
      static const struct {
        std::int32_t id, parent;
        const char* name;
      } kUnits[] = {{0, -1, "Root"}, {1, 0, "Oscillators"}, {2, 1, "Osc B"}};
      if (index < 0 || index >= 3 || !record) return kBadArgument;
      record->id = kUnits[index].id;
      record->parent = kUnits[index].parent;
      copyText(record->name, kUnits[index].name);
      record->programs = -1;
      return kOk;
    }

   private:
    KeysController* owner_;
  };

  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kControllerIid.is(iid)) {
      *object = static_cast<Controller*>(this);
    } else if (kConnectionIid.is(iid)) {
      *object = &port_;
    } else if (kUnitTreeIid.is(iid)) {
      *object = &units_;
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    retain();
    return kOk;
  }
  Result setUp(Unknown* hostContext) override {
    host_ = lookAtHost(hostContext);
    return kOk;
  }
  Result tearDown() override { return kOk; }
  Result takeProcessorState(const void*, std::int32_t) override { return kOk; }
  Result loadState(const void*, std::int32_t) override { return kOk; }
  Result saveState(void*, std::int32_t, std::int32_t* size) override {
    if (size) *size = 0;
    return kOk;
  }
  std::int32_t paramCount() override { return 4; }
  Result paramInfo(std::int32_t index, ParamRecord* record) override {
    if (!record || index < 0 || index >= 4) return kBadArgument;
    static const struct {
      std::uint32_t id;
      std::int32_t unit;
      bool automatable;
      const char* title;
    } kParams[] = {
        {0, 0, true, "Master"}, {7, 2, true, "Detune"}, {9, 1, false, "Hidden"}, {12, 0, true, ""}};
    record->id = kParams[index].id;
    record->unit = kParams[index].unit;
    record->flags = kParams[index].automatable ? kAutomatable : 0;
    if (index == 3) {
      const char* title = !host_.named      ? "Host nameless"
                          : !host_.supports ? "Host unsupportive"
                          : voices_ == 16   ? "Voices 16"
                                            : "Voices unheard";
      copyText(record->title, title);
    } else {
      copyText(record->title, kParams[index].title);
    }
    return kOk;
  }

 private:
  ~KeysController() override {
    if (peer_) peer_->drop();
  }

  Port port_{this};
  Units units_{this};
  Connection* peer_ = nullptr;
  HostView host_;
  std::int64_t voices_ = 0;
};

// The processing half: once connected it tells the controller its voice count in a message the
// host creates.
class KeysProcessor : public Counted<Processor> {
 public:
  class Port : public Connection {
   public:
    explicit Port(KeysProcessor* owner) : owner_(owner) {}
    Result query(const char* iid, void** object) override {
      if (kConnectionIid.is(iid)) {
        *object = this;
        retain();
        return kOk;
      }
      return owner_->query(iid, object);
    }
    std::uint32_t retain() override { return owner_->retain(); }
    std::uint32_t drop() override { return owner_->drop(); }
    Result connect(Connection* other) override {
      if (!other || owner_->peer_) return kBadArgument;
      owner_->peer_ = other;
      other->retain();
      owner_->announceVoices();
      return kOk;
    }
    Result disconnect(Connection* other) override {
      if (other != owner_->peer_ || !other) return kBadArgument;
      owner_->peer_->drop();
      owner_->peer_ = nullptr;
      return kOk;
    }
    Result notify(Message*) override { return kOk; }

   private:
    KeysProcessor* owner_;
  };

  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kProcessorIid.is(iid)) {
      *object = static_cast<Processor*>(this);
    } else if (kConnectionIid.is(iid)) {
      *object = &port_;
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    retain();
    return kOk;
  }
  Result setUp(Unknown* hostContext) override {
    host_ = ask<Host>(hostContext, kHostIid);
    return host_ ? kOk : kFalse;
  }
  Result tearDown() override {
    if (host_) host_->drop();
    host_ = nullptr;
    return kOk;
  }
  Result controllerClass(char* cid) override {
    std::memcpy(cid, kKeysControllerClass.bytes, 16);
    return kOk;
  }

 private:
  ~KeysProcessor() override {
    if (peer_) peer_->drop();
    if (host_) host_->drop();
  }

  void announceVoices() {
    void* object = nullptr;
    if (!host_ || host_->createObject(raw(kMessageIid), raw(kMessageIid), &object) != kOk ||
        !object)
      return;
    auto* message = static_cast<Message*>(object);
    message->setId("orrery.voices");
    if (AttributeList* attributes = message->attributes()) attributes->setInt("count", 16);
    peer_->notify(message);
    message->drop();
  }

  Port port_{this};
  Connection* peer_ = nullptr;
  Host* host_ = nullptr;
};

// ---------------------------------------------------------------- Orrery Drone

// One object for both halves; its single parameter's id wraps when the prober adds its offset.
class Drone : public Counted<Processor> {
 public:
  class Control : public Controller {
   public:
    explicit Control(Drone* owner) : owner_(owner) {}
    Result query(const char* iid, void** object) override { return owner_->query(iid, object); }
    std::uint32_t retain() override { return owner_->retain(); }
    std::uint32_t drop() override { return owner_->drop(); }
    Result setUp(Unknown* hostContext) override { return owner_->setUp(hostContext); }
    Result tearDown() override { return owner_->tearDown(); }
    Result takeProcessorState(const void*, std::int32_t) override { return kOk; }
    Result loadState(const void*, std::int32_t) override { return kOk; }
    Result saveState(void*, std::int32_t, std::int32_t* size) override {
      if (size) *size = 0;
      return kOk;
    }
    std::int32_t paramCount() override { return 1; }
    Result paramInfo(std::int32_t index, ParamRecord* record) override {
      if (!record || index != 0) return kBadArgument;
      record->id = 0x7FFFFFFF;
      record->flags = kAutomatable;
      copyText(record->title, owner_->setUps_ == 1 ? "Wrap" : "Wrap set up twice");
      return kOk;
    }

   private:
    Drone* owner_;
  };

  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kProcessorIid.is(iid)) {
      *object = static_cast<Processor*>(this);
    } else if (kControllerIid.is(iid)) {
      *object = &control_;
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    retain();
    return kOk;
  }
  Result setUp(Unknown*) override {
    ++setUps_;
    return kOk;
  }
  Result tearDown() override { return kOk; }
  Result controllerClass(char*) override { return kFalse; }

 private:
  Control control_{this};
  int setUps_ = 0;
};

// ---------------------------------------------------------------- the factory

struct ClassEntry {
  const Iid* cid;
  const char* category;
  const char* name;
  const char* subCategories;
};

const ClassEntry kEntries[] = {
    {&kKeysClass, "Audio Module Class", "Orrery Keys", "Instrument|Synth"},
    {&kKeysControllerClass, "Component Controller Class", "Orrery Keys Controller", ""},
    {&kDelayClass, "Audio Module Class", "Orrery Delay", "Fx|Delay"},
    {&kDroneClass, "Audio Module Class", "Orrery Drone", "Fx|Instrument"},
};
constexpr std::int32_t kEntryCount = 4;

class OrreryFactory : public Counted<Factory> {
 public:
  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kFactoryIid.is(iid) || kFactory2Iid.is(iid)) {
      *object = static_cast<Factory*>(this);
      retain();
      return kOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  Result info(FactoryRecord* record) override {
    if (!record) return kBadArgument;
    std::memset(record, 0, sizeof(*record));
    putText(record->vendor, "Orrery Instruments");
    return kOk;
  }
  std::int32_t classCount() override { return kEntryCount; }
  Result classInfo(std::int32_t index, ClassRecord* record) override {
    if (!record || index < 0 || index >= kEntryCount) return kBadArgument;
    std::memset(record, 0, sizeof(*record));
    std::memcpy(record->cid, kEntries[index].cid->bytes, 16);
    record->cardinality = 0x7FFFFFFF;
    putText(record->category, kEntries[index].category);
    putText(record->name, kEntries[index].name);
    return kOk;
  }
  Result classInfo2(std::int32_t index, ClassRecord2* record) override {
    if (!record) return kBadArgument;
    std::memset(record, 0, sizeof(*record));
    Result result = classInfo(index, &record->basic);
    if (result != kOk) return result;
    putText(record->subCategories, kEntries[index].subCategories);
    putText(record->vendor, "Orrery Instruments");
    putText(record->version, "2.1.0");
    return kOk;
  }
  Result create(const char* cid, const char* iid, void** object) override {
    if (!object) return kBadArgument;
    *object = nullptr;
    Unknown* made = nullptr;
    if (kKeysClass.is(cid)) {
      made = new KeysProcessor;
    } else if (kKeysControllerClass.is(cid)) {
      made = new KeysController;
    } else if (kDroneClass.is(cid)) {
      made = new Drone;
    } else {
      return kNoInterface;
    }
    Result result = made->query(iid, object);
    made->drop();
    return result;
  }

 private:
  ~OrreryFactory() override;
};

OrreryFactory* theFactory = nullptr;

OrreryFactory::~OrreryFactory() { theFactory = nullptr; }

}  // namespace
}  // namespace orrery

ORRERY_EXPORT bool InitDll() { return true; }

ORRERY_EXPORT bool ExitDll() { return true; }

ORRERY_EXPORT orrery::Factory* GetPluginFactory() {
  if (orrery::theFactory) {
    orrery::theFactory->retain();
  } else {
    orrery::theFactory = new orrery::OrreryFactory;
  }
  return orrery::theFactory;
}
