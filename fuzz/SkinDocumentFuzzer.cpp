// Arbitrary bytes as a skin package's skin.xml, through the host's skin description reader: it
// either refuses them with a reason and keeps nothing, or every template it keeps can be found.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sim/skin/SkinDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::string> entries = {"a.png", "b.png", "skin.xml"};
  QentSim::SkinDocument document;
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!document.readText(text, entries, &error)) {
    if (error.empty() || !document.templateNames().empty() || !document.bitmaps().empty())
      std::abort();
    return 0;
  }
  for (const std::string& name : document.templateNames()) {
    if (document.findTemplate(name) == nullptr) std::abort();
  }
  return 0;
}
