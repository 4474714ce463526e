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
  virtual int32 first() noexcept = 0;

 protected:
  ~IFirst() = default;
};

class ISecond : public FUnknown {
 public:
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

}  // namespace
}  // namespace Brennholt
