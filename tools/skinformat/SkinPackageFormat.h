// The skin package: the setup window's skin description and images in one block of bytes, which
// the module carries as a raw-data resource. skinpack writes it on the build machine and the
// reference host's skin engine reads it; both take the layout from here.
//
// Layout, all integers 32-bit little-endian:
//   header     "Brennholt Resource File" CR LF (25 bytes)
//   data       each entry's bytes, in entry order, from offset 25 up to the directory: as they
//              are, or as one zlib stream
//   directory  per entry: flags (2 stored, 6 compressed), offset from the start of the package,
//              size in the package, the inflated size (compressed entries only), the name
//              NUL-terminated (printable ASCII, 1 to 255 characters, each name once)
//   trailer    the last 48 bytes: 32 upper-case hexadecimal digits identifying the package, the
//              directory's length in bytes, the entry count, the trailer's length (48), "SRF2"
#pragma once

#include <cstddef>
#include <cstdint>

namespace SkinPackageFormat {

inline constexpr char kHeader[] = "Brennholt Resource File\r\n";
inline constexpr std::size_t kHeaderSize = sizeof(kHeader) - 1;

// Directory record flags.
inline constexpr std::uint32_t kStored = 2;
inline constexpr std::uint32_t kCompressed = 6;
inline constexpr std::size_t kMaxNameLength = 255;

// The trailer and where its fields lie in it.
inline constexpr std::uint32_t kTrailerSize = 48;
inline constexpr std::size_t kIdentifierLength = 32;  // at 0
inline constexpr std::size_t kDirectoryLengthAt = 32;
inline constexpr std::size_t kEntryCountAt = 36;
inline constexpr std::size_t kTrailerLengthAt = 40;
inline constexpr std::size_t kMagicAt = 44;
inline constexpr char kMagic[] = "SRF2";
inline constexpr std::size_t kMagicSize = sizeof(kMagic) - 1;

}  // namespace SkinPackageFormat
