// The factory of the built module, loaded by path and driven through its exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "sdk/IPluginBase.h"
#include "sdk/IPluginFactory.h"
#include "tests/support/ArtifactPath.h"

using namespace Brennholt;

namespace {

constexpr unsigned char kFill = 0xCD;

class LoadedFactory : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = QentTest::artifactPath("qentlink.hox3");
    module_ = Platform::loadModule(path_.c_str());
    ASSERT_NE(module_, nullptr) << path_;
    init_ = reinterpret_cast<InitModuleProc>(Platform::findExport(module_, "InitDll"));
    getFactory_ =
        reinterpret_cast<GetFactoryProc>(Platform::findExport(module_, "GetPluginFactory"));
    exit_ = reinterpret_cast<ExitModuleProc>(Platform::findExport(module_, "ExitDll"));
    ASSERT_TRUE(init_ && getFactory_ && exit_);
    ASSERT_TRUE(init_());
    factory_ = getFactory_();
    ASSERT_NE(factory_, nullptr);
  }
  void TearDown() override {
    if (factory_) {
      EXPECT_EQ(factory_->release(), 0u);
    }
    if (exit_) {
      EXPECT_TRUE(exit_());
    }
    if (module_) Platform::unloadModule(module_);
  }
  IPluginFactory3* factory3() {
    void* object = nullptr;
    EXPECT_EQ(factory_->queryInterface(IPluginFactory3::iid.bytes(), &object), kResultOk);
    factory_->release();  // keep the test's count at one
    return static_cast<IPluginFactory3*>(object);
  }

  std::string path_;
  Platform::ModuleHandle module_ = nullptr;
  InitModuleProc init_ = nullptr;
  GetFactoryProc getFactory_ = nullptr;
  ExitModuleProc exit_ = nullptr;
  IPluginFactory* factory_ = nullptr;
};

// Writes text without its terminator: the record around it is zeroed already.
template <class Char>
void fillText(Char* field, const Char* text) {
  for (; *text; ++text) *field++ = *text;
}
template <class Record>
Record zeroed() {
  Record record;
  std::memset(&record, 0, sizeof(record));
  return record;
}
template <class Record>
Record filled() {
  Record record;
  std::memset(&record, kFill, sizeof(record));
  return record;
}

struct ExpectedClass {
  const char* cid;
  int32 cardinality;
  const char* category;
  const char* name;
  const char16* wideName;
  const char* version;
  const char16* wideVersion;
};

const ExpectedClass kClasses[3] = {
    {"F255F29D5E18724489733758D4409CE3", 1, "Service", "Talvane QENT6/QENT8 Extension",
     u"Talvane QENT6/QENT8 Extension", "1.0.6", u"1.0.6"},
    {"75F1DCF830A7E54BA1DE1553899D2504", 0x7FFFFFFF, "Remote Devices", "Talvane QENT6/QENT8",
     u"Talvane QENT6/QENT8", "", u""},
    {"8714DCA0BA74F14BA71252FF31B9F1BC", 1, "Device Detection", "", u"", "", u""},
};

template <class Record>
void fillCommon(Record& record, const ExpectedClass& expected) {
  FUID::fromMemoryHex(expected.cid).copyTo(record.cid);
  record.cardinality = expected.cardinality;
  fillText(record.category, expected.category);
}

}  // namespace

TEST_F(LoadedFactory, LaterCallsShareTheFactoryWithOneMoreReference) {
  IPluginFactory* second = getFactory_();
  EXPECT_EQ(second, factory_);
  EXPECT_EQ(factory_->addRef(), 3u);
  EXPECT_EQ(factory_->release(), 2u);
  EXPECT_EQ(second->release(), 1u);
}

TEST_F(LoadedFactory, LastReleaseLetsTheNextCallBuildAFreshFactoryWithTheSameClasses) {
  PClassInfoW before[3];
  IPluginFactory3* first = factory3();
  for (int32 i = 0; i < 3; ++i) ASSERT_EQ(first->getClassInfoUnicode(i, &before[i]), kResultOk);
  EXPECT_EQ(factory_->release(), 0u);

  factory_ = getFactory_();
  ASSERT_NE(factory_, nullptr);
  EXPECT_EQ(factory_->addRef(), 2u) << "a fresh factory starts with one reference";
  factory_->release();
  IPluginFactory3* again = factory3();
  ASSERT_EQ(again->countClasses(), 3);
  for (int32 i = 0; i < 3; ++i) {
    PClassInfoW after;
    ASSERT_EQ(again->getClassInfoUnicode(i, &after), kResultOk);
    EXPECT_EQ(std::memcmp(&before[i], &after, sizeof(after)), 0) << "class " << i;
  }
}

TEST_F(LoadedFactory, AnswersTheFourFactoryIdentifiersOnly) {
  for (const FUID* iid :
       {&FUnknown::iid, &IPluginFactory::iid, &IPluginFactory2::iid, &IPluginFactory3::iid}) {
    void* object = nullptr;
    ASSERT_EQ(factory_->queryInterface(iid->bytes(), &object), kResultOk);
    EXPECT_EQ(object, static_cast<void*>(factory_));
    EXPECT_EQ(factory_->release(), 1u) << "the query added exactly one reference";
  }
  const FUID other = FUID::fromMemoryHex("00112233445566778899AABBCCDDEEFF");
  for (const char* iid :
       {IPluginBase::iid.bytes(), other.bytes(), static_cast<const char*>(nullptr)}) {
    void* object = &object;
    EXPECT_EQ(factory_->queryInterface(iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(factory_->queryInterface(FUnknown::iid.bytes(), nullptr), kInvalidArgument);
  EXPECT_EQ(factory3()->setHostContext(factory_), kResultOk);
  EXPECT_EQ(factory_->addRef(), 2u) << "refused queries and the host context add no reference";
  factory_->release();
}

TEST_F(LoadedFactory, FactoryInformationIsTheVendorOnZeros) {
  auto expected = zeroed<PFactoryInfo>();
  fillText(expected.vendor, "Talvane Corporation");
  auto info = filled<PFactoryInfo>();
  EXPECT_EQ(factory_->getFactoryInfo(&info), kResultOk);
  EXPECT_EQ(std::memcmp(&info, &expected, sizeof(info)), 0);
  EXPECT_EQ(factory_->getFactoryInfo(nullptr), kResultOk);
}

TEST_F(LoadedFactory, ClassInformationInAllThreeFormsByteForByte) {
  IPluginFactory3* factory = factory3();
  ASSERT_EQ(factory->countClasses(), 3);
  for (int32 i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const ExpectedClass& c = kClasses[i];

    auto basic = zeroed<PClassInfo>();
    fillCommon(basic, c);
    fillText(basic.name, c.name);
    auto gotBasic = filled<PClassInfo>();
    EXPECT_EQ(factory->getClassInfo(i, &gotBasic), kResultOk);
    EXPECT_EQ(std::memcmp(&gotBasic, &basic, sizeof(basic)), 0);

    auto extended = zeroed<PClassInfo2>();
    fillCommon(extended, c);
    fillText(extended.name, c.name);
    fillText(extended.version, c.version);
    auto gotExtended = filled<PClassInfo2>();
    EXPECT_EQ(factory->getClassInfo2(i, &gotExtended), kResultOk);
    EXPECT_EQ(std::memcmp(&gotExtended, &extended, sizeof(extended)), 0);

    auto wide = zeroed<PClassInfoW>();
    fillCommon(wide, c);
    fillText(wide.name, c.wideName);
    fillText(wide.version, c.wideVersion);
    auto gotWide = filled<PClassInfoW>();
    EXPECT_EQ(factory->getClassInfoUnicode(i, &gotWide), kResultOk);
    EXPECT_EQ(std::memcmp(&gotWide, &wide, sizeof(wide)), 0);
  }
}

TEST_F(LoadedFactory, BadIndicesAndNullRecordsAreInvalidAndWriteNothing) {
  IPluginFactory3* factory = factory3();
  for (int32 index : {3, -1, 0x7FFFFFFF}) {
    SCOPED_TRACE(index);
    auto basic = filled<PClassInfo>();
    auto extended = filled<PClassInfo2>();
    auto wide = filled<PClassInfoW>();
    EXPECT_EQ(factory->getClassInfo(index, &basic), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo2(index, &extended), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfoUnicode(index, &wide), kInvalidArgument);
    auto untouchedBasic = filled<PClassInfo>();
    auto untouchedExtended = filled<PClassInfo2>();
    auto untouchedWide = filled<PClassInfoW>();
    EXPECT_EQ(std::memcmp(&basic, &untouchedBasic, sizeof(basic)), 0);
    EXPECT_EQ(std::memcmp(&extended, &untouchedExtended, sizeof(extended)), 0);
    EXPECT_EQ(std::memcmp(&wide, &untouchedWide, sizeof(wide)), 0);
  }
  EXPECT_EQ(factory->getClassInfo(0, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfo2(0, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfoUnicode(0, nullptr), kInvalidArgument);
}

TEST_F(LoadedFactory, CreatingAnUnknownClassAnswersNoInterfaceAndNull) {
  const FUID unknown = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE4");
  void* object = &object;
  EXPECT_EQ(factory_->createInstance(unknown.bytes(), FUnknown::iid.bytes(), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
  object = &object;
  EXPECT_EQ(factory_->createInstance(nullptr, FUnknown::iid.bytes(), &object), kNoInterface);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory_->createInstance(unknown.bytes(), FUnknown::iid.bytes(), nullptr),
            kInvalidArgument);
}

TEST_F(LoadedFactory, CreatesEachClassAndAsManyRemotesAsAsked) {
  const FUID service = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");
  const FUID remote = FUID::fromMemoryHex("75F1DCF830A7E54BA1DE1553899D2504");
  const FUID detector = FUID::fromMemoryHex("8714DCA0BA74F14BA71252FF31B9F1BC");
  for (const FUID& cid : {service, remote, detector}) {
    void* object = nullptr;
    ASSERT_EQ(factory_->createInstance(cid.bytes(), IPluginBase::iid.bytes(), &object), kResultOk);
    ASSERT_NE(object, nullptr);
    // The caller holds exactly the reference from the query.
    EXPECT_EQ(static_cast<IPluginBase*>(object)->release(), 0u);
  }
  void* first = nullptr;
  void* second = nullptr;
  ASSERT_EQ(factory_->createInstance(remote.bytes(), FUnknown::iid.bytes(), &first), kResultOk);
  ASSERT_EQ(factory_->createInstance(remote.bytes(), FUnknown::iid.bytes(), &second), kResultOk);
  EXPECT_NE(first, second);
  static_cast<FUnknown*>(first)->release();
  static_cast<FUnknown*>(second)->release();
  // An interface the class does not have: nothing is handed out, nothing leaks.
  void* object = &object;
  EXPECT_EQ(factory_->createInstance(detector.bytes(), IPluginFactory::iid.bytes(), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
}
