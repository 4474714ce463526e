#include "sim/scenario/BytePattern.h"

#include <algorithm>
#include <cstdio>

namespace QentSim {

namespace {

// Messages are printed in full up to this many bytes, then cut.
constexpr std::size_t kShownBytes = 48;

std::string hexByte(int value) {
  if (value == BytePattern::kAny) return "??";
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", value & 0xFF);
  return digits;
}

}  // namespace

bool BytePattern::hasWildcard() const {
  return std::find(items_.begin(), items_.end(), kAny) != items_.end();
}

std::vector<std::uint8_t> BytePattern::bytes() const {
  std::vector<std::uint8_t> out;
  out.reserve(items_.size());
  for (int item : items_) out.push_back(item == kAny ? 0 : static_cast<std::uint8_t>(item));
  return out;
}

bool BytePattern::matchesAt(const std::vector<std::uint8_t>& message, std::size_t count) const {
  for (std::size_t i = 0; i < count; ++i) {
    if (items_[i] != kAny && items_[i] != message[i]) return false;
  }
  return true;
}

bool BytePattern::isPrefixOf(const std::vector<std::uint8_t>& message) const {
  return message.size() >= items_.size() && matchesAt(message, items_.size());
}

std::string BytePattern::text() const {
  std::string out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i == kShownBytes) return out + " ... (" + std::to_string(items_.size()) + " bytes)";
    if (i != 0) out += ' ';
    out += hexByte(items_[i]);
  }
  return out;
}

std::string BytePattern::hex(const std::vector<std::uint8_t>& message) {
  BytePattern pattern;
  for (std::uint8_t byte : message) pattern.append(byte);
  return pattern.text();
}

}  // namespace QentSim
