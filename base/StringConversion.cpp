#include "base/StringConversion.h"

#include <cstring>
#include <unordered_map>

#include "base/FLock.h"

namespace Brennholt {

std::string toText8(const char16* text, int32 length) {
  String string(text, length);
  const char8* narrow = string.text8();
  return std::string(narrow, static_cast<size_t>(string.isWide() ? 0 : string.length()));
}

std::u16string toText16(const char8* text, int32 length) {
  String string(text, length);
  const char16* wide = string.text16();
  return std::u16string(wide, static_cast<size_t>(string.isWide() ? string.length() : 0));
}

namespace {

// The copies handed to the host. Keyed by text; the address of the last source seen with a
// text is a shortcut that is only taken when that source still holds the same text.
// unordered_map nodes never move, so a copy keeps its address while the table grows.
class StableTexts {
 public:
  const char16* find(const char8* source) {
    FGuard guard(&lock_);
    auto known = byAddress_.find(source);
    if (known != byAddress_.end() && known->second->first == source) {
      return known->second->second.c_str();
    }
    auto entry = byText_.find(source);
    if (entry == byText_.end()) {
      entry = byText_.emplace(source, toText16(source)).first;
    }
    byAddress_[source] = &*entry;
    return entry->second.c_str();
  }

 private:
  using Entry = std::pair<const std::string, std::u16string>;
  FLock lock_{"StableTexts"};
  std::unordered_map<std::string, std::u16string> byText_;
  std::unordered_map<const char8*, const Entry*> byAddress_;
};

// Destroyed when the module unloads, which is as long as the host may keep the copies.
StableTexts stableTexts;

}  // namespace

const char16* stableText16(const char8* source) {
  if (!source) return u"";
  return stableTexts.find(source);
}

}  // namespace Brennholt
