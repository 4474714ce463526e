#include "module/CPluginFactory.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Platform.h"

namespace Brennholt {

CPluginFactory* gPluginFactory = nullptr;

CPluginFactory::Reallocate CPluginFactory::reallocateEntries = &std::realloc;

void copyTextField(char* field, std::size_t size, const char* text) noexcept {
  std::memset(field, 0, size);
  if (text == nullptr || size == 0) return;
  std::size_t length = strnlen(text, size - 1);
  std::memcpy(field, text, length);
}

void widenTextField(char16* field, std::size_t units, const char* text) noexcept {
  std::memset(field, 0, units * sizeof(char16));
  if (text == nullptr || units == 0) return;
  // Every 16-bit unit takes at least one byte and at most four, so longer text cannot fit.
  auto length = static_cast<int32>(strnlen(text, units * 4));
  // Shorten until the text fits beside the terminator; a cut through a multi-byte character
  // fails the conversion and simply shortens once more.
  for (; length > 0; --length) {
    int32 needed = Platform::multiByteToWide(0, text, length, nullptr, 0);
    if (needed > 0 && static_cast<std::size_t>(needed) < units) {
      Platform::multiByteToWide(0, text, length, field, needed);
      return;
    }
  }
}

CPluginFactory::CPluginFactory(const PFactoryInfo& info) noexcept : factoryInfo_(info) {}

CPluginFactory::~CPluginFactory() {
  std::free(entries_);
  if (gPluginFactory == this) gPluginFactory = nullptr;
}

tresult CPluginFactory::getFactoryInfo(PFactoryInfo* info) noexcept {
  if (info != nullptr) *info = factoryInfo_;
  return kResultOk;
}

int32 CPluginFactory::countClasses() noexcept { return entryCount_; }

const FactoryEntry* CPluginFactory::entryAt(int32 index) const noexcept {
  return index >= 0 && index < entryCount_ ? &entries_[index] : nullptr;
}

tresult CPluginFactory::getClassInfo(int32 index, PClassInfo* info) noexcept {
  const FactoryEntry* entry = entryAt(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  if (entry->wideOnly) {
    std::memset(info, 0, sizeof(*info));
    return kResultFalse;
  }
  // The basic record is the leading part of the extended one.
  std::memcpy(info, &entry->info, sizeof(*info));
  return kResultOk;
}

tresult CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info) noexcept {
  const FactoryEntry* entry = entryAt(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  if (entry->wideOnly) {
    std::memset(info, 0, sizeof(*info));
    return kResultFalse;
  }
  *info = entry->info;
  return kResultOk;
}

tresult CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) noexcept {
  const FactoryEntry* entry = entryAt(index);
  if (entry == nullptr || info == nullptr) return kInvalidArgument;
  *info = entry->infoW;
  return kResultOk;
}

tresult CPluginFactory::createInstance(FIDString cid, FIDString iid, void** object) noexcept {
  if (object == nullptr) return kInvalidArgument;
  *object = nullptr;
  for (int32 i = 0; i < entryCount_; ++i) {
    const FactoryEntry& entry = entries_[i];
    if (!FUID::fromTUID(entry.info.cid).matches(cid)) continue;
    FUnknown* created = entry.create(entry.context);
    if (created == nullptr) return kNoInterface;
    // The caller keeps only the reference from the query; a failed query destroys the object.
    tresult result = created->queryInterface(iid, object);
    created->release();
    if (result != kResultOk) {
      *object = nullptr;
      return kNoInterface;
    }
    return kResultOk;
  }
  return kNoInterface;
}

tresult CPluginFactory::setHostContext(FUnknown* /*context*/) noexcept { return kResultOk; }

bool CPluginFactory::addEntry(const FactoryEntry& entry) noexcept {
  if (entryCount_ == entryCapacity_) {
    int32 capacity = entryCapacity_ + kGrowBy;
    void* grown =
        reallocateEntries(entries_, static_cast<std::size_t>(capacity) * sizeof(FactoryEntry));
    if (grown == nullptr) return false;  // the old block is still ours and unchanged
    entries_ = static_cast<FactoryEntry*>(grown);
    entryCapacity_ = capacity;
  }
  entries_[entryCount_++] = entry;
  return true;
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction create,
                                   void* context) noexcept {
  if (info == nullptr || create == nullptr) return false;
  FactoryEntry entry{};
  entry.info = *info;
  PClassInfoW& wide = entry.infoW;
  std::memcpy(wide.cid, info->cid, sizeof(wide.cid));
  wide.cardinality = info->cardinality;
  std::memcpy(wide.category, info->category, sizeof(wide.category));
  wide.classFlags = info->classFlags;
  std::memcpy(wide.subCategories, info->subCategories, sizeof(wide.subCategories));
  // The extended fields may be full to the last byte; never read past them.
  static_assert(PClassInfo2::kNameSize == PClassInfo2::kVendorSize &&
                PClassInfo2::kNameSize == PClassInfo2::kVersionSize);
  char text[PClassInfo2::kNameSize + 1];
  auto widen = [&text](char16* field, std::size_t units, const char* source, std::size_t size) {
    std::memcpy(text, source, size);
    text[size] = '\0';
    widenTextField(field, units, text);
  };
  widen(wide.name, PClassInfoW::kNameSize, info->name, sizeof(info->name));
  widen(wide.vendor, PClassInfoW::kVendorSize, info->vendor, sizeof(info->vendor));
  widen(wide.version, PClassInfoW::kVersionSize, info->version, sizeof(info->version));
  widen(wide.sdkVersion, PClassInfoW::kVersionSize, info->sdkVersion, sizeof(info->sdkVersion));
  entry.create = create;
  entry.context = context;
  entry.wideOnly = false;
  return addEntry(entry);
}

bool CPluginFactory::registerClass(const PClassInfo* info, CreateFunction create,
                                   void* context) noexcept {
  if (info == nullptr) return false;
  PClassInfo2 extended;
  std::memset(&extended, 0, sizeof(extended));
  std::memcpy(&extended, info, sizeof(*info));
  return registerClass(&extended, create, context);
}

}  // namespace Brennholt
