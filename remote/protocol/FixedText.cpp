#include "remote/protocol/FixedText.h"

#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

namespace {

constexpr uint8 kSpace = 0x20;
constexpr uint8 kDash = 0x2D;

bool fieldFits(const uint8* buffer, std::size_t bufferSize, int32 pos, int32 width) {
  if (buffer == nullptr || width < 0) return false;
  if (pos < static_cast<int32>(SysExFormat::kDataPos)) return false;
  return static_cast<std::size_t>(pos) + static_cast<std::size_t>(width) <= bufferSize;
}

std::string_view untilNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

int32 FixedText::write(std::string_view text, uint8* buffer, std::size_t bufferSize, int32 pos,
                       int32 width) {
  if (!fieldFits(buffer, bufferSize, pos, width)) return -1;
  text = untilNul(text);
  uint8* field = buffer + pos;
  bool highSeen = false;
  for (int32 i = 0; i < width; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (index >= text.size()) {
      field[i] = kSpace;
      continue;
    }
    const auto byte = static_cast<uint8>(text[index]);
    highSeen = highSeen || byte >= 0x80;
    field[i] = highSeen ? kDash : byte;
  }
  return pos + width;
}

int32 FixedText::writeVerbatim(std::string_view text, uint8* buffer, std::size_t bufferSize,
                               int32 pos, int32 width) {
  if (!fieldFits(buffer, bufferSize, pos, width)) return -1;
  text = untilNul(text);
  uint8* field = buffer + pos;
  for (int32 i = 0; i < width; ++i) {
    const auto index = static_cast<std::size_t>(i);
    field[i] = index < text.size() ? static_cast<uint8>(text[index]) : kSpace;
  }
  return pos + width;
}

}  // namespace Brennholt
