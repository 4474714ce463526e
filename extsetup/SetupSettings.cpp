#include "extsetup/SetupSettings.h"

#include <new>
#include <vector>

namespace Brennholt {

SetupSettings::SetupSettings(FUnknown* host)
    : store_(Hox::createInstance<Hox::ISettingsStore>(host)) {}

bool SetupSettings::getInteger(const char8* section, const char8* key, int32& out) const {
  if (!store_) return false;
  int32 value = 0;
  if (store_->getInteger(section, key, &value) != kResultOk) return false;
  out = value;
  return true;
}

bool SetupSettings::getString(const char8* section, const char8* key, String& out) const {
  if (!store_) return false;
  char8 small[kNameCapacity];
  int32 length = 0;
  if (store_->getString(section, key, small, kNameCapacity, &length) != kResultOk) return false;
  if (length < 0) return false;
  if (length <= kNameCapacity) return out.assign(small, length, false);
  // Longer than the buffer: ask again with room for all of it.
  try {
    std::vector<char8> large(static_cast<size_t>(length));
    int32 again = 0;
    if (store_->getString(section, key, large.data(), length, &again) != kResultOk ||
        again != length) {
      return false;
    }
    return out.assign(large.data(), length, false);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void SetupSettings::setInteger(const char8* section, const char8* key, int32 value) const {
  if (store_) store_->setInteger(section, key, value);
}

void SetupSettings::setString(const char8* section, const char8* key,
                              const ConstString& text) const {
  if (!store_) return;
  const char8* bytes = text.text8();  // converts a 16-bit text first, which sets the length
  store_->setString(section, key, bytes, text.length());
}

}  // namespace Brennholt
