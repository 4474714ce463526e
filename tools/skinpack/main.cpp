// skinpack SKIN_FOLDER OUTPUT: packs the folder's images (*.png, by name) and then its
// skin.xml into one skin package. Other files in the folder are left out. The output is
// written under a temporary name and renamed, so an interrupted build never leaves a partial
// package behind. Exit code 0 on success, 1 on failure (with the reason on stderr), 2 for a
// wrong command line.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "tools/skinpack/SkinPackWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDescription = "skin.xml";

bool readFile(const fs::path& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  fs::path part = path;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + part.string();
      return false;
    }
  }
  std::error_code failure;
  fs::rename(part, path, failure);
  if (failure) {
    *error = "cannot rename " + part.string() + " to " + path.string() + ": " + failure.message();
    return false;
  }
  return true;
}

bool pack(const fs::path& folder, const fs::path& output, std::string* error) {
  std::error_code failure;
  std::vector<std::string> images;
  for (const fs::directory_entry& item : fs::directory_iterator(folder, failure)) {
    if (item.is_regular_file() && item.path().extension() == ".png") {
      images.push_back(item.path().filename().string());
    }
  }
  if (failure) {
    *error = "cannot list " + folder.string() + ": " + failure.message();
    return false;
  }
  std::sort(images.begin(), images.end());

  QentTools::SkinPackWriter writer;
  std::vector<std::string> names = images;
  names.emplace_back(kDescription);
  for (const std::string& name : names) {
    std::vector<uint8_t> bytes;
    if (!readFile(folder / name, &bytes)) {
      *error = "cannot read " + (folder / name).string();
      return false;
    }
    writer.add(name, bytes);
  }
  std::vector<uint8_t> package;
  return writer.build(&package, error) && writeFile(output, package, error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skinpack SKIN_FOLDER OUTPUT\n");
    return 2;
  }
  std::string error;
  if (!pack(argv[1], argv[2], &error)) {
    std::fprintf(stderr, "skinpack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
