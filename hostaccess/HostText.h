// Reading the host's UTF-16 texts (titles, tag titles, value texts) as they stand.
//
// Kept in UTF-16 wherever a text is compared or searched, so that characters the 8-bit code page
// cannot hold (the infinity sign, names in other scripts) still compare exactly; converted to
// the module's 8-bit text only for display. May throw std::bad_alloc, nothing else.
// [host thread]
#pragma once

#include <string>

#include "base/StringConversion.h"
#include "core/ResultCodes.h"
#include "core/Types.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

// fetch(buffer, kHostTextUnits) fills a zeroed buffer and answers the host's result; at most
// kHostTextUnits - 1 units count, and a result other than 0 gives an empty text.
template <class Fetch>
std::u16string readHostText16(Fetch&& fetch) {
  char16 buffer[kHostTextUnits] = {};
  if (fetch(buffer, kHostTextUnits) != kResultOk) return {};
  buffer[kHostTextUnits - 1] = 0;
  return std::u16string(buffer);
}

// The object's title; empty for a null object or one without.
inline std::u16string hostTitle(Hox::IHostObject* object) {
  if (!object) return {};
  return readHostText16(
      [&](char16* text, int32 capacity) { return object->getTitle(text, capacity); });
}

// The title the object gives for a tag; empty when it gives none.
inline std::u16string hostTagTitle(Hox::IHostObject* object, int32 tag) {
  if (!object) return {};
  return readHostText16(
      [&](char16* text, int32 capacity) { return object->getTagTitle(tag, text, capacity); });
}

// A value's text; empty for a null value.
inline std::u16string hostValueText(Hox::IHostValue* value) {
  if (!value) return {};
  return readHostText16(
      [&](char16* text, int32 capacity) { return value->getText(text, capacity); });
}

}  // namespace Brennholt
