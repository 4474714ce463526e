#include "finder/HostAttributeList.h"

#include <cstring>
#include <new>

namespace Brennholt::Hox {

tresult HostAttributeList::store(AttrID id, Value&& value) noexcept {
  try {
    values_[id] = std::move(value);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

const HostAttributeList::Value* HostAttributeList::find(AttrID id, Type type) const {
  auto it = values_.find(id);
  if (it == values_.end() || it->second.type != type) return nullptr;
  return &it->second;
}

tresult HostAttributeList::setIntValue(AttrID id, int64 value) noexcept {
  if (!id) return kInvalidArgument;
  Value v;
  v.type = Type::kInteger;
  v.integer = value;
  return store(id, std::move(v));
}

tresult HostAttributeList::getIntValue(AttrID id, int64* value) noexcept {
  if (!id || !value) return kInvalidArgument;
  try {
    const Value* v = find(id, Type::kInteger);
    if (!v) return kResultFalse;
    *value = v->integer;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult HostAttributeList::setFloatValue(AttrID id, double value) noexcept {
  if (!id) return kInvalidArgument;
  Value v;
  v.type = Type::kFloat;
  v.number = value;
  return store(id, std::move(v));
}

tresult HostAttributeList::getFloatValue(AttrID id, double* value) noexcept {
  if (!id || !value) return kInvalidArgument;
  try {
    const Value* v = find(id, Type::kFloat);
    if (!v) return kResultFalse;
    *value = v->number;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult HostAttributeList::setTextValue(AttrID id, const char16* text) noexcept {
  if (!id || !text) return kInvalidArgument;
  try {
    Value v;
    v.type = Type::kText;
    v.text = text;
    v.text.push_back(u'\0');
    v.size = static_cast<uint32>(v.text.size());
    return store(id, std::move(v));
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

tresult HostAttributeList::getTextValue(AttrID id, char16* buffer, uint32 sizeInBytes) noexcept {
  if (!id || (!buffer && sizeInBytes > 0)) return kInvalidArgument;
  try {
    const Value* v = find(id, Type::kText);
    if (!v) return kResultFalse;
    // The caller's size wins: a short buffer gets a cut copy with no terminator added.
    size_t stored = v->text.size() * sizeof(char16);
    size_t n = stored < sizeInBytes ? stored : sizeInBytes;
    if (n > 0) std::memcpy(buffer, v->text.data(), n);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult HostAttributeList::setBinaryValue(AttrID id, const void* data, uint32 size) noexcept {
  if (!id || (!data && size > 0)) return kInvalidArgument;
  try {
    Value v;
    v.type = Type::kBinary;
    v.size = size;
    const uint8* bytes = static_cast<const uint8*>(data);
    if (size > 0) v.bytes.assign(bytes, bytes + size);
    return store(id, std::move(v));
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

tresult HostAttributeList::getBinaryValue(AttrID id, const void** data, uint32* size) noexcept {
  if (!id || !data || !size) return kInvalidArgument;
  try {
    const Value* v = find(id, Type::kBinary);
    if (!v) {
      *size = 0;
      return kResultFalse;
    }
    *data = v->bytes.data();
    *size = v->size;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

}  // namespace Brennholt::Hox
