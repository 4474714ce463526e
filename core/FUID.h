// 16-byte class and interface identifiers, compared byte for byte.
//
// Two written forms are read: 32 hexadecimal digits in memory order ("F255F29D5E18..."), and the
// dashed text form of a GUID ("{9DF255F2-185E-4472-8973-3758D4409CE3}", braces optional), whose
// first three groups are stored little-endian.
#pragma once

#include <cstring>

#include "core/Types.h"

namespace Brennholt {

// An identifier as it crosses interfaces: a pointer to 16 bytes.
using TUID = char[16];
using FIDString = const char*;

class FUID {
 public:
  constexpr FUID() = default;
  constexpr explicit FUID(const char (&bytes)[16]) {
    for (int i = 0; i < 16; ++i) data_[i] = bytes[i];
  }

  // Parses 32 hex digits in memory order. An invalid text gives the all-zero identifier and
  // *ok = false.
  static constexpr FUID fromMemoryHex(const char* text, bool* ok = nullptr) {
    FUID id;
    bool good = text != nullptr;
    for (int i = 0; good && i < 16; ++i) {
      int hi = hexValue(text[2 * i]);
      int lo = hi < 0 ? -1 : hexValue(text[2 * i + 1]);
      if (hi < 0 || lo < 0) {
        good = false;
      } else {
        id.data_[i] = static_cast<char>(hi * 16 + lo);
      }
    }
    if (good && text[32] != '\0') good = false;
    if (!good) id = FUID();
    if (ok) *ok = good;
    return id;
  }

  // Parses the dashed GUID form (8-4-4-4-12 digits, optional braces).
  static constexpr FUID fromDashed(const char* text, bool* ok = nullptr) {
    FUID id;
    bool good = text != nullptr;
    const char* p = text;
    bool braces = good && *p == '{';
    if (braces) ++p;
    // Byte order in memory for each of the 16 bytes in reading order.
    constexpr int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    constexpr int dashBefore[16] = {0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0};
    for (int i = 0; good && i < 16; ++i) {
      if (dashBefore[i]) {
        if (*p != '-') {
          good = false;
          break;
        }
        ++p;
      }
      int hi = hexValue(p[0]);
      int lo = hi < 0 ? -1 : hexValue(p[1]);
      if (hi < 0 || lo < 0) {
        good = false;
      } else {
        id.data_[order[i]] = static_cast<char>(hi * 16 + lo);
        p += 2;
      }
    }
    if (good && braces) good = *p++ == '}';
    if (good && *p != '\0') good = false;
    if (!good) id = FUID();
    if (ok) *ok = good;
    return id;
  }

  static FUID fromTUID(const char* bytes) {
    FUID id;
    if (bytes) std::memcpy(id.data_, bytes, 16);
    return id;
  }

  // Writes 32 upper-case hex digits in memory order and a terminating zero (33 bytes).
  void toMemoryHex(char out[33]) const {
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
      out[2 * i] = digits[static_cast<uint8>(data_[i]) >> 4];
      out[2 * i + 1] = digits[static_cast<uint8>(data_[i]) & 15];
    }
    out[32] = '\0';
  }


  constexpr const char* bytes() const { return data_; }
  constexpr char* bytes() { return data_; }
  void copyTo(char* out) const { std::memcpy(out, data_, 16); }

  // Byte-for-byte comparison with identifier bytes as they cross an interface; null never matches.
  bool matches(const char* other) const {
    return other != nullptr && std::memcmp(data_, other, 16) == 0;
  }
  constexpr bool operator==(const FUID& other) const {
    for (int i = 0; i < 16; ++i)
      if (data_[i] != other.data_[i]) return false;
    return true;
  }
  constexpr bool isZero() const {
    for (char c : data_)
      if (c != 0) return false;
    return true;
  }

 private:
  static constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  char data_[16] = {};
};

static_assert(sizeof(FUID) == 16);

}  // namespace Brennholt
