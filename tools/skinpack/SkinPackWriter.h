// Builds a skin package: the setup window's skin description and images in one block of bytes,
// which the module carries as a raw-data resource and the host's skin engine reads.
//
// The layout is in tools/skinformat/SkinPackageFormat.h.
//
// Build machine only; single-threaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QentTools {

class SkinPackWriter {
 public:
  // Adds an entry after those added before; the writer keeps its own copy of the bytes.
  void add(const std::string& name, const std::vector<uint8_t>& data);

  // Writes the package into *package. An entry is compressed when its zlib stream saves at
  // least an eighth of its size, and stored as it is otherwise (image files that are already
  // compressed gain nothing from a second pass). The identifier is a fingerprint of everything
  // before the trailer, so the same entries give the same bytes on every run.
  // False, with the reason in *error, when a name is empty, longer than 255 characters, holds
  // anything but printable ASCII or is given twice, or when the package would not fit 32-bit
  // offsets.
  bool build(std::vector<uint8_t>* package, std::string* error) const;

 private:
  struct Entry {
    std::string name;
    std::vector<uint8_t> data;
  };
  std::vector<Entry> entries_;
};

}  // namespace QentTools
