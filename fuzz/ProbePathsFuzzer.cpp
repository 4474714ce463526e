// plugprobe's rules for its paths, on a folder of real files: whatever plug-in, list and dump
// paths it is given, a probe ends with one of its exit codes, never writes over the plug-in (in
// any spelling or through a link), leaves directories and FIFOs as they were, leaves no
// temporary file behind, and touches the list path only when it has a list to write: then the
// path holds that list, or nothing when it cannot be written.
//
// Input: the plug-in, list and dump paths, separated by zero bytes. Each is taken relative to the
// folder below; an empty one stays empty (an empty argument, or no dump). A path with ".." is
// skipped, so the probe never reaches outside the folder. The folder is made afresh for every
// input:
//   Plug.dll      link to a copy of the stand-in instrument (outside the folder)
//   Copy/Plug.dll another name of that copy (a hard link)
//   Text.dll, Text.hox3, Enfolder.dll  files that are not modules
//   Folder.dll/   a directory holding list.txt
//   Pipe.dll      a FIFO
//   list.txt      a list left by an earlier probe
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "finder/CInstrumentInfoFinder.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOldList = "1\r\nEarlier\r\n0\r\n";

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// What a path names, seen without opening it.
struct Seen {
  bool exists = false;
  mode_t type = 0;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  std::optional<std::string> content;  // of a regular file
};

Seen look(const std::string& path) {
  Seen seen;
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0) return seen;
  seen = {true, info.st_mode & S_IFMT, info.st_dev, info.st_ino, info.st_size, info.st_mtim, {}};
  // Lists are small; the plug-in is judged by its size and time alone.
  if (S_ISREG(info.st_mode) && info.st_size < 4096) seen.content = readFile(path);
  return seen;
}

bool sameFile(const Seen& a, const Seen& b) {
  return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

struct Fixture {
  fs::path root;
  fs::path box;
  fs::path plugin;  // the copy every link leads to
  Seen pluginBefore;

  Fixture() {
    // In memory where there is such a file system: the folder is made afresh for every input.
    std::string pattern = std::string(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
                          "/fuzz-probe-paths-XXXXXX";
    if (!mkdtemp(pattern.data())) fail("cannot make a folder");
    root = pattern;
    box = root / "box";
    plugin = root / "lib" / "Plug.dll";
    fs::create_directories(plugin.parent_path());
    fs::copy_file(DESCRIBED_PLUGIN_PATH, plugin);
    pluginBefore = look(plugin.string());
    // Held for the whole run, so that the probes find it loaded instead of mapping it anew.
    if (!Brennholt::Platform::loadModule(plugin.c_str())) fail("cannot load the stand-in");
  }
  ~Fixture() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void makeBox() {
    fs::remove_all(box);
    fs::create_directories(box / "Copy");
    fs::create_directories(box / "Folder.dll");
    fs::create_symlink(plugin, box / "Plug.dll");
    fs::create_hard_link(plugin, box / "Copy" / "Plug.dll");
    writeFile(box / "Text.dll", "not a module");
    writeFile(box / "Text.hox3", "not a module");
    writeFile(box / "Enfolder.dll", "not a module");
    writeFile(box / "Folder.dll" / "list.txt", kOldList);
    writeFile(box / "list.txt", kOldList);
    if (mkfifo((box / "Pipe.dll").c_str(), 0600) != 0) fail("cannot make a FIFO");
  }
};

// No temporary file of the writer anywhere in the folder. The outputs themselves may carry any
// name, the writer's prefix included.
void checkNoLeftovers(const fs::path& box, const std::string& listPath,
                      const std::string& dumpPath) {
  for (const fs::directory_entry& item : fs::recursive_directory_iterator(box)) {
    std::error_code ignored;
    if (fs::equivalent(item.path(), listPath, ignored) ||
        fs::equivalent(item.path(), dumpPath, ignored))
      continue;
    if (item.path().filename().string().rfind(".plugprobe-", 0) == 0) fail("temporary file left");
  }
}

// An argument: empty stays empty, anything else lies inside the folder; nullopt skips the input.
std::optional<std::string> argument(std::string_view text, const fs::path& box) {
  if (text.empty()) return std::string();
  if (text.find("..") != std::string_view::npos || text.size() > 300) return std::nullopt;
  return box.string() + "/" + std::string(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view fields[3];
  for (std::string_view& field : fields) {
    size_t end = input.find('\0');
    field = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  std::optional<std::string> pluginPath = argument(fields[0], fixture.box);
  std::optional<std::string> listPath = argument(fields[1], fixture.box);
  std::optional<std::string> dumpPath = argument(fields[2], fixture.box);
  if (!pluginPath || !listPath || !dumpPath) return 0;

  fixture.makeBox();
  const Seen plugin = look(*pluginPath);
  const Seen listBefore = look(*listPath);
  const Seen dumpBefore = look(*dumpPath);
  const Seen folderBefore = look((fixture.box / "Folder.dll").string());

  Brennholt::Hox::CInstrumentInfoFinder finder(listPath->c_str(), dumpPath->c_str());
  const int code = finder.run(pluginPath->c_str());

  if (code < 0 || code > 8) fail("exit code outside the documented ones");
  Seen pluginAfter = look(fixture.plugin.string());
  if (pluginAfter.size != fixture.pluginBefore.size ||
      pluginAfter.modified.tv_sec != fixture.pluginBefore.modified.tv_sec ||
      pluginAfter.modified.tv_nsec != fixture.pluginBefore.modified.tv_nsec)
    fail("the plug-in was written");
  if ((sameFile(plugin, listBefore) || sameFile(plugin, dumpBefore)) && code != 4)
    fail("an output naming the plug-in was not refused");
  if (look((fixture.box / "Pipe.dll").string()).type != S_IFIFO) fail("the FIFO was replaced");
  Seen folderAfter = look((fixture.box / "Folder.dll").string());
  if (folderAfter.type != S_IFDIR || folderAfter.inode != folderBefore.inode)
    fail("the directory was replaced");

  const Seen listAfter = look(*listPath);
  const bool listWritten = code == 0 || code == 2;
  if (!listWritten || listBefore.type == S_IFDIR || listBefore.type == S_IFIFO) {
    // Nothing to write, or nothing that may be written over: the path is as it was.
    if (listAfter.exists != listBefore.exists || listAfter.type != listBefore.type ||
        listAfter.content != listBefore.content)
      fail("the list path changed without a list");
  } else if (listAfter.exists) {
    if (listAfter.type != S_IFREG || !listAfter.content ||
        listAfter.content->rfind("1\r\n", 0) != 0)
      fail("the list path holds no list");
    if (listBefore.exists && listAfter.inode == listBefore.inode &&
        listAfter.content == listBefore.content)
      fail("the earlier list was kept as this one's");
  }
  checkNoLeftovers(fixture.box, *listPath, *dumpPath);
  return 0;
}
