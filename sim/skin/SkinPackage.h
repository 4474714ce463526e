// A skin package as the host's skin engine reads it from a module's raw-data resource: the
// skin description and its images, each stored as it is or as one zlib stream.
//
// The layout is in tools/skinformat/SkinPackageFormat.h.
//
// Reading checks all of it and inflates every compressed entry, so a package that reads is
// whole; a damaged one is refused with the reason. Not thread-safe; a read package is
// immutable and may then be shared between threads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Types.h"
#include "tools/skinformat/SkinPackageFormat.h"

namespace QentSim {

class SkinPackage {
 public:
  static constexpr Brennholt::uint32 kStored = SkinPackageFormat::kStored;
  static constexpr Brennholt::uint32 kCompressed = SkinPackageFormat::kCompressed;
  // Entries inflate to at most this many bytes each; a package that claims more is refused.
  static constexpr Brennholt::uint32 kMaxEntrySize = 64u << 20;

  struct Entry {
    std::string name;
    Brennholt::uint32 flags = 0;         // kStored or kCompressed
    Brennholt::uint32 offset = 0;        // where its bytes start in the package
    Brennholt::uint32 packedSize = 0;    // its bytes in the package
    std::vector<Brennholt::uint8> data;  // the contents, inflated

    bool compressed() const { return flags == kCompressed; }
  };

  // Reads the package from size bytes at data (copied: the caller's buffer may go away
  // afterwards). On success replaces what this object held; on failure says why in *error,
  // leaves this object empty and returns false.
  bool read(const void* data, size_t size, std::string* error);

  // The 32-digit identifier from the trailer; empty when nothing was read.
  const std::string& identifier() const { return identifier_; }
  // The entries in package order.
  const std::vector<Entry>& entries() const { return entries_; }
  // The entry of that name (names compare exactly), or null.
  const Entry* find(std::string_view name) const;

 private:
  std::string identifier_;
  std::vector<Entry> entries_;
};

}  // namespace QentSim
