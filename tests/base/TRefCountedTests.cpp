// The shared reference count: one count behind every interface of an object, and the object
// destroyed once, by whichever release is the last, also while threads share it.
#include "base/TRefCounted.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace Brennholt {
namespace {

class IFirst : public FUnknown {
 public:
  static constexpr FUID iid = FUID::fromMemoryHex("01000000000000000000000000000001");
  virtual int32 first() noexcept = 0;

 protected:
  ~IFirst() = default;
};

class ISecond : public FUnknown {
 public:
  static constexpr FUID iid = FUID::fromMemoryHex("02000000000000000000000000000002");
  virtual int32 second() noexcept = 0;

 protected:
  ~ISecond() = default;
};

// Counts its destruction; the destructor is private, as in the counted classes of the module.
class Probe final : public TRefCounted<IFirst, ISecond> {
 public:
  explicit Probe(std::atomic<int>& destroyed) : destroyed_(destroyed) {}
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  int32 first() noexcept override { return 1; }
  int32 second() noexcept override { return 2; }

 private:
  ~Probe() override { ++destroyed_; }
  std::atomic<int>& destroyed_;
};

// The static analyzer does not follow the atomic count, so it takes every call after a release
// for a use after free.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDelete)
TEST(TRefCounted, EveryInterfaceSharesOneCountAndTheLastReleaseDestroysOnce) {
  std::atomic<int> destroyed{0};
  auto* probe = new Probe(destroyed);
  IFirst* first = probe;
  ISecond* second = probe;
  EXPECT_EQ(first->addRef(), 2u);
  EXPECT_EQ(second->addRef(), 3u);
  EXPECT_EQ(first->release(), 2u);
  EXPECT_EQ(first->first(), 1);
  EXPECT_EQ(second->second(), 2);
  EXPECT_EQ(second->release(), 1u);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(first->release(), 0u);
  EXPECT_EQ(destroyed, 1);
}
// NOLINTEND(clang-analyzer-cplusplus.NewDelete)

TEST(TRefCounted, ThreadsSharingTheObjectLoseNoCountAndTheLastOneDestroysIt) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  std::atomic<int> destroyed{0};
  auto* probe = new Probe(destroyed);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    // Each thread holds one reference of its own and gives it back when done.
    FUnknown* view = t % 2 ? static_cast<FUnknown*>(static_cast<IFirst*>(probe))
                           : static_cast<FUnknown*>(static_cast<ISecond*>(probe));
    view->addRef();
    threads.emplace_back([view, &go] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kRounds; ++i) {
        view->addRef();
        view->release();
      }
      view->release();
    });
  }
  go = true;
  probe->release();  // the creator's reference; a thread may still hold its own
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(destroyed, 1);
}

class IThird : public ISecond {
 public:
  static constexpr FUID iid = FUID::fromMemoryHex("03000000000000000000000000000003");
  virtual int32 third() noexcept = 0;

 protected:
  ~IThird() = default;
};

// The generic query: FUnknown answers the first listed interface, each listed interface its own
// sub-object, and an extending entry also answers what it extends through its own sub-object.
class Listed final : public TRefCounted<IFirst, TExtending<IThird, ISecond>> {
 public:
  int32 first() noexcept override { return 1; }
  int32 second() noexcept override { return 2; }
  int32 third() noexcept override { return 3; }

 private:
  ~Listed() override = default;
};

// NOLINTBEGIN(clang-analyzer-cplusplus.NewDelete): the count, as above.
TEST(TRefCounted, AnswersTheListedInterfacesAndTheOnesTheyExtendAndCountsEachAnswer) {
  auto* listed = new Listed;
  IFirst* const first = listed;
  IThird* const third = listed;
  void* answer = nullptr;
  ASSERT_EQ(first->queryInterface(FUnknown::iid.bytes(), &answer), kResultOk);
  EXPECT_EQ(answer, static_cast<void*>(first));
  ASSERT_EQ(third->queryInterface(IFirst::iid.bytes(), &answer), kResultOk);
  EXPECT_EQ(answer, static_cast<void*>(first));
  ASSERT_EQ(first->queryInterface(IThird::iid.bytes(), &answer), kResultOk);
  EXPECT_EQ(answer, static_cast<void*>(third));
  EXPECT_EQ(static_cast<IThird*>(answer)->third(), 3);
  ASSERT_EQ(first->queryInterface(ISecond::iid.bytes(), &answer), kResultOk);
  EXPECT_EQ(answer, static_cast<void*>(static_cast<ISecond*>(third)));
  EXPECT_EQ(static_cast<ISecond*>(answer)->second(), 2);
  // Four answers, four references besides the creator's.
  EXPECT_EQ(first->release(), 4u);

  answer = first;
  constexpr FUID unknown = FUID::fromMemoryHex("04000000000000000000000000000004");
  EXPECT_EQ(first->queryInterface(unknown.bytes(), &answer), kNoInterface);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(first->queryInterface(IFirst::iid.bytes(), nullptr), kInvalidArgument);
  // A refused query adds none.
  EXPECT_EQ(first->addRef(), 5u);
  while (first->release() > 0) {
  }
}
// NOLINTEND(clang-analyzer-cplusplus.NewDelete)

}  // namespace
}  // namespace Brennholt
