#include "sim/skin/SkinPackage.h"

#include <zlib.h>

#include <cstring>
#include <functional>
#include <set>
#include <utility>

#include "tools/skinformat/SkinPackageFormat.h"

using Brennholt::uint32;
using Brennholt::uint64;
using Brennholt::uint8;

namespace QentSim {

namespace {

using namespace SkinPackageFormat;
using Entry = SkinPackage::Entry;

// The smallest directory record: flags, offset, size and a name of one character.
constexpr size_t kMinRecordSize = 3 * 4 + 2;
// Deflate codes at most 258 bytes in two bits, so no stream inflates to more than this many
// times its own size.
constexpr uint64 kMaxInflateRatio = 1032;

uint32 readUint32(const uint8* at) {
  return static_cast<uint32>(at[0]) | static_cast<uint32>(at[1]) << 8 |
         static_cast<uint32>(at[2]) << 16 | static_cast<uint32>(at[3]) << 24;
}

bool upperHex(const uint8* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    uint8 c = text[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

bool fail(std::string* error, const std::string& reason) {
  if (error) *error = "skin package damaged: " + reason;
  return false;
}

// Inflates exactly one zlib stream that fills the whole input into exactly out->size() bytes.
bool inflateEntry(const uint8* stream, uint32 length, std::vector<uint8>* out,
                  std::string* reason) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    *reason = "zlib could not start";
    return false;
  }
  // An empty entry still needs somewhere for zlib to point at.
  uint8 spare = 0;
  z.next_in = const_cast<Bytef*>(stream);
  z.avail_in = length;
  z.next_out = out->empty() ? &spare : out->data();
  z.avail_out = static_cast<uInt>(out->size());
  int result = inflate(&z, Z_FINISH);
  bool whole = result == Z_STREAM_END && z.total_out == out->size() && z.avail_in == 0;
  if (!whole) {
    if (result == Z_STREAM_END && z.total_out != out->size()) {
      *reason = "inflates to " + std::to_string(z.total_out) + " bytes instead of " +
                std::to_string(out->size());
    } else if (result == Z_STREAM_END) {
      *reason = "has bytes after the end of its zlib stream";
    } else if (result == Z_BUF_ERROR && z.avail_in == 0) {
      *reason = "ends before its zlib stream does";
    } else if (result == Z_BUF_ERROR) {
      *reason = "inflates to more than " + std::to_string(out->size()) + " bytes";
    } else {
      *reason = std::string("is not a valid zlib stream (") + (z.msg ? z.msg : "no reason") + ")";
    }
  }
  inflateEnd(&z);
  return whole;
}

// Where the directory lies, as the header and trailer give it.
struct Frame {
  const uint8* trailer = nullptr;
  size_t directoryStart = 0;
  uint32 directoryLength = 0;
  uint32 count = 0;
};

// Checks the header and the trailer and finds the directory.
bool readFrame(const uint8* bytes, size_t size, Frame* frame, std::string* error) {
  if (!bytes || size < kHeaderSize + kTrailerSize) {
    return fail(error, "it has " + std::to_string(size) + " bytes, fewer than a header (" +
                           std::to_string(kHeaderSize) + ") and a trailer (" +
                           std::to_string(kTrailerSize) + ") need");
  }
  if (size > UINT32_MAX) return fail(error, "it is larger than 32-bit offsets reach");
  if (std::memcmp(bytes, kHeader, kHeaderSize) != 0) {
    return fail(error, "it does not start with \"Brennholt Resource File\" CR LF");
  }
  const uint8* trailer = bytes + size - kTrailerSize;
  if (std::memcmp(trailer + kMagicAt, kMagic, kMagicSize) != 0) {
    return fail(error, "it does not end with \"SRF2\"");
  }
  if (readUint32(trailer + kTrailerLengthAt) != kTrailerSize) {
    return fail(error, "the trailer gives its length as " +
                           std::to_string(readUint32(trailer + kTrailerLengthAt)) +
                           " instead of 48");
  }
  if (!upperHex(trailer, kIdentifierLength)) {
    return fail(error, "the identifier is not 32 upper-case hexadecimal digits");
  }
  const uint32 directoryLength = readUint32(trailer + kDirectoryLengthAt);
  const uint32 count = readUint32(trailer + kEntryCountAt);
  if (directoryLength > size - kHeaderSize - kTrailerSize) {
    return fail(error, "the directory's length " + std::to_string(directoryLength) +
                           " reaches before the end of the header");
  }
  if (count > directoryLength / kMinRecordSize) {
    return fail(error, "the directory's " + std::to_string(directoryLength) +
                           " bytes cannot hold " + std::to_string(count) + " entries");
  }
  *frame = {trailer, size - kTrailerSize - directoryLength, directoryLength, count};
  return true;
}

// Reads the directory record at *at into *entry and its inflated size, and moves *at past it.
bool readRecord(const uint8* directory, uint32 length, size_t* at, const std::string& which,
                Entry* entry, uint32* inflatedSize, std::string* error) {
  if (length - *at < 12) return fail(error, which + " runs past the directory");
  entry->flags = readUint32(directory + *at);
  entry->offset = readUint32(directory + *at + 4);
  entry->packedSize = readUint32(directory + *at + 8);
  *at += 12;
  if (entry->flags != kStored && entry->flags != kCompressed) {
    return fail(error, which + " has flags " + std::to_string(entry->flags) +
                           " (2 stored and 6 compressed are known)");
  }
  *inflatedSize = entry->packedSize;
  if (entry->compressed()) {
    if (length - *at < 4) return fail(error, which + " runs past the directory");
    *inflatedSize = readUint32(directory + *at);
    *at += 4;
  }
  const auto* name = directory + *at;
  const auto* nameEnd = static_cast<const uint8*>(std::memchr(name, 0, length - *at));
  if (!nameEnd) return fail(error, which + "'s name runs past the directory");
  entry->name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(nameEnd - name));
  *at += entry->name.size() + 1;
  if (entry->name.empty()) return fail(error, which + " has an empty name");
  for (char c : entry->name) {
    if (c < 0x20 || c > 0x7E) return fail(error, which + "'s name is not printable ASCII");
  }
  return true;
}

// Checks where the entry's bytes lie and what it claims, and fills in its contents.
bool loadContents(const uint8* bytes, const Frame& frame, uint32 inflatedSize, Entry* entry,
                  std::string* error) {
  std::string named = "entry \"" + entry->name + "\"";
  if (entry->offset < kHeaderSize ||
      static_cast<uint64>(entry->offset) + entry->packedSize > frame.directoryStart) {
    return fail(error, named + " at " + std::to_string(entry->offset) + " with " +
                           std::to_string(entry->packedSize) +
                           " bytes lies outside the data between header and directory");
  }
  if (inflatedSize > SkinPackage::kMaxEntrySize ||
      (entry->compressed() && inflatedSize > kMaxInflateRatio * entry->packedSize)) {
    return fail(error, named + " claims " + std::to_string(inflatedSize) +
                           " bytes, more than its data can hold");
  }
  const uint8* packed = bytes + entry->offset;
  if (!entry->compressed()) {
    entry->data.assign(packed, packed + entry->packedSize);
    return true;
  }
  entry->data.resize(inflatedSize);
  std::string reason;
  if (!inflateEntry(packed, entry->packedSize, &entry->data, &reason)) {
    return fail(error, named.append(" ").append(reason));
  }
  return true;
}

}  // namespace

bool SkinPackage::read(const void* data, size_t size, std::string* error) {
  identifier_.clear();
  entries_.clear();
  const auto* bytes = static_cast<const uint8*>(data);
  Frame frame;
  if (!readFrame(bytes, size, &frame, error)) return false;
  const uint8* directory = bytes + frame.directoryStart;
  size_t at = 0;
  std::vector<Entry> entries;
  entries.reserve(frame.count);
  std::set<std::string, std::less<>> names;
  for (uint32 index = 0; index < frame.count; ++index) {
    Entry entry;
    uint32 inflatedSize = 0;
    if (!readRecord(directory, frame.directoryLength, &at, "entry " + std::to_string(index + 1),
                    &entry, &inflatedSize, error)) {
      return false;
    }
    if (!names.insert(entry.name).second) {
      return fail(error, "entry \"" + entry.name + "\" is there twice");
    }
    if (!loadContents(bytes, frame, inflatedSize, &entry, error)) return false;
    entries.push_back(std::move(entry));
  }
  if (at != frame.directoryLength) {
    return fail(error, "the directory's length is " + std::to_string(frame.directoryLength) +
                           " but its " + std::to_string(frame.count) + " entries take " +
                           std::to_string(at));
  }
  identifier_.assign(reinterpret_cast<const char*>(frame.trailer), kIdentifierLength);
  entries_ = std::move(entries);
  return true;
}

const SkinPackage::Entry* SkinPackage::find(std::string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace QentSim
