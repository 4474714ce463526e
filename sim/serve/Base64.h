// Base64 (RFC 4648, with padding) for the files the page and the host hand each other inside
// JSON messages. [any thread]
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace QentSim {

std::string encodeBase64(const std::vector<std::uint8_t>& bytes);
// False for anything but whole, padded Base64 (blanks are not skipped).
bool decodeBase64(std::string_view text, std::vector<std::uint8_t>* bytes);

}  // namespace QentSim
