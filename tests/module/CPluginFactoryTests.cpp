// What only shows from inside the module: entry growth, creation references, the module-level
// factory pointer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "module/CPluginFactory.h"
#include "module/ClassRegistry.h"

using namespace Brennholt;

namespace {

FUID classId(int32 n) {
  FUID id;
  std::memcpy(id.bytes(), &n, sizeof(n));
  id.bytes()[15] = 0x5A;
  return id;
}

PClassInfo basicInfo(int32 n) {
  PClassInfo info{};
  classId(n).copyTo(info.cid);
  info.cardinality = n;
  return info;
}

// A counted object whose count the tests can watch from outside.
struct Counted final : FUnknown {
  static inline int32 alive = 0;
  std::atomic<uint32> count{1};
  Counted() { ++alive; }
  ~Counted() { --alive; }
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (FUnknown::iid.matches(iid)) {
      addRef();
      *object = this;
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return ++count; }
  uint32 release() noexcept override {
    uint32 left = --count;
    if (left == 0) delete this;
    return left;
  }
};
FUnknown* createCounted(void*) { return new Counted; }
FUnknown* createNothing(void*) { return nullptr; }
FUnknown* createMarked(void* context) {
  *static_cast<bool*>(context) = true;
  return nullptr;
}

std::vector<std::size_t> gGrowthSizes;
bool gRefuseGrowth = false;
void* recordingRealloc(void* block, std::size_t size) {
  gGrowthSizes.push_back(size);
  return gRefuseGrowth ? nullptr : std::realloc(block, size);
}

class FactoryCore : public ::testing::Test {
 protected:
  void SetUp() override {
    gGrowthSizes.clear();
    gRefuseGrowth = false;
    CPluginFactory::reallocateEntries = &recordingRealloc;
    factory_ = new CPluginFactory(PFactoryInfo{});
  }
  void TearDown() override {
    factory_->release();
    CPluginFactory::reallocateEntries = &std::realloc;
  }
  void expectClassesIntact(int32 count) {
    ASSERT_EQ(factory_->countClasses(), count);
    for (int32 i = 0; i < count; ++i) {
      PClassInfo info;
      ASSERT_EQ(factory_->getClassInfo(i, &info), kResultOk);
      EXPECT_TRUE(classId(i).matches(info.cid)) << i;
      EXPECT_EQ(info.cardinality, i);
    }
  }
  CPluginFactory* factory_ = nullptr;
};

}  // namespace

TEST_F(FactoryCore, EntriesGrowTenAtATimeAndSurviveEachGrowth) {
  for (int32 i = 0; i < 21; ++i) {
    PClassInfo info = basicInfo(i);
    ASSERT_TRUE(factory_->registerClass(&info, &createNothing, nullptr));
  }
  const std::size_t entry = sizeof(FactoryEntry);
  EXPECT_EQ(gGrowthSizes, (std::vector<std::size_t>{10 * entry, 20 * entry, 30 * entry}));
  EXPECT_EQ(factory_->entryCapacity(), 30);
  expectClassesIntact(21);
}

TEST_F(FactoryCore, FailedGrowthRefusesTheClassAndKeepsTheOthers) {
  for (int32 i = 0; i < 10; ++i) {
    PClassInfo info = basicInfo(i);
    ASSERT_TRUE(factory_->registerClass(&info, &createNothing, nullptr));
  }
  gRefuseGrowth = true;
  PClassInfo eleventh = basicInfo(10);
  EXPECT_FALSE(factory_->registerClass(&eleventh, &createNothing, nullptr));
  EXPECT_EQ(factory_->entryCapacity(), 10);
  expectClassesIntact(10);

  gRefuseGrowth = false;
  EXPECT_TRUE(factory_->registerClass(&eleventh, &createNothing, nullptr));
  expectClassesIntact(11);
}

TEST_F(FactoryCore, RefusesNullRecordsAndCreateFunctions) {
  PClassInfo info = basicInfo(0);
  PClassInfo2 extended{};
  EXPECT_FALSE(
      factory_->registerClass(static_cast<const PClassInfo*>(nullptr), &createNothing, nullptr));
  EXPECT_FALSE(
      factory_->registerClass(static_cast<const PClassInfo2*>(nullptr), &createNothing, nullptr));
  EXPECT_FALSE(factory_->registerClass(&info, nullptr, nullptr));
  EXPECT_FALSE(factory_->registerClass(&extended, nullptr, nullptr));
  EXPECT_EQ(factory_->countClasses(), 0);
}

TEST_F(FactoryCore, FullWidthTextIsWidenedWithoutReadingPastTheField) {
  PClassInfo2 info{};
  std::memset(info.name, 'n', sizeof(info.name));
  std::memset(info.vendor, 'v', sizeof(info.vendor));
  std::memset(info.version, '1', sizeof(info.version));
  std::memset(info.sdkVersion, '2', sizeof(info.sdkVersion));
  ASSERT_TRUE(factory_->registerClass(&info, &createNothing, nullptr));
  PClassInfoW wide;
  ASSERT_EQ(factory_->getClassInfoUnicode(0, &wide), kResultOk);
  for (const char16* field : {wide.name, wide.vendor, wide.version, wide.sdkVersion}) {
    EXPECT_EQ(field[62], field[0]);
    EXPECT_NE(field[0], 0);
    EXPECT_EQ(field[63], 0) << "cut to the field, terminated";
  }
  EXPECT_EQ(wide.name[0], u'n');
  EXPECT_EQ(wide.sdkVersion[0], u'2');
}

TEST_F(FactoryCore, CreatedObjectsCarryOnlyTheQueriedReference) {
  const FUID cid = classId(7);
  PClassInfo info{};
  cid.copyTo(info.cid);
  ASSERT_TRUE(factory_->registerClass(&info, &createCounted, nullptr));

  void* object = nullptr;
  ASSERT_EQ(factory_->createInstance(cid.bytes(), FUnknown::iid.bytes(), &object), kResultOk);
  auto* created = static_cast<Counted*>(object);
  EXPECT_EQ(created->count.load(), 1u);
  EXPECT_EQ(created->release(), 0u);
  EXPECT_EQ(Counted::alive, 0);

  object = &object;
  EXPECT_EQ(factory_->createInstance(cid.bytes(), IPluginFactory::iid.bytes(), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Counted::alive, 0) << "an object that refused the query is destroyed again";
}

TEST_F(FactoryCore, FirstRegisteredMatchCreatesWithItsContext) {
  bool firstCalled = false;
  bool secondCalled = false;
  PClassInfo info = basicInfo(3);
  ASSERT_TRUE(factory_->registerClass(&info, &createMarked, &firstCalled));
  ASSERT_TRUE(factory_->registerClass(&info, &createMarked, &secondCalled));
  void* object = &object;
  EXPECT_EQ(factory_->createInstance(classId(3).bytes(), FUnknown::iid.bytes(), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr) << "a create function that answers null";
  EXPECT_TRUE(firstCalled);
  EXPECT_FALSE(secondCalled);
}

TEST(ModuleFactory, DestructionClearsOnlyItsOwnModulePointer) {
  IPluginFactory* shared = acquirePluginFactory();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(static_cast<IPluginFactory*>(gPluginFactory), shared);

  auto* other = new CPluginFactory(PFactoryInfo{});
  other->release();
  EXPECT_EQ(static_cast<IPluginFactory*>(gPluginFactory), shared);

  EXPECT_EQ(acquirePluginFactory(), shared);
  EXPECT_EQ(shared->release(), 1u);
  EXPECT_EQ(shared->release(), 0u);
  EXPECT_EQ(gPluginFactory, nullptr);
}
