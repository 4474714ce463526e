// The container family through its interface: arrays, linked lists, iterators and the value
// list that owns its entries.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/PValueList.h"
#include "base/TArray.h"
#include "base/TLinkedList.h"

using namespace Brennholt;

namespace {

template <class C>
class Containers : public ::testing::Test {};
using Kinds = ::testing::Types<TArray<uint32>, TLinkedList<uint32>>;
TYPED_TEST_SUITE(Containers, Kinds);

std::vector<uint32> contents(const TContainer<uint32>& container) {
  std::vector<uint32> values;
  std::unique_ptr<TIterator<uint32>> iterator(container.newIterator());
  while (!iterator->done()) values.push_back(*iterator->next());
  return values;
}

template <class C>
void fill(C& container, std::initializer_list<uint32> values) {
  for (uint32 value : values) ASSERT_TRUE(container.add(value));
}

TYPED_TEST(Containers, AddKeepsOrderBeyondTheGrowthStep) {
  TypeParam container;
  std::vector<uint32> expected;
  for (uint32 i = 0; i < 25; ++i) {
    ASSERT_TRUE(container.add(i * 3));
    expected.push_back(i * 3);
  }
  EXPECT_EQ(container.count(), 25);
  EXPECT_EQ(container.total(), 25);
  EXPECT_EQ(contents(container), expected);
  EXPECT_EQ(*container.at(24), 72u);
}

TYPED_TEST(Containers, RemoveAtOutOfRangeChangesNothing) {
  TypeParam container;
  fill(container, {1, 2, 3});
  EXPECT_FALSE(container.removeAt(-1));
  EXPECT_FALSE(container.removeAt(3));
  EXPECT_EQ(contents(container), (std::vector<uint32>{1, 2, 3}));
  EXPECT_TRUE(container.removeAt(1));
  EXPECT_EQ(contents(container), (std::vector<uint32>{1, 3}));
  EXPECT_TRUE(container.removeAt(1));  // the last one: the list's tail moves
  ASSERT_TRUE(container.add(9));
  EXPECT_EQ(contents(container), (std::vector<uint32>{1, 9}));
}

TYPED_TEST(Containers, OutOfRangeAnswersAZeroElementThatStaysZero) {
  TypeParam container;
  fill(container, {5});
  uint32* none = container.at(1);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(*none, 0u);
  *none = 77;  // a careless caller
  EXPECT_EQ(*container.at(-4), 0u);
  EXPECT_EQ(*container.lookup(6), 0u);
  EXPECT_EQ(contents(container), (std::vector<uint32>{5}));
}

TYPED_TEST(Containers, EqualityQueries) {
  TypeParam container;
  fill(container, {4, 7, 4, 9});
  EXPECT_TRUE(container.contains(7));
  EXPECT_FALSE(container.contains(8));
  EXPECT_EQ(container.occurrences(4), 2);
  EXPECT_EQ(container.lookup(9), container.at(3));
  EXPECT_TRUE(container.remove(4));  // the first of them
  EXPECT_EQ(contents(container), (std::vector<uint32>{7, 4, 9}));
  EXPECT_FALSE(container.remove(8));
}

TYPED_TEST(Containers, RemoveAllAddAllAndNewInstance) {
  TypeParam container;
  fill(container, {1, 2});
  ASSERT_TRUE(container.addAll(container));  // onto itself: no endless loop
  EXPECT_EQ(contents(container), (std::vector<uint32>{1, 2, 1, 2}));
  std::unique_ptr<TContainer<uint32>> other(container.newInstance());
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->isEmpty());
  ASSERT_TRUE(other->addAll(container));
  container.removeAll();
  EXPECT_TRUE(container.isEmpty());
  EXPECT_EQ(contents(*other).size(), 4u);
  ASSERT_TRUE(container.add(3));
  EXPECT_EQ(contents(container), (std::vector<uint32>{3}));
}

TYPED_TEST(Containers, IteratorWalksBothWays) {
  TypeParam container;
  std::unique_ptr<TIterator<uint32>> empty(container.newIterator());
  EXPECT_TRUE(empty->done());
  EXPECT_EQ(empty->next(), nullptr);
  EXPECT_EQ(empty->previous(), nullptr);

  fill(container, {10, 20, 30});
  std::unique_ptr<TIterator<uint32>> iterator(container.newIterator());
  EXPECT_EQ(*iterator->next(), 10u);
  EXPECT_EQ(*iterator->next(), 20u);
  EXPECT_EQ(*iterator->previous(), 20u);
  EXPECT_EQ(*iterator->previous(), 10u);
  EXPECT_EQ(iterator->previous(), nullptr);
  iterator->last();
  EXPECT_TRUE(iterator->done());
  EXPECT_EQ(*iterator->previous(), 30u);
  EXPECT_FALSE(iterator->done());
  iterator->first();
  EXPECT_EQ(*iterator->next(), 10u);
}

TEST(TArray, KeepsItsBufferAndFindsIndices) {
  TArray<uint8*> array;
  uint8 a = 0;
  uint8 b = 0;
  array.add(&a);
  array.add(&b);
  EXPECT_EQ(array.indexOf(&b), 1);
  EXPECT_EQ(array.indexOf(nullptr), -1);
  EXPECT_EQ(array.insertPosition(&a), 2);
  int32 capacity = array.capacity();
  EXPECT_EQ(capacity, 10);
  array.removeAll();
  EXPECT_EQ(array.capacity(), capacity);
}

TEST(TArray, NewInstanceGrowsByTenWhateverTheOriginalDoes) {
  TArray<uint32> array(3);
  ASSERT_TRUE(array.add(1));
  EXPECT_EQ(array.capacity(), 3);
  std::unique_ptr<TContainer<uint32>> fresh(array.newInstance());
  auto* other = dynamic_cast<TArray<uint32>*>(fresh.get());
  ASSERT_NE(other, nullptr) << "an array again";
  EXPECT_EQ(other->growthStep(), 10);
  ASSERT_TRUE(other->add(1));
  EXPECT_EQ(other->capacity(), 10);
}

// A reference-counted value that records its releases.
class Value : public FUnknown {
 public:
  explicit Value(int* released) : released_(released) {}
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return ++count_; }
  uint32 release() noexcept override {
    ++*released_;
    return --count_;
  }
  uint32 count_ = 1;

 private:
  int* released_;
};

TEST(PValueList, DestroyingTheListReleasesEachValueOnce) {
  int released[3] = {};
  Value a(&released[0]), b(&released[1]), c(&released[2]);
  {
    PValueList list;
    list.add(new PValueEntry(&a, "volume"));
    list.add(new PValueEntry(&b, "pan"));
    list.add(new PValueEntry(&c, "mute"));
    std::unique_ptr<TIterator<PValueEntry*>> iterator(list.newIterator());
    EXPECT_STREQ((*iterator->next())->name().text8(), "volume");
  }
  EXPECT_EQ(released[0], 1);
  EXPECT_EQ(released[1], 1);
  EXPECT_EQ(released[2], 1);
  EXPECT_EQ(a.count_ + b.count_ + c.count_, 0u);
}

TEST(PValueList, RemovingAnEntryDestroysItAndEntriesAreNeverShared) {
  int released = 0;
  Value a(&released), b(&released);
  PValueList list;
  list.add(new PValueEntry(&a, "a"));
  list.add(new PValueEntry(&b, "b"));
  EXPECT_TRUE(list.removeAt(0));
  EXPECT_EQ(released, 1);
  PValueList other;
  EXPECT_FALSE(other.addAll(list));
  EXPECT_TRUE(other.isEmpty());
  list.removeAll();
  EXPECT_EQ(released, 2);
}

}  // namespace
