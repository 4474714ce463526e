// The host's product name and version, classified into an edition code and parsed into numbers.
//
// Built by the service from the host-information texts when it initializes; read-only
// afterwards. Used on the host thread only.
#pragma once

#include <string>

#include "core/Types.h"

namespace Brennholt {

class DAWInfo {
 public:
  // Edition codes; the first matching word of the product name (any case) wins.
  enum Edition : int {
    kUnknown = 0,
    kLE = 1,
    kHover = 2,
    kEssential = 3,
    kStudio = 4,
    kFull = 5,
    kMorvane = 6,
  };

  DAWInfo() = default;
  // Reads the three texts at once; each may be null.
  DAWInfo(const char16* productName, const char16* version, const char16* build) noexcept;
  virtual ~DAWInfo() = default;

  // Takes the host's product name, version string and build string (UTF-16, each may be null).
  // When memory runs short the information is left unknown (not valid), so the host counts as
  // unsupported rather than the call throwing out of the service's initialize.
  void read(const char16* productName, const char16* version, const char16* build) noexcept;

  // Known edition and a complete version (major, minor, patch and build all present).
  bool isValid() const;
  // Host version against a.b.c: +1 host newer, 0 equal, -1 host older; a negative argument
  // matches anything.
  int compare(int a, int b, int c) const;

  int edition() const { return edition_; }
  int major() const { return major_; }
  int minor() const { return minor_; }
  int patch() const { return patch_; }
  int build() const { return build_; }
  const std::string& productName() const { return productName_; }
  const std::string& versionText() const { return versionText_; }

  // Edition of a product name by the word table.
  static int editionOf(const std::string& productName);

 private:
  // read() without its guard: throws std::bad_alloc when memory runs short.
  void readTexts(const char16* productName, const char16* version, const char16* build);

  std::string productName_;
  std::string versionText_;
  int edition_ = kUnknown;
  int major_ = -1;
  int minor_ = -1;
  int patch_ = -1;
  int build_ = -1;
};

}  // namespace Brennholt
