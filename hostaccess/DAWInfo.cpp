#include "hostaccess/DAWInfo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>

#include "base/StringConversion.h"

namespace Brennholt {
namespace {

// The host's texts in the module's 8-bit form, so the product name is kept as the host wrote
// it. Should the conversion fail, anything wider than ASCII becomes '?': neither the word table
// nor the digit search can then be misled by a multi-byte sequence.
std::string narrow(const char16* text) {
  std::string out = toText8(text);
  if (!out.empty() || *text == 0) return out;
  for (; *text; ++text) out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
  return out;
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// Leading decimal integer, as strtol base 10 reads it, clamped to int.
int readInt(const std::string& text) {
  errno = 0;
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

size_t firstDigit(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] >= '0' && text[i] <= '9') return i;
  return std::string::npos;
}

int compareOne(int wanted, int actual) {
  if (wanted < actual) return 1;
  if (wanted > actual) return -1;
  return 0;
}

}  // namespace

DAWInfo::DAWInfo(const char16* productName, const char16* version, const char16* build) noexcept {
  read(productName, version, build);
}

int DAWInfo::editionOf(const std::string& productName) {
  static const struct {
    const char* word;
    int edition;
  } table[] = {
      {"tessaly studio", kStudio},
      {"tessaly artist", kStudio},
      {"tessaly essential", kEssential},
      {"tessaly elements", kEssential},
      {"tessaly hover", kHover},
      {"tessaly le", kLE},
      {"tessaly", kFull},
      {"morvane", kMorvane},
  };
  const std::string lower = lowerAscii(productName);
  for (const auto& entry : table)
    if (lower.find(entry.word) != std::string::npos) return entry.edition;
  return kUnknown;
}

void DAWInfo::read(const char16* productName, const char16* version, const char16* build) noexcept {
  try {
    readTexts(productName, version, build);
  } catch (const std::bad_alloc&) {
    productName_.clear();
    versionText_.clear();
    edition_ = kUnknown;
    major_ = minor_ = patch_ = build_ = -1;
  }
}

void DAWInfo::readTexts(const char16* productName, const char16* version, const char16* build) {
  if (productName) {
    productName_ = narrow(productName);
    edition_ = editionOf(productName_);
  }
  if (version) {
    const std::string text = narrow(version);
    const size_t start = firstDigit(text);
    if (start != std::string::npos) {
      versionText_ = text.substr(start);
      std::string majorText, minorText, patchText;
      const size_t dot1 = versionText_.find('.');
      if (dot1 != std::string::npos) {
        majorText = versionText_.substr(0, dot1);
        const std::string rest = versionText_.substr(dot1 + 1);
        const size_t dot2 = rest.find('.');
        if (dot2 != std::string::npos) {
          minorText = rest.substr(0, dot2);
          patchText = rest.substr(dot2 + 1);
        }
      }
      if (!majorText.empty()) major_ = readInt(majorText);
      if (!minorText.empty()) minor_ = readInt(minorText);
      if (!patchText.empty()) patch_ = readInt(patchText);
    }
  }
  if (build) {
    const std::string text = narrow(build);
    const size_t start = firstDigit(text);
    if (start != std::string::npos) build_ = readInt(text.substr(start));
  }
}

bool DAWInfo::isValid() const {
  return edition_ != kUnknown && major_ >= 0 && minor_ >= 0 && patch_ >= 0 && build_ >= 0;
}

int DAWInfo::compare(int a, int b, int c) const {
  int r = 0;
  if (a >= 0) r = compareOne(a, major_);
  if (r == 0 && b >= 0) r = compareOne(b, minor_);
  if (r == 0 && c >= 0) r = compareOne(c, patch_);
  return r;
}

}  // namespace Brennholt
