// Files the skin tests compare against: the package the build made and the skin it came from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SkinTest {

// The whole file, or nothing when it cannot be read.
std::vector<uint8_t> readFile(const std::string& path);
// The package the build packed, build/<preset>/skin/QENTExtSetupPanel.srf.
std::string builtPackagePath();
// 32-bit little-endian at offset.
uint32_t uint32At(const std::vector<uint8_t>& bytes, size_t offset);

}  // namespace SkinTest
