#include "tests/tools/SkinTestFiles.h"

#include <fstream>
#include <iterator>

#include "tests/support/ArtifactPath.h"

namespace SkinTest {

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string builtPackagePath() { return QentTest::artifactPath("skin/QENTExtSetupPanel.srf"); }

uint32_t uint32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes.at(offset)) |
         static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
         static_cast<uint32_t>(bytes.at(offset + 2)) << 16 |
         static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

}  // namespace SkinTest
