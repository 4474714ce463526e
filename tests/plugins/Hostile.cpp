// Hostile component plug-in modules: what a prober meets from plug-ins that are huge, sloppy or
// badly behaved. Written like another vendor's module, from the published interface tables and
// record layouts alone and without `noexcept`, so that one of them can throw through an interface
// call. HOSTILE_KIND picks the module at build time; sizes come from the environment at run time:
//
//   Crowd         one instrument with HOSTILE_PARAMETERS parameters (default 100000) in a small
//                 unit tree; each parameter is built when it is asked for
//   Unterminated  an instrument whose class name and sub-categories, parameter titles and unit
//                 names fill their fields without a terminator, with visible text behind them
//   Deep          a chain of HOSTILE_DEPTH units (default 100000) with a parameter in the deepest,
//                 beside malformed units: a ring, a unit that is its own parent, two records for
//                 one id, a parameter in a unit nobody describes, and counts above what is there
//   Overcount     a factory that reports HOSTILE_CLASSES classes (default 1000) and has two;
//                 each controller reports 1000 parameters and units more than it has
//   Thrower       "Throws" throws from the call named by HOSTILE_THROW ("count", "info",
//                 "create", "setup", "params", "units", "init", "factory", "exit"), "Calm"
//                 behaves
//   Chatty        an instrument that writes to standard output and standard error through the C
//                 library, the C++ streams and the system
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#define HOSTILE_EXPORT extern "C" __declspec(dllexport)
#else
#include <unistd.h>
#define HOSTILE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace hostile {

using Result = std::int32_t;
constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kNoInterface = static_cast<Result>(0x80004002);
constexpr Result kBadArgument = static_cast<Result>(0x80070057);

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

struct ClassRecord2 {
  unsigned char cid[16];
  std::int32_t cardinality;
  char category[32];
  char name[64];
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
  virtual Result classInfo(std::int32_t index, void* record) = 0;
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

// ---------------------------------------------------------------- the modules

enum class Kind { kCrowd, kUnterminated, kDeep, kOvercount, kThrower, kChatty };
constexpr Kind kKind = Kind::HOSTILE_KIND;

std::int32_t fromEnvironment(const char* name, std::int32_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? static_cast<std::int32_t>(std::strtol(text, nullptr, 10)) : fallback;
}

bool throwsIn(const char* call) {
  const char* text = std::getenv("HOSTILE_THROW");
  return kKind == Kind::kThrower && text && std::strcmp(text, call) == 0;
}

// Everything a well-behaved module would keep quiet about goes to both console streams, by
// every route there is.
void chatter(const char* what) {
  if (kKind != Kind::kChatty) return;
  std::printf("Chatty %s (printf)\n", what);
  std::fprintf(stderr, "Chatty %s (stderr)\n", what);
  std::cout << "Chatty " << what << " (cout)" << std::endl;
  std::cerr << "Chatty " << what << " (cerr)" << std::endl;
  std::fflush(stdout);
  std::string line = std::string("Chatty ") + what + " (system)\n";
#if defined(_WIN32)
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
#else
  [[maybe_unused]] ssize_t ignored = write(1, line.data(), line.size());
  ignored = write(2, line.data(), line.size());
#endif
}

void fill(char16_t* field, const std::u16string& text) {
  std::memset(field, 0, 128 * sizeof(char16_t));
  for (std::size_t i = 0; i < text.size() && i < 128; ++i) field[i] = text[i];
}

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// "P12" and the like; appended rather than concatenated, which one compiler warns about falsely.
std::string numbered(char letter, std::int32_t number) {
  std::string text(1, letter);
  text += std::to_string(number);
  return text;
}

// 128 visible units, no terminator.
std::u16string fullField(const std::string& start) {
  std::string text = start;
  while (text.size() < 128) text += static_cast<char>('a' + text.size() % 26);
  return ascii(text);
}

constexpr std::int32_t kPhantoms = 1000;  // what Overcount's controllers claim beyond the real

struct ClassDef {
  const char* name;  // null: the name field is filled to its end
  bool instrument;
};

const ClassDef kCrowdClasses[] = {{"Crowd", true}};
const ClassDef kUnterminatedClasses[] = {{nullptr, true}};
const ClassDef kDeepClasses[] = {{"Deep", true}};
const ClassDef kTwoClasses[] = {{"First", true}, {"Second", true}};
const ClassDef kThrowerClasses[] = {{"Throws", true}, {"Calm", true}};
const ClassDef kChattyClasses[] = {{"Chatty", true}};

const ClassDef* classes(std::int32_t* count) {
  switch (kKind) {
    case Kind::kCrowd:
      *count = 1;
      return kCrowdClasses;
    case Kind::kUnterminated:
      *count = 1;
      return kUnterminatedClasses;
    case Kind::kDeep:
      *count = 1;
      return kDeepClasses;
    case Kind::kOvercount:
      *count = 2;
      return kTwoClasses;
    case Kind::kThrower:
      *count = 2;
      return kThrowerClasses;
    case Kind::kChatty:
      *count = 1;
      return kChattyClasses;
  }
  *count = 0;
  return nullptr;
}

Iid classId(std::int32_t index) {
  return guid(0x40571E00u + static_cast<std::uint32_t>(index), 0x0001, 0x4A11,
              0x8000000000000000ull + static_cast<std::uint64_t>(index));
}

std::atomic<int> liveObjects{0};

// One object for both halves, as a plug-in without a separate controller is built.
class Plugin final : public Processor, public Controller, public UnitTree {
 public:
  explicit Plugin(std::int32_t classIndex) : classIndex_(classIndex) { ++liveObjects; }

  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kProcessorIid.is(iid)) {
      *object = static_cast<Processor*>(this);
    } else if (kControllerIid.is(iid)) {
      *object = static_cast<Controller*>(this);
    } else if (kUnitTreeIid.is(iid)) {
      *object = static_cast<UnitTree*>(this);
    } else {
      *object = nullptr;
      return kNoInterface;
    }
    ++references_;
    return kOk;
  }
  std::uint32_t retain() override { return ++references_; }
  std::uint32_t drop() override {
    std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

  Result setUp(Unknown*) override {
    chatter("setUp");
    if (throwing() && throwsIn("setup")) throw std::runtime_error("setUp");
    return kOk;
  }
  Result tearDown() override { return kOk; }
  Result controllerClass(char* cid) override {
    if (cid) std::memset(cid, 0, 16);
    return kFalse;
  }
  Result takeProcessorState(const void*, std::int32_t) override { return kFalse; }
  Result loadState(const void*, std::int32_t) override { return kFalse; }
  Result saveState(void*, std::int32_t, std::int32_t* size) override {
    if (size) *size = 0;
    return kFalse;
  }

  std::int32_t paramCount() override {
    switch (kKind) {
      case Kind::kCrowd:
        return fromEnvironment("HOSTILE_PARAMETERS", 100000);
      case Kind::kDeep:
        return 5;
      case Kind::kOvercount:
        return 2 + kPhantoms;
      default:
        return 2;
    }
  }

  Result paramInfo(std::int32_t index, ParamRecord* record) override {
    if (!record || index < 0 || index >= paramCount()) return kBadArgument;
    chatter("paramInfo");
    if (throwing() && throwsIn("params") && index == 1) throw std::runtime_error("paramInfo");
    std::u16string title;
    std::int32_t unit = 0;
    switch (kKind) {
      case Kind::kCrowd:
        title = ascii(numbered('P', index));
        unit = index % 4;
        break;
      case Kind::kUnterminated:
        title = fullField(index == 0 ? "Title " : "Other ");
        unit = 1;
        break;
      case Kind::kDeep: {
        static const char* const kTitles[] = {"Deepest", "Ring", "Self", "Twice", "Nowhere"};
        title = ascii(kTitles[index]);
        const std::int32_t depth = fromEnvironment("HOSTILE_DEPTH", 100000);
        const std::int32_t units[] = {depth - 1, 900001, 900010, 900020, 77777777};
        unit = units[index];
        break;
      }
      case Kind::kOvercount:
        if (index >= 2) return kBadArgument;
        title = ascii(index == 0 ? "Alpha" : "Beta");
        break;
      default:
        title = ascii(index == 0 ? "Level" : "Tone");
        break;
    }
    record->id = static_cast<std::uint32_t>(index);
    fill(record->title, title);
    fill(record->shortTitle, ascii("Spill"));
    fill(record->units, ascii("dB"));
    record->unit = unit;
    record->flags = 1;
    return kOk;
  }

  std::int32_t unitCount() override {
    switch (kKind) {
      case Kind::kCrowd:
        return 4;
      case Kind::kUnterminated:
        return 2;
      // The chain, then ring (2), self (1), twice (2), and ten more that are not there.
      case Kind::kDeep:
        return fromEnvironment("HOSTILE_DEPTH", 100000) + 5 + 10;
      case Kind::kOvercount:
        return 1 + kPhantoms;
      default:
        return 1;
    }
  }

  Result unitInfo(std::int32_t index, UnitRecord* record) override {
    if (!record || index < 0) return kBadArgument;
    if (throwing() && throwsIn("units")) throw std::runtime_error("unitInfo");
    std::int32_t id = 0, parent = -1;
    std::u16string name = ascii("Root");
    switch (kKind) {
      case Kind::kCrowd: {
        static const std::int32_t kParents[] = {-1, 0, 1, 0};
        static const char* const kNames[] = {"Root", "Osc", "Env", "Mod"};
        if (index >= 4) return kBadArgument;
        id = index;
        parent = kParents[index];
        name = ascii(kNames[index]);
        break;
      }
      case Kind::kUnterminated:
        if (index >= 2) return kBadArgument;
        id = index;
        parent = index - 1;
        name = index == 0 ? ascii("Root") : fullField("Section ");
        break;
      case Kind::kDeep: {
        const std::int32_t depth = fromEnvironment("HOSTILE_DEPTH", 100000);
        if (index < depth) {
          id = index;
          parent = index - 1;
          name = ascii(numbered('U', index));
          break;
        }
        // A ring of two, a unit that is its own parent, and one id described twice: under the
        // root and under the ring.
        static const std::int32_t kIds[] = {900001, 900002, 900010, 900020, 900020};
        static const std::int32_t kParents[] = {900002, 900001, 900010, 0, 900002};
        static const char* const kNames[] = {"RingA", "RingB", "Self", "TwiceRoot", "TwiceRing"};
        std::int32_t extra = index - depth;
        if (extra >= 5) return kBadArgument;
        id = kIds[extra];
        parent = kParents[extra];
        name = ascii(kNames[extra]);
        break;
      }
      default:
        if (index >= 1) return kBadArgument;
        break;
    }
    record->id = id;
    record->parent = parent;
    fill(record->name, name);
    record->programs = 0x00580058;
    return kOk;
  }

 private:
  ~Plugin() { --liveObjects; }
  bool throwing() const { return classIndex_ == 0; }

  std::int32_t classIndex_;
  std::atomic<std::uint32_t> references_{1};
};

class PluginFactory final : public Factory {
 public:
  PluginFactory() { ++liveObjects; }
  Result query(const char* iid, void** object) override {
    if (!object) return kBadArgument;
    if (kUnknownIid.is(iid) || kFactoryIid.is(iid) || kFactory2Iid.is(iid)) {
      *object = static_cast<Factory*>(this);
      ++references_;
      return kOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  std::uint32_t retain() override { return ++references_; }
  std::uint32_t drop() override {
    std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

  Result info(FactoryRecord* record) override {
    if (!record) return kBadArgument;
    std::memset(record, 0, sizeof *record);
    std::strncpy(record->vendor, "Hostile Works", sizeof record->vendor - 1);
    return kOk;
  }
  std::int32_t classCount() override {
    if (throwsIn("count")) throw std::runtime_error("classCount");
    std::int32_t count = 0;
    classes(&count);
    return kKind == Kind::kOvercount ? fromEnvironment("HOSTILE_CLASSES", 1000) : count;
  }
  Result classInfo(std::int32_t, void*) override { return kBadArgument; }
  Result create(const char* cid, const char* iid, void** object) override {
    if (!object) return kBadArgument;
    *object = nullptr;
    std::int32_t count = 0;
    classes(&count);
    for (std::int32_t i = 0; i < count; ++i) {
      if (!classId(i).is(cid)) continue;
      if (i == 0 && throwsIn("create")) throw std::runtime_error("create");
      auto* plugin = new Plugin(i);
      Result result = plugin->query(iid, object);
      static_cast<Processor*>(plugin)->drop();
      return result;
    }
    return kBadArgument;
  }
  Result classInfo2(std::int32_t index, ClassRecord2* record) override {
    std::int32_t count = 0;
    const ClassDef* defs = classes(&count);
    if (index == 0 && throwsIn("info")) throw std::runtime_error("classInfo2");
    // Beyond the classes it has, a sloppy factory answers without touching the record.
    if (!record || index < 0) return kBadArgument;
    if (index >= count) return kKind == Kind::kOvercount && index % 2 ? kOk : kBadArgument;
    const ClassDef& def = defs[index];
    std::memset(record, 0, sizeof *record);
    std::memcpy(record->cid, classId(index).bytes, 16);
    record->cardinality = 0x7FFFFFFF;
    std::strncpy(record->category, "Audio Module Class", sizeof record->category - 1);
    if (def.name) {
      std::strncpy(record->name, def.name, sizeof record->name - 1);
      std::strncpy(record->subCategories, def.instrument ? "Instrument|Synth" : "Fx",
                   sizeof record->subCategories - 1);
    } else {
      std::string name = "Unterminated ";
      while (name.size() < sizeof record->name) name += static_cast<char>('A' + name.size() % 26);
      std::memcpy(record->name, name.data(), sizeof record->name);
      std::string sub = "Synth|Instrument|";
      while (sub.size() < sizeof record->subCategories) sub += 'x';
      std::memcpy(record->subCategories, sub.data(), sizeof record->subCategories);
      // Right behind the name and sub-categories: visible text a careless reader would take.
      std::memset(record->vendor, 'V', sizeof record->vendor);
    }
    std::strncpy(record->version, "1.0.0", sizeof record->version - 1);
    return kOk;
  }

 private:
  ~PluginFactory() { --liveObjects; }
  std::atomic<std::uint32_t> references_{1};
};

}  // namespace hostile

HOSTILE_EXPORT bool InitDll() {
  hostile::chatter("InitDll");
  if (hostile::throwsIn("init")) throw std::runtime_error("InitDll");
  return true;
}

HOSTILE_EXPORT bool ExitDll() {
  hostile::chatter("ExitDll");
  if (hostile::throwsIn("exit")) throw std::runtime_error("ExitDll");
  return true;
}

// The caller owns the one reference of the returned factory.
HOSTILE_EXPORT hostile::Factory* GetPluginFactory() {
  hostile::chatter("GetPluginFactory");
  if (hostile::throwsIn("factory")) throw std::runtime_error("GetPluginFactory");
  return new hostile::PluginFactory;
}
