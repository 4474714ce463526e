// The host's reader refuses damaged packages with the reason, and keeps nothing of them.
#include "sim/skin/SkinPackage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/tools/SkinTestFiles.h"
#include "tools/skinpack/SkinPackWriter.h"

using QentSim::SkinPackage;

namespace {

using Bytes = std::vector<uint8_t>;

// Two entries: "a.png" stored, then "skin.xml" compressed.
Bytes samplePackage() {
  QentTools::SkinPackWriter writer;
  writer.add("a.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  writer.add("skin.xml", Bytes(400, '<'));
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(writer.build(&bytes, &error)) << error;
  return bytes;
}

void put(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

// Where the directory starts, and its records: a.png at +0 (name at +12), skin.xml at +18
// (inflated size at +30, name at +34).
size_t directoryStart(const Bytes& bytes) {
  return bytes.size() - 48 - SkinTest::uint32At(bytes, bytes.size() - 16);
}

// Reads the damaged bytes into a package that held a good one; expects a refusal that says
// what reason says, and nothing kept.
void expectRefused(const Bytes& bytes, const std::string& reason) {
  Bytes good = samplePackage();
  SkinPackage package;
  std::string error;
  ASSERT_TRUE(package.read(good.data(), good.size(), &error)) << error;
  EXPECT_FALSE(package.read(bytes.data(), bytes.size(), &error));
  EXPECT_EQ(error.rfind("skin package damaged: ", 0), 0u) << error;
  EXPECT_NE(error.find(reason), std::string::npos) << error;
  EXPECT_TRUE(package.entries().empty());
  EXPECT_TRUE(package.identifier().empty());
  EXPECT_EQ(package.find("a.png"), nullptr);
}

Bytes damaged(const std::function<void(Bytes&)>& change) {
  Bytes bytes = samplePackage();
  change(bytes);
  return bytes;
}

struct Record {
  uint32_t flags;
  Bytes data;
  uint32_t inflated;  // compressed records only
  std::string name;
};

// A package laid out from the records as given, whatever they say, with a sound trailer.
Bytes assemble(const std::vector<Record>& records) {
  Bytes out = {'B', 'r', 'e', 'n', 'n', 'h', 'o', 'l', 't', ' ', 'R',  'e', 's',
               'o', 'u', 'r', 'c', 'e', ' ', 'F', 'i', 'l', 'e', '\r', '\n'};
  Bytes directory(0);
  for (const Record& record : records) {
    const size_t at = directory.size();
    directory.resize(at + (record.flags == SkinPackage::kCompressed ? 16 : 12));
    put(directory, at, record.flags);
    put(directory, at + 4, static_cast<uint32_t>(out.size()));
    put(directory, at + 8, static_cast<uint32_t>(record.data.size()));
    if (record.flags == SkinPackage::kCompressed) put(directory, at + 12, record.inflated);
    directory.insert(directory.end(), record.name.begin(), record.name.end());
    directory.push_back(0);
    out.insert(out.end(), record.data.begin(), record.data.end());
  }
  out.insert(out.end(), directory.begin(), directory.end());
  const std::string identifier(32, 'A');
  out.insert(out.end(), identifier.begin(), identifier.end());
  out.resize(out.size() + 12);
  put(out, out.size() - 12, static_cast<uint32_t>(directory.size()));
  put(out, out.size() - 8, static_cast<uint32_t>(records.size()));
  put(out, out.size() - 4, 48);
  out.insert(out.end(), {'S', 'R', 'F', '2'});
  return out;
}

Bytes zlibStream(const Bytes& data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  Bytes stream(length);
  if (compress2(stream.data(), &length, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
    return {};
  stream.resize(length);
  return stream;
}

}  // namespace

TEST(SkinPackage, ReadsWhatTheWriterWrote) {
  Bytes bytes = samplePackage();
  SkinPackage package;
  std::string error;
  ASSERT_TRUE(package.read(bytes.data(), bytes.size(), &error)) << error;
  const SkinPackage::Entry* xml = package.find("skin.xml");
  ASSERT_NE(xml, nullptr);
  EXPECT_TRUE(xml->compressed());
  EXPECT_TRUE(xml->data == Bytes(400, '<'));
  EXPECT_EQ(package.find("SKIN.XML"), nullptr) << "names compare exactly";
}

TEST(SkinPackage, TruncatedPackagesAreRefusedAtEveryLength) {
  Bytes bytes = samplePackage();
  for (size_t length = 0; length < bytes.size(); ++length) {
    SkinPackage package;
    std::string error;
    EXPECT_FALSE(package.read(bytes.data(), length, &error)) << length;
  }
  SkinPackage package;
  std::string error;
  EXPECT_FALSE(package.read(nullptr, 100, &error));
  expectRefused(Bytes(bytes.begin(), bytes.begin() + 72), "fewer than");
}

TEST(SkinPackage, HeaderAndTrailerAreChecked) {
  expectRefused(damaged([](Bytes& b) { b[9] = '_'; }), "does not start with");
  expectRefused(damaged([](Bytes& b) { b.back() = '3'; }), "does not end with \"SRF2\"");
  expectRefused(damaged([](Bytes& b) { put(b, b.size() - 8, 44); }), "instead of 48");
  expectRefused(damaged([](Bytes& b) { b[b.size() - 48] = 'a'; }), "identifier");
  // A package with something appended no longer ends in its trailer.
  expectRefused(damaged([](Bytes& b) { b.push_back(0); }), "SRF2");
}

TEST(SkinPackage, DirectoryLengthAndCountMustMatchTheRecords) {
  const size_t lengthAt = samplePackage().size() - 16;
  // The directory is found from the end: a wrong length reads records from the wrong place.
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt, SkinTest::uint32At(b, lengthAt) + 1); }),
                "has flags");
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt, SkinTest::uint32At(b, lengthAt) - 1); }),
                "");
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt, 0xFFFFFFF0u); }),
                "before the end of the header");
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt + 4, 1); }), "entries take");
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt + 4, 3); }), "runs past the directory");
  expectRefused(damaged([&](Bytes& b) { put(b, lengthAt + 4, 0x40000000u); }), "cannot hold");
}

TEST(SkinPackage, RecordsMustStayInsideTheirPlaces) {
  // Offsets and sizes outside the data between header and directory.
  expectRefused(damaged([](Bytes& b) { put(b, directoryStart(b) + 4, 24); }), "lies outside");
  expectRefused(damaged([](Bytes& b) { put(b, directoryStart(b) + 4, 0xFFFFFFFFu); }),
                "lies outside");
  expectRefused(damaged([](Bytes& b) { put(b, directoryStart(b) + 8, 0xFFFFFFFFu); }),
                "lies outside");
  // The compressed entry reaching one byte into the directory.
  expectRefused(damaged([](Bytes& b) {
                  const size_t d = directoryStart(b);
                  put(b, d + 26, SkinTest::uint32At(b, d + 26) + 1);
                }),
                "lies outside");
  expectRefused(damaged([](Bytes& b) { put(b, directoryStart(b), 3); }), "has flags 3");
  expectRefused(damaged([](Bytes& b) { b[b.size() - 49] = 'x'; }), "name runs past");
  expectRefused(damaged([](Bytes& b) { b[directoryStart(b) + 12] = 0; }), "empty name");
  expectRefused(damaged([](Bytes& b) { b[directoryStart(b) + 12] = 0xE9; }), "not printable ASCII");
  expectRefused(
      assemble({{SkinPackage::kStored, {1}, 0, "a.png"}, {SkinPackage::kStored, {2}, 0, "a.png"}}),
      "\"a.png\" is there twice");
}

TEST(SkinPackage, DamagedCompressedDataIsRefused) {
  const Bytes stream = zlibStream(Bytes(400, '<'));
  auto compressedEntry = [](const Bytes& data, uint32_t inflated) {
    return assemble({{SkinPackage::kStored, {1, 2, 3}, 0, "a.png"},
                     {SkinPackage::kCompressed, data, inflated, "skin.xml"}});
  };
  ASSERT_FALSE(stream.empty());
  {
    Bytes good = compressedEntry(stream, 400);
    SkinPackage package;
    std::string error;
    ASSERT_TRUE(package.read(good.data(), good.size(), &error)) << "the assembly is sound";
  }
  Bytes badHeader = stream;
  badHeader[0] ^= 1;
  expectRefused(compressedEntry(badHeader, 400), "not a valid zlib stream");
  Bytes badCheck = stream;
  badCheck.back() ^= 1;
  expectRefused(compressedEntry(badCheck, 400), "not a valid zlib stream");
  expectRefused(compressedEntry(stream, 399), "more than 399");
  expectRefused(compressedEntry(stream, 401), "instead of 401");
  expectRefused(compressedEntry(stream, 0x7FFFFFFFu), "claims");
  expectRefused(compressedEntry(Bytes(stream.begin(), stream.end() - 3), 400), "ends before");
  Bytes extra = stream;
  extra.push_back(0);
  expectRefused(compressedEntry(extra, 400), "bytes after the end");
  expectRefused(compressedEntry({}, 0), "ends before");
}
