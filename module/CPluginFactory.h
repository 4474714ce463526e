// The module's class factory: tells the host which classes the module offers and creates them.
//
// Every operation runs on the host's thread; only the reference count (TRefCounted) is changed
// atomically, because objects the factory hands out may release it from elsewhere.
#pragma once

#include <cstddef>

#include "base/TRefCounted.h"
#include "sdk/IPluginFactory.h"

namespace Brennholt {

// Creates a new object of one class and hands over its creation reference; null on failure.
// `context` is the pointer given at registration. [host thread]
using CreateFunction = FUnknown* (*)(void* context);

// One registered class. The wide record is derived from the extended one at registration so
// that the wide query only copies.
struct FactoryEntry {
  PClassInfo2 info;
  PClassInfoW infoW;
  CreateFunction create;
  void* context;
  bool wideOnly;
};

// One object, one vtable: FUnknown and the three factory interfaces answer it at offset 0.
class CPluginFactory final
    : public TRefCounted<TExtending<IPluginFactory3, IPluginFactory2, IPluginFactory>> {
 public:
  // Starts with one reference, owned by the caller, and no classes.
  explicit CPluginFactory(const PFactoryInfo& info) noexcept;

  // Copies the factory information; a null record is ignored. [host thread]
  tresult getFactoryInfo(PFactoryInfo* info) noexcept override;
  // Number of registered classes. [host thread]
  int32 countClasses() noexcept override;
  // Copies the basic part of class `index`; kInvalidArgument for a bad index or null record,
  // kResultFalse and a zeroed record for a wide-only class. [host thread]
  tresult getClassInfo(int32 index, PClassInfo* info) noexcept override;
  // Creates class `cid` and stores it as `iid`; the caller owns exactly that one reference.
  // No such class, no object or no such interface: null and kNoInterface. [host thread]
  tresult createInstance(FIDString cid, FIDString iid, void** object) noexcept override;
  // As getClassInfo, copying the extended record. [host thread]
  tresult getClassInfo2(int32 index, PClassInfo2* info) noexcept override;
  // Copies the wide record of class `index`; kInvalidArgument for a bad index or null record.
  // [host thread]
  tresult getClassInfoUnicode(int32 index, PClassInfoW* info) noexcept override;
  // Accepts the host context without keeping a reference. [host thread]
  tresult setHostContext(FUnknown* context) noexcept override;

  // Registers a class given in extended form. False for a null record or create function, or
  // when the entry array cannot grow; the factory is then unchanged. [host thread]
  bool registerClass(const PClassInfo2* info, CreateFunction create, void* context) noexcept;
  // Registers a class given in basic form, widened to the extended form with zeroed extra
  // fields. Fails as the extended form does. [host thread]
  bool registerClass(const PClassInfo* info, CreateFunction create, void* context) noexcept;

  // The entry array grows by this many entries whenever it is full.
  static constexpr int32 kGrowBy = 10;
  // How the entry array is (re)allocated as one block; realloc semantics, a failure returns
  // null and leaves the old block alone. A seam so that tests can refuse growth.
  using Reallocate = void* (*)(void* block, std::size_t size);
  static Reallocate reallocateEntries;

  // Number of entries the array holds room for.
  int32 entryCapacity() const noexcept { return entryCapacity_; }

 private:
  ~CPluginFactory() override;  // only release() destroys
  bool addEntry(const FactoryEntry& entry) noexcept;
  const FactoryEntry* entryAt(int32 index) const noexcept;

  PFactoryInfo factoryInfo_;
  FactoryEntry* entries_ = nullptr;
  int32 entryCount_ = 0;
  int32 entryCapacity_ = 0;
};

// The module's single factory while one exists; set by GetPluginFactory, cleared when that
// factory is destroyed so that the next GetPluginFactory builds a new one. [host thread]
extern CPluginFactory* gPluginFactory;

// Copies text into a fixed 8-bit field: cut to the field (keeping a terminator), rest zeroed.
void copyTextField(char* field, std::size_t size, const char* text) noexcept;

// Converts 8-bit module text into a fixed 16-bit field: cut to the field (keeping a
// terminator), rest zeroed.
void widenTextField(char16* field, std::size_t units, const char* text) noexcept;

}  // namespace Brennholt
