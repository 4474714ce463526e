#include "sim/host/project/DependencyRegistry.h"

#include <new>

namespace QentSim {

using namespace Brennholt;
using Hox::IDependent;

namespace {

// The identity of an object the module hands over: what it answers for FUnknown.
const FUnknown* identityOf(FUnknown* object) noexcept {
  void* answer = nullptr;
  if (object->queryInterface(FUnknown::iid.bytes(), &answer) != kResultOk || answer == nullptr) {
    return nullptr;
  }
  auto* unknown = static_cast<FUnknown*>(answer);
  unknown->release();
  return unknown;
}

}  // namespace

void DependencyRegistry::enter(TreeItem* item) { live_.emplace(item->itemIdentity(), item); }

void DependencyRegistry::leave(TreeItem* item) noexcept {
  const FUnknown* identity = item->itemIdentity();
  live_.erase(identity);
  for (Registration& r : registrations_) {
    if (r.identity == identity) r.orphaned = true;
  }
}

TreeItem* DependencyRegistry::find(const FUnknown* identity) const noexcept {
  auto found = live_.find(identity);
  return found == live_.end() ? nullptr : found->second;
}

tresult DependencyRegistry::add(FUnknown* object, IDependent* dependent) noexcept {
  if (object == nullptr || dependent == nullptr) return kInvalidArgument;
  const FUnknown* identity = identityOf(object);
  if (identity == nullptr || find(identity) == nullptr) return kInvalidArgument;
  try {
    registrations_.push_back({nextId_++, identity, object, dependent, false});
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult DependencyRegistry::remove(FUnknown* object, IDependent* dependent) noexcept {
  if (object == nullptr || dependent == nullptr) return kInvalidArgument;
  auto match = [&](auto same) {
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
      if (it->dependent == dependent && same(*it)) {
        registrations_.erase(it);
        return true;
      }
    }
    return false;
  };
  // Usually the module passes the pointer it registered with; another interface of the same
  // object is found by identity (the object is still held while its watch is removed).
  if (match([object](const Registration& r) { return r.passed == object; })) return kResultOk;
  const FUnknown* identity = identityOf(object);
  if (identity != nullptr &&
      match([identity](const Registration& r) { return r.identity == identity; })) {
    return kResultOk;
  }
  return kResultFalse;
}

void DependencyRegistry::notify(TreeItem* item, int32 message) noexcept {
  const FUnknown* identity = item->itemIdentity();
  for (const Registration& r : registrations_) {
    if (r.identity != identity || r.orphaned) continue;
    try {
      queue_.push_back({r.id, message});
    } catch (const std::bad_alloc&) {
      ++lost_;
    }
  }
}

const DependencyRegistry::Registration* DependencyRegistry::registration(std::uint64_t id) const {
  for (const Registration& r : registrations_) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

int DependencyRegistry::deliver() {
  if (delivering_) return 0;
  delivering_ = true;
  int delivered = 0;
  while (!queue_.empty()) {
    const Notice notice = queue_.front();
    queue_.pop_front();
    const Registration* r = registration(notice.registration);
    if (r == nullptr || r->orphaned) continue;  // removed meanwhile, or its object is gone
    if (delivered == kMaxCascade) {
      lost_ += static_cast<int>(queue_.size()) + 1;
      queue_.clear();
      break;
    }
    // Copies: the update may remove this or any other registration.
    FUnknown* passed = r->passed;
    IDependent* dependent = r->dependent;
    ++delivered;
    dependent->update(passed, notice.message);
  }
  delivering_ = false;
  return delivered;
}

std::int64_t DependencyRegistry::outsideReferences() const {
  std::int64_t total = 0;
  std::vector<TreeItem*> held;
  for (const auto& [identity, item] : live_) {
    total += item->itemReferences();
    item->heldItems(&held);
  }
  for (TreeItem* item : held) {
    if (find(item->itemIdentity()) != nullptr) --total;
  }
  return total;
}

}  // namespace QentSim
