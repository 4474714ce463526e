#include "extsetup/PValueContainer.h"

#include <cstring>
#include <new>

namespace Brennholt {

namespace {

// Every entry's value was made as an IGuiValue (add), so the cast back is exact.
Hox::IGuiValue* guiValue(const PValueEntry* entry) {
  return entry ? static_cast<Hox::IGuiValue*>(entry->value()) : nullptr;
}

}  // namespace

PValueContainer::PValueContainer(FUnknown* host, Hox::IPlugController* owner)
    : classes_(queryInterface<Hox::IHostClasses>(host)), owner_(owner) {}

PValueContainer::~PValueContainer() {
  for (auto* node = values_.nodeAt(0); node; node = node->next) {
    if (Hox::IGuiValue* value = guiValue(node->element)) value->setOwner(nullptr, value->getTag());
  }
  values_.removeAll();
}

Hox::IGuiValue* PValueContainer::add(const FUID& valueClass, int32 tag, const char8* name) {
  if (!classes_ || !name) return nullptr;
  void* made = nullptr;
  const tresult result =
      classes_->createInstance(valueClass.bytes(), Hox::IGuiValue::iid.bytes(), &made);
  auto* value = static_cast<Hox::IGuiValue*>(made);
  if (result != kResultOk || !value) {
    if (value) value->release();
    return nullptr;
  }
  // The entry owns the one reference from here on; deleting it releases the value.
  auto* entry = new (std::nothrow) PValueEntry(value, name);
  if (!entry) {
    value->release();
    return nullptr;
  }
  if (!values_.add(entry)) {
    delete entry;
    return nullptr;
  }
  value->setOwner(owner_, tag);
  return value;
}

Hox::IGuiValue* PValueContainer::findByTag(int32 tag) const {
  for (auto* node = values_.nodeAt(0); node; node = node->next) {
    Hox::IGuiValue* value = guiValue(node->element);
    if (value && value->getTag() == tag) return value;
  }
  return nullptr;
}

Hox::IGuiValue* PValueContainer::findByName(const char8* name) const {
  if (!name) return nullptr;
  for (auto* node = values_.nodeAt(0); node; node = node->next) {
    const PValueEntry* entry = node->element;
    if (entry && std::strcmp(entry->name().text8(), name) == 0) return guiValue(entry);
  }
  return nullptr;
}

}  // namespace Brennholt
