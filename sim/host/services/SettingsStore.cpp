#include "sim/host/services/SettingsStore.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <cstring>

#include "sim/host/kit/NoThrow.h"

namespace QentSim {

using namespace Brennholt;

namespace {

// Section and key names are at most 255 characters.
bool validName(const char8* name) { return name != nullptr && std::strlen(name) <= 255; }

}  // namespace

SettingsData* SettingsStore::data() const {
  HostState* s = connection_ ? connection_->state : nullptr;
  return s ? &s->setup.settings : nullptr;
}

tresult SettingsStore::getInteger(const char8* section, const char8* key, int32* value) noexcept {
  SettingsData* d = data();
  if (d == nullptr) return kResultFalse;
  if (!validName(section) || !validName(key) || value == nullptr) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    const SettingsData::Value* found = d->find(section, key);
    const auto* number = found ? std::get_if<std::int32_t>(found) : nullptr;
    if (number == nullptr) return kResultFalse;
    *value = *number;
    return kResultOk;
  });
}

tresult SettingsStore::setInteger(const char8* section, const char8* key, int32 value) noexcept {
  SettingsData* d = data();
  if (d == nullptr) return kResultFalse;
  if (!validName(section) || !validName(key)) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    return d->set(section, key, value) ? kResultOk : kResultFalse;
  });
}

tresult SettingsStore::getString(const char8* section, const char8* key, char8* text,
                                 int32 capacity, int32* length) noexcept {
  SettingsData* d = data();
  if (d == nullptr) return kResultFalse;
  if (!validName(section) || !validName(key) || length == nullptr || capacity < 0 ||
      (text == nullptr && capacity > 0))
    return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    const SettingsData::Value* found = d->find(section, key);
    const auto* stored = found ? std::get_if<std::string>(found) : nullptr;
    if (stored == nullptr) return kResultFalse;
    const std::size_t copied = std::min(stored->size(), static_cast<std::size_t>(capacity));
    if (copied > 0) std::memcpy(text, stored->data(), copied);
    *length = static_cast<int32>(std::min<std::size_t>(stored->size(), INT32_MAX));
    return kResultOk;
  });
}

tresult SettingsStore::setString(const char8* section, const char8* key, const char8* text,
                                 int32 length) noexcept {
  SettingsData* d = data();
  if (d == nullptr) return kResultFalse;
  if (!validName(section) || !validName(key) || length < 0 || (text == nullptr && length > 0))
    return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    std::string value(text ? text : "", static_cast<std::size_t>(length));
    return d->set(section, key, std::move(value)) ? kResultOk : kResultFalse;
  });
}

}  // namespace QentSim
