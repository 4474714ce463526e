// A byte sequence written in a scenario: two-digit hex bytes, "??" for any one byte, "XX*N" for
// N copies of a byte and "quoted text" for the text's own bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QentSim {

class BytePattern {
 public:
  static constexpr int kAny = -1;
  // Longest pattern a scenario may write; far beyond any message of the keyboard.
  static constexpr std::size_t kMaxLength = 65536;

  // Adds one byte (0..255) or kAny at the end.
  void append(int byteOrAny) { items_.push_back(byteOrAny); }
  // Bytes and wildcards written.
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // True when any item is kAny.
  bool hasWildcard() const;

  // The bytes; wildcards become 00. Only meaningful for patterns without wildcards.
  std::vector<std::uint8_t> bytes() const;

  // The message is at least as long and starts with the pattern.
  bool isPrefixOf(const std::vector<std::uint8_t>& message) const;

  // "F0 43 ?? ..." as written; long runs are shortened with "...".
  std::string text() const;
  // A message as text() writes a pattern.
  static std::string hex(const std::vector<std::uint8_t>& message);

 private:
  bool matchesAt(const std::vector<std::uint8_t>& message, std::size_t count) const;
  std::vector<int> items_;
};

}  // namespace QentSim
