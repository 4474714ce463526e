#include "sim/skin/SkinDocument.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <set>

#include "sim/skin/SkinPackage.h"
#include "sim/xml/XmlStream.h"

namespace QentSim {

namespace {

constexpr const char* kControlKinds[] = {"switch", "checkbox", "text",
                                         "edit",   "menu",     "alternative"};
constexpr const char* kNumberAttributes[] = {"x", "y", "width", "height"};

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

bool isNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [at, failed] = std::from_chars(text.data(), end, value);
  return failed == std::errc() && at == end && !text.empty();
}

// Builds the element tree while the host's XML reader reads.
class TreeBuilder final : public XmlEvents {
 public:
  SkinNode root;
  std::string error;

  bool startElement(const char* name, int count, const char* const* names,
                    const char* const* values, int line) override {
    if (open_.size() >= static_cast<std::size_t>(SkinDocument::kMaxDepth)) {
      return fail(line, "elements nest deeper than " + std::to_string(SkinDocument::kMaxDepth));
    }
    SkinNode node;
    node.element = name;
    node.line = line;
    for (int i = 0; i < count; ++i) node.attributes[names[i]] = values[i];
    SkinNode* added = nullptr;
    if (open_.empty()) {
      root = std::move(node);
      added = &root;
    } else {
      open_.back()->children.push_back(std::move(node));
      added = &open_.back()->children.back();
    }
    open_.push_back(added);
    return true;
  }
  bool endElement(const char*) override {
    if (!open_.empty()) open_.pop_back();
    return true;
  }
  bool fail(int line, const std::string& why) {
    error = std::string(SkinDocument::kEntryName) + ":" + std::to_string(line) + ": " + why;
    return false;
  }

 private:
  std::vector<SkinNode*> open_;
};

// Checks the elements inside a template or view, and the views' template references.
class Checker {
 public:
  Checker(const std::map<std::string, std::string, std::less<>>& bitmaps,
          const std::vector<SkinNode>& templates)
      : bitmaps_(bitmaps), templates_(templates) {}

  bool checkContent(const SkinNode& parent, std::string* error) {
    for (const SkinNode& child : parent.children) {
      if (!checkElement(child, error)) return false;
    }
    return true;
  }

  // False when the template places itself, directly or through others.
  bool checkCycles(const SkinNode& templ, std::vector<std::string>& path, std::string* error) {
    const std::string& name = templ.attribute("name");
    if (std::find(path.begin(), path.end(), name) != path.end()) {
      *error = at(templ, "template \"" + name + "\" places itself through its views");
      return false;
    }
    path.push_back(name);
    const bool ok = visitViews(templ, path, error);
    path.pop_back();
    return ok;
  }

 private:
  bool visitViews(const SkinNode& node, std::vector<std::string>& path, std::string* error) {
    for (const SkinNode& child : node.children) {
      if (child.element == "View" && !child.attribute("template").empty()) {
        const SkinNode* placed = find(child.attribute("template"));
        if (placed != nullptr && !checkCycles(*placed, path, error)) return false;
      }
      if (!visitViews(child, path, error)) return false;
    }
    return true;
  }

  const SkinNode* find(std::string_view name) const {
    for (const SkinNode& t : templates_) {
      if (t.attribute("name") == name) return &t;
    }
    return nullptr;
  }

  static std::string at(const SkinNode& node, const std::string& why) {
    return std::string(SkinDocument::kEntryName) + ":" + std::to_string(node.line) + ": " + why;
  }

  bool checkNumbers(const SkinNode& node, std::string* error) {
    for (const char* name : kNumberAttributes) {
      auto found = node.attributes.find(name);
      if (found != node.attributes.end() && !isNumber(found->second)) {
        *error = at(node, std::string(name) + "=\"" + found->second + "\" is not a number");
        return false;
      }
    }
    return true;
  }

  bool checkBitmap(const SkinNode& node, bool required, std::string* error) {
    const std::string& bitmap = node.attribute("bitmap");
    if (bitmap.empty()) {
      if (!required) return true;
      *error = at(node, "<" + node.element + "> without bitmap");
      return false;
    }
    if (bitmaps_.count(bitmap) != 0) return true;
    *error = at(node, "bitmap \"" + bitmap + "\" is not declared in <Bitmaps>");
    return false;
  }

  bool checkElement(const SkinNode& node, std::string* error) {
    if (!checkNumbers(node, error)) return false;
    if (node.element == "Image") {
      return checkBitmap(node, true, error) && childless(node, error);
    }
    if (node.element == "Label") return childless(node, error);
    if (node.element == "View") {
      const std::string& templ = node.attribute("template");
      if (templ.empty()) return checkContent(node, error);
      if (find(templ) == nullptr) {
        *error = at(node, "no template named \"" + templ + "\"");
        return false;
      }
      return childless(node, error);
    }
    if (node.element == "Control") {
      if (node.attribute("name").empty()) {
        *error = at(node, "<Control> without name");
        return false;
      }
      const std::string& kind = node.attribute("kind");
      if (std::find(std::begin(kControlKinds), std::end(kControlKinds), kind) ==
          std::end(kControlKinds)) {
        *error = at(node, "control \"" + node.attribute("name") + "\" has an unknown kind \"" +
                              kind + "\"");
        return false;
      }
      if (!checkBitmap(node, kind == "switch", error)) return false;
      if (kind != "alternative") return childless(node, error);
      if (node.children.empty()) {
        *error = at(node, "alternative \"" + node.attribute("name") + "\" has no views");
        return false;
      }
      for (const SkinNode& child : node.children) {
        if (child.element != "View") {
          *error =
              at(child, "an alternative holds only <View> elements, not <" + child.element + ">");
          return false;
        }
      }
      return checkContent(node, error);
    }
    *error = at(node, "unknown element <" + node.element + ">");
    return false;
  }

  bool childless(const SkinNode& node, std::string* error) {
    if (node.children.empty()) return true;
    *error = at(node.children.front(), "<" + node.element + "> holds no elements");
    return false;
  }

  const std::map<std::string, std::string, std::less<>>& bitmaps_;
  const std::vector<SkinNode>& templates_;
};

}  // namespace

bool SkinDocument::read(const SkinPackage& package, std::string* error) {
  templates_.clear();
  bitmaps_.clear();
  const SkinPackage::Entry* entry = package.find(kEntryName);
  if (entry == nullptr) {
    *error = std::string("the package holds no ") + kEntryName;
    return false;
  }
  std::vector<std::string> names;
  for (const SkinPackage::Entry& e : package.entries()) names.push_back(e.name);
  return readText(
      std::string_view(reinterpret_cast<const char*>(entry->data.data()), entry->data.size()),
      names, error);
}

bool SkinDocument::readText(std::string_view text, const std::vector<std::string>& entryNames,
                            std::string* error) {
  templates_.clear();
  bitmaps_.clear();
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    *error = std::string(kEntryName) + " is too large";
    return false;
  }
  TreeBuilder builder;
  const XmlReadResult read = readXml(text, builder);
  if (builder.error.empty() && !read.complete) {
    builder.error = std::string(kEntryName) + ":" + std::to_string(read.line) + ": " + read.error;
  }
  if (!builder.error.empty()) {
    *error = builder.error;
    return false;
  }

  auto fail = [&](const SkinNode& node, const std::string& why) {
    *error = std::string(kEntryName) + ":" + std::to_string(node.line) + ": " + why;
    templates_.clear();
    bitmaps_.clear();
    return false;
  };
  const SkinNode& root = builder.root;
  if (root.element != "Skin") return fail(root, "the root is <" + root.element + ">, not <Skin>");
  bool sawBitmaps = false;
  for (const SkinNode& node : root.children) {
    if (node.element == "Bitmaps") {
      if (sawBitmaps) return fail(node, "a second <Bitmaps>");
      sawBitmaps = true;
      for (const SkinNode& bitmap : node.children) {
        const std::string& name = bitmap.attribute("name");
        const std::string& file = bitmap.attribute("file");
        if (bitmap.element != "Bitmap") return fail(bitmap, "<Bitmaps> holds only <Bitmap>");
        if (name.empty() || file.empty()) return fail(bitmap, "<Bitmap> needs name and file");
        if (std::find(entryNames.begin(), entryNames.end(), file) == entryNames.end())
          return fail(bitmap, "bitmap \"" + name + "\": the package holds no " + quoted(file));
        if (!bitmaps_.emplace(name, file).second)
          return fail(bitmap, "bitmap \"" + name + "\" is declared twice");
      }
    } else if (node.element == "Template") {
      const std::string& name = node.attribute("name");
      if (name.empty()) return fail(node, "<Template> without name");
      if (findTemplate(name) != nullptr)
        return fail(node, "template \"" + name + "\" is defined twice");
      templates_.push_back(node);
    } else {
      return fail(node, "unknown element <" + node.element + "> in <Skin>");
    }
  }
  Checker checker(bitmaps_, templates_);
  for (const SkinNode& templ : templates_) {
    std::string why;
    std::vector<std::string> path;
    if (!checker.checkContent(templ, &why) || !checker.checkCycles(templ, path, &why)) {
      *error = why;
      templates_.clear();
      bitmaps_.clear();
      return false;
    }
  }
  return true;
}

std::vector<std::string> SkinDocument::templateNames() const {
  std::vector<std::string> names;
  for (const SkinNode& t : templates_) names.push_back(t.attribute("name"));
  return names;
}

}  // namespace QentSim
