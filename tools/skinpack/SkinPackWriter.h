// Builds a skin package: the setup window's skin description and images in one block of bytes,
// which the module carries as a raw-data resource and the host's skin engine reads.
//
// Layout, all integers 32-bit little-endian:
//   header     "Brennholt Resource File" CR LF (25 bytes)
//   data       each entry's bytes, in entry order, from offset 25 on: as they are, or as one
//              zlib stream
//   directory  per entry: flags (2 stored, 6 compressed), offset from the start of the package,
//              size in the package, the inflated size (compressed entries only), the name
//              NUL-terminated
//   trailer    48 bytes: 32 upper-case hexadecimal digits identifying the package, the
//              directory's length in bytes, the entry count, the trailer's length (48), "SRF2"
//
// Build machine only; single-threaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QentTools {

class SkinPackWriter {
 public:
  static constexpr uint32_t kStored = 2;
  static constexpr uint32_t kCompressed = 6;

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
