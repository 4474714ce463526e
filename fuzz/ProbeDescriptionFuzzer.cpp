// plugprobe's copy of a single-entry plug-in's embedded XML description: the input becomes the
// resource table of a loaded stand-in instrument, and a whole probe runs on it with a list and a
// dump path. The dump must then hold exactly the bytes of the first entry of type "HOXXML" (any
// ASCII case) and name "#1" (leading zeros allowed), or not exist when there is no such entry or
// it is empty; the list must always be written.
//
// Input: up to 16 entries, each a type line, a name line (ended by \n; a name that is the single
// byte FF stands for a null name), a 16-bit little-endian size and that many data bytes (fewer
// when the input ends).
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "finder/CInstrumentInfoFinder.h"
#include "platform/Platform.h"

using namespace Brennholt;

namespace {

struct Entry {
  std::string type;
  std::optional<std::string> name;
  std::string data;
};

std::vector<Entry> decode(std::string_view input) {
  std::vector<Entry> entries;
  auto line = [&input](std::string* out) {
    size_t end = input.find('\n');
    if (end == std::string_view::npos) return false;
    // The table holds C strings: a zero byte ends the text there.
    std::string_view text = input.substr(0, end);
    out->assign(text.substr(0, text.find('\0')));
    input.remove_prefix(end + 1);
    return true;
  };
  while (entries.size() < 16) {
    Entry entry;
    std::string name;
    if (!line(&entry.type) || !line(&name) || input.size() < 2) break;
    if (name != "\xff") entry.name = name;
    size_t size =
        static_cast<uint8_t>(input[0]) | static_cast<size_t>(static_cast<uint8_t>(input[1])) << 8;
    input.remove_prefix(2);
    entry.data.assign(input.substr(0, size));
    input.remove_prefix(entry.data.size());
    entries.push_back(std::move(entry));
  }
  return entries;
}

// Written apart from the platform's own comparison, so that the two check each other.
bool isDescriptionType(const std::string& type) {
  static constexpr std::string_view kType = "HOXXML";
  if (type.size() != kType.size()) return false;
  for (size_t i = 0; i < type.size(); ++i) {
    char c = type[i] >= 'a' && type[i] <= 'z' ? static_cast<char>(type[i] - 32) : type[i];
    if (c != kType[i]) return false;
  }
  return true;
}

bool isDescriptionName(const std::optional<std::string>& name) {
  if (!name || name->size() < 2 || (*name)[0] != '#' || name->back() != '1') return false;
  return name->find_first_not_of('0', 1) == name->size() - 1;
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Fixture {
  Platform::ModuleHandle module = Platform::loadModule(DESCRIBED_PLUGIN_PATH);
  HoxResourceEntry* table =
      module ? static_cast<HoxResourceEntry*>(Platform::findExport(module, "hoxResourceTable"))
             : nullptr;
  std::string folder;
  Fixture() {
    char pattern[] = "/tmp/fuzz-probe-description-XXXXXX";
    if (!table || !mkdtemp(pattern)) {
      std::fprintf(stderr, "cannot prepare %s\n", DESCRIBED_PLUGIN_PATH);
      std::abort();
    }
    folder = pattern;
  }
  ~Fixture() {
    std::remove((folder + "/list.txt").c_str());
    std::remove((folder + "/dump.xml").c_str());
    rmdir(folder.c_str());
  }
};

// Nothing but the two outputs may be left in the folder (no temporary file of the writer).
void checkFolderHoldsOnly(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) std::abort();
  while (dirent* item = readdir(dir)) {
    std::string_view name = item->d_name;
    if (name != "." && name != ".." && name != "list.txt" && name != "dump.xml") std::abort();
  }
  closedir(dir);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  std::vector<Entry> entries = decode(std::string_view(reinterpret_cast<const char*>(data), size));
  for (size_t i = 0; i < entries.size(); ++i) {
    fixture.table[i] = {entries[i].type.c_str(),
                        entries[i].name ? entries[i].name->c_str() : nullptr,
                        entries[i].data.data(), static_cast<uint32>(entries[i].data.size())};
  }
  fixture.table[entries.size()] = {nullptr, nullptr, nullptr, 0};

  const std::string list = fixture.folder + "/list.txt";
  const std::string dump = fixture.folder + "/dump.xml";
  std::remove(list.c_str());
  std::remove(dump.c_str());
  Hox::CInstrumentInfoFinder finder(list.c_str(), dump.c_str());
  if (finder.run(DESCRIBED_PLUGIN_PATH) != Hox::kExitDone) std::abort();
  fixture.table[0] = {nullptr, nullptr, nullptr, 0};

  const Entry* expected = nullptr;
  for (const Entry& entry : entries) {
    if (isDescriptionType(entry.type) && isDescriptionName(entry.name)) {
      expected = &entry;
      break;
    }
  }
  std::optional<std::string> dumped = readFile(dump);
  if (expected && !expected->data.empty()) {
    if (!dumped || *dumped != expected->data) std::abort();
  } else if (dumped) {
    std::abort();
  }
  std::optional<std::string> written = readFile(list);
  if (!written || written->rfind("1\r\nDescribedInstrument\r\n3\r\n", 0) != 0) std::abort();
  checkFolderHoldsOnly(fixture.folder);
  return 0;
}
