// Arbitrary bytes as a skin package resource, through the host's reader: it either refuses them
// with a reason or gives entries that lie inside the package and inflated to their sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/skin/SkinPackage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QentSim::SkinPackage package;
  std::string error;
  if (!package.read(data, size, &error)) {
    if (error.empty() || !package.entries().empty()) std::abort();
    return 0;
  }
  for (const QentSim::SkinPackage::Entry& entry : package.entries()) {
    if (static_cast<uint64_t>(entry.offset) + entry.packedSize > size) std::abort();
    if (!entry.compressed() && entry.data.size() != entry.packedSize) std::abort();
    if (package.find(entry.name) != &entry) std::abort();
  }
  return 0;
}
