#include "tools/skinpack/SkinPackWriter.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "tools/skinformat/SkinPackageFormat.h"

namespace QentTools {

namespace {

using namespace SkinPackageFormat;

void putUint32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// FNV-1a over the bytes, from the given starting value.
uint64_t fingerprint(const std::vector<uint8_t>& bytes, uint64_t basis) {
  uint64_t hash = basis;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

bool validName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  for (char c : name) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// The zlib stream of data when it saves at least an eighth, otherwise nothing.
bool compress(const std::vector<uint8_t>& data, std::vector<uint8_t>* stream) {
  if (data.empty()) return false;
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  stream->resize(length);
  if (compress2(stream->data(), &length, data.data(), static_cast<uLong>(data.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return false;
  }
  stream->resize(length);
  return length <= data.size() - data.size() / 8;
}

}  // namespace

void SkinPackWriter::add(const std::string& name, const std::vector<uint8_t>& data) {
  entries_.push_back({name, data});
}

bool SkinPackWriter::build(std::vector<uint8_t>* package, std::string* error) const {
  std::set<std::string> names;
  for (const Entry& entry : entries_) {
    if (!validName(entry.name)) {
      *error = "entry name \"" + entry.name + "\" is empty, too long or not printable ASCII";
      return false;
    }
    if (!names.insert(entry.name).second) {
      *error = "entry name \"" + entry.name + "\" is given twice";
      return false;
    }
  }

  std::vector<uint8_t> out(kHeader, kHeader + kHeaderSize);
  std::vector<uint8_t> directory;
  for (const Entry& entry : entries_) {
    std::vector<uint8_t> stream;
    bool compressed = compress(entry.data, &stream);
    const std::vector<uint8_t>& stored = compressed ? stream : entry.data;
    uint64_t end = out.size() + stored.size();
    if (end > UINT32_MAX) {
      *error = "the package would not fit 32-bit offsets";
      return false;
    }
    putUint32(directory, compressed ? kCompressed : kStored);
    putUint32(directory, static_cast<uint32_t>(out.size()));
    putUint32(directory, static_cast<uint32_t>(stored.size()));
    if (compressed) putUint32(directory, static_cast<uint32_t>(entry.data.size()));
    directory.insert(directory.end(), entry.name.begin(), entry.name.end());
    directory.push_back(0);
    out.insert(out.end(), stored.begin(), stored.end());
  }
  if (out.size() + directory.size() + kTrailerSize > UINT32_MAX) {
    *error = "the package would not fit 32-bit offsets";
    return false;
  }
  out.insert(out.end(), directory.begin(), directory.end());

  char identifier[33];
  std::snprintf(identifier, sizeof(identifier), "%016llX%016llX",
                static_cast<unsigned long long>(fingerprint(out, 0xCBF29CE484222325ull)),
                static_cast<unsigned long long>(fingerprint(out, 0x84222325CBF29CE4ull)));
  out.insert(out.end(), identifier, identifier + 32);
  putUint32(out, static_cast<uint32_t>(directory.size()));
  putUint32(out, static_cast<uint32_t>(entries_.size()));
  putUint32(out, kTrailerSize);
  out.insert(out.end(), kMagic, kMagic + kMagicSize);
  *package = std::move(out);
  return true;
}

}  // namespace QentTools
