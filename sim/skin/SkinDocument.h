// The skin description ("skin.xml") of a skin package, read and checked against the package:
// the bitmaps it declares and the templates windows and views are built from. The dialect is
// described at the top of extsetup/skin/skin.xml.
//
// Reading refuses a description that a window could not be built from: XML that does not
// parse, an unknown element or control kind, a control without a name, a bitmap that is not
// declared or whose file is not in the package, a view of a template that does not exist or
// that places itself, an alternative without views, a position or size that is not a number.
// Not thread-safe; a read document is immutable.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace QentSim {

class SkinPackage;

struct SkinNode {
  std::string element;  // "Template", "Image", "Label", "View", "Control"
  int line = 0;         // where it starts in skin.xml
  std::map<std::string, std::string, std::less<>> attributes;
  std::vector<SkinNode> children;

  // The attribute's text; empty when absent.
  const std::string& attribute(std::string_view name) const {
    static const std::string none;
    auto found = attributes.find(name);
    return found == attributes.end() ? none : found->second;
  }
};

class SkinDocument {
 public:
  // The entry of a package that holds the description.
  static constexpr const char* kEntryName = "skin.xml";
  // Elements nest at most this deep; deeper descriptions are refused.
  static constexpr int kMaxDepth = 32;

  // Reads the description from the package's "skin.xml". On failure says why in *error
  // ("skin.xml:12: ...") and leaves this object empty.
  bool read(const SkinPackage& package, std::string* error);
  // Reads it from text, checking bitmap files against `entryNames`; what read does.
  bool readText(std::string_view text, const std::vector<std::string>& entryNames,
                std::string* error);

  // The template of that name (names compare exactly), or null.
  const SkinNode* findTemplate(std::string_view name) const {
    for (const SkinNode& t : templates_) {
      if (t.attribute("name") == name) return &t;
    }
    return nullptr;
  }
  std::vector<std::string> templateNames() const;
  // Declared bitmaps: name to the package entry that holds the image.
  const std::map<std::string, std::string, std::less<>>& bitmaps() const { return bitmaps_; }

 private:
  std::vector<SkinNode> templates_;
  std::map<std::string, std::string, std::less<>> bitmaps_;
};

}  // namespace QentSim
