// The objects of the host's tree as the module meets them: which are alive, the dependents the
// module registered on them, and the change and going-away notices waiting for delivery.
//
// Notices are queued when something changes and delivered only when the host calls deliver,
// which it does at its safe points: at the top of its own stack, never from inside a call into
// the module. A dependent that the module removes before its notice is delivered is not told.
// Host thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "sdk/host/HostObjects.h"

namespace QentSim {

// One object or value of the tree, as the registry knows it.
class TreeItem {
 public:
  // What queryInterface answers for FUnknown. [host thread]
  virtual Brennholt::FUnknown* itemIdentity() noexcept = 0;
  // References held right now. [host thread]
  virtual Brennholt::uint32 itemReferences() const noexcept = 0;
  // Appends each tree item this one holds a reference to, once per reference. [host thread]
  virtual void heldItems(std::vector<TreeItem*>* out) const = 0;

 protected:
  ~TreeItem() = default;
};

class DependencyRegistry {
 public:
  // A cascade of notices longer than this is cut off: a module that keeps answering its own
  // notices with changes must not hang the host.
  static constexpr int kMaxCascade = 10000;

  DependencyRegistry() = default;
  DependencyRegistry(const DependencyRegistry&) = delete;
  DependencyRegistry& operator=(const DependencyRegistry&) = delete;

  // An item enters when it is made (may throw std::bad_alloc) and leaves when it is destroyed.
  // Dependents still registered on an item that left stay counted, but are never told again.
  void enter(TreeItem* item);
  void leave(TreeItem* item) noexcept;
  // The live item whose identity is `identity`, or null.
  TreeItem* find(const Brennholt::FUnknown* identity) const noexcept;

  // IDependencyService: kInvalidArgument for a null argument or an object that is not a live
  // item of the tree; kOutOfMemory when the registration cannot be stored.
  Brennholt::tresult add(Brennholt::FUnknown* object,
                         Brennholt::Hox::IDependent* dependent) noexcept;
  // 1 when that dependent is not registered on that object.
  Brennholt::tresult remove(Brennholt::FUnknown* object,
                            Brennholt::Hox::IDependent* dependent) noexcept;

  // Queues `message` (IDependent::kChanged or kGoingAway) for every dependent of the item.
  void notify(TreeItem* item, Brennholt::int32 message) noexcept;
  // Delivers the queued notices in order, and those the deliveries cause, until none is left.
  // Never call it from inside a call into the module. Returns how many were delivered.
  int deliver();
  bool hasPending() const { return !queue_.empty(); }

  // Registrations the module has made and not removed.
  int dependentCount() const { return static_cast<int>(registrations_.size()); }
  // References to live items held by anyone but the live items themselves: the module's, plus
  // the host's own handles on its roots, which the caller subtracts.
  std::int64_t outsideReferences() const;
  // Notices dropped: no memory to queue them, or a cascade cut off.
  int lostNotices() const { return lost_; }

 private:
  struct Registration {
    std::uint64_t id = 0;
    const Brennholt::FUnknown* identity = nullptr;
    Brennholt::FUnknown* passed = nullptr;  // handed back to update as the module gave it
    Brennholt::Hox::IDependent* dependent = nullptr;
    bool orphaned = false;  // the object is gone
  };
  struct Notice {
    std::uint64_t registration = 0;
    Brennholt::int32 message = 0;
  };

  const Registration* registration(std::uint64_t id) const;

  std::unordered_map<const Brennholt::FUnknown*, TreeItem*> live_;
  std::vector<Registration> registrations_;
  std::deque<Notice> queue_;
  std::uint64_t nextId_ = 1;
  bool delivering_ = false;
  int lost_ = 0;
};

}  // namespace QentSim
