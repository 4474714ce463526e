// plugprobe on the files a scan of a real plug-in folder meets: modules cut short, FIFOs and
// other paths that are not regular files, output paths that name the plug-in itself, and outputs
// that cannot be written. Each run ends with its exit code, and nothing but the named output is
// ever touched.
#include <cctype>
#include <filesystem>
#include <tuple>

#include "tests/finder/ProbeRunHarness.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using ProbeRun::crlfLines;
using ProbeRun::separator;

const std::vector<std::string> kTripwireList = {"1", "Tripwire", "1", "4201", "Armed", "0"};
const std::vector<std::string> kChoirList = {"1",    "Choir",  "3", "10004202", "Bypass", "0",
                                             "4201", "Breath", "0", "4202",     "Vowel",  "0"};

class ProbeRunHostileFiles : public ProbeRun::ProbeRunTest {
 protected:
  // A FIFO with nothing at its other end. Natively one is made in the work folder; Wine cannot
  // make one, so the Windows build uses those its build made beside the stand-ins.
  std::string fifo(const std::string& name) {
#ifdef _WIN32
    return plugin("fifo/" + name);
#else
    std::string path = work(name);
    EXPECT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
    return path;
#endif
  }

  static bool isFifo(const std::string& path) {
#ifdef _WIN32
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_PIPE;
#else
    return fs::is_fifo(path);
#endif
  }
};

TEST_F(ProbeRunHostileFiles, ModulesCutShortCannotBeLoaded) {
  // A partial download: cut anywhere, a component module ends with 7, a single-entry one with 5.
  for (const auto& [standIn, cutName, code] :
       {std::tuple{"Tripwire.hox3", "Cut.hox3", 7}, std::tuple{"Choir.dll", "Cut.dll", 5}}) {
    std::optional<std::string> whole = readFile(plugin(standIn));
    ASSERT_TRUE(whole && whole->size() > 4096) << standIn;
    std::vector<size_t> cuts = {1024, whole->size() / 4, whole->size() / 2};
#ifndef _WIN32
    // Only the section headers are missing: the loader does not need them, but the file is cut.
    cuts.push_back(whole->size() - 1);
#endif
    for (size_t cut : cuts) {
      writeFile(work(cutName), whole->substr(0, cut));
      EXPECT_EQ(probe({work(cutName), work("out.txt"), work("dump.xml")}), code)
          << standIn << " cut at " << cut;
    }
  }
  EXPECT_FALSE(loaded("Tripwire"));
  EXPECT_EQ(producedFiles(), (std::vector<std::string>{"Cut.dll", "Cut.hox3"}));
}

TEST_F(ProbeRunHostileFiles, PathsThatAreNotRegularFilesAreNeitherLoadedNorWritten) {
  // Opening a FIFO for reading or writing would wait for a peer forever.
  EXPECT_EQ(probe({fifo("Pipe.hox3"), work("out.txt")}), 7);
  EXPECT_EQ(probe({fifo("Pipe.dll"), work("out.txt"), work("dump.xml")}), 5);
  EXPECT_FALSE(exists(work("out.txt")));
  EXPECT_FALSE(exists(work("dump.xml")));

  std::string listPipe = fifo("list.txt");
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), listPipe}), 0);
  EXPECT_TRUE(loaded("Tripwire"));
  EXPECT_TRUE(isFifo(listPipe)) << "the FIFO was replaced";

  std::string dumpPipe = fifo("dump.xml");
  EXPECT_EQ(probe({plugin("Choir.dll"), work("out.txt"), dumpPipe}), 0);
  EXPECT_TRUE(isFifo(dumpPipe)) << "the FIFO was replaced";
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(kChoirList));

  fs::create_directory(work("folder"));
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), work("folder")}), 0);
  EXPECT_EQ(probe({plugin("Choir.dll"), work("out.txt"), work("folder")}), 0);
  EXPECT_TRUE(fs::is_directory(work("folder")));
  EXPECT_TRUE(fs::is_empty(work("folder")));
}

TEST_F(ProbeRunHostileFiles, AnOutputOrDumpPathNamingThePlugInEndsWith4AndTouchesNothing) {
  // Writing there would truncate the module while it is mapped and destroy the user's plug-in.
  fs::copy_file(plugin("Tripwire.hox3"), work("Victim.hox3"));
  fs::copy_file(plugin("Choir.dll"), work("Victim.dll"));
  // A fixed-answer name is never loaded, but its answer would still be written.
  fs::copy_file(plugin("named/Enfolder.hox3"), work("Enfolder.hox3"));
  for (const char* name : {"Victim.hox3", "Victim.dll", "Enfolder.hox3"}) {
    std::string module = work(name);
    std::optional<std::string> bytes = readFile(module);
    std::string other = work(std::string("other-") + name);
    fs::create_hard_link(module, other);
    std::vector<std::string> spellings = {module, work("") + "." + separator() + name, other};
#ifdef _WIN32
    std::string upper = module;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    spellings.push_back(upper);
    std::string slashed = module;
    slashed[slashed.rfind('\\')] = '/';
    spellings.push_back(slashed);
#else
    std::string link = work(std::string("link-") + name);
    fs::create_symlink(module, link);
    spellings.push_back(link);
#endif
    for (const std::string& spelling : spellings) {
      EXPECT_EQ(probe({module, spelling}), 4) << spelling;
      EXPECT_EQ(probe({module, work("out.txt"), spelling}), 4) << spelling;
    }
    EXPECT_EQ(readFile(module), bytes) << name;
  }
  EXPECT_TRUE(trace().empty()) << "a module was loaded";
  EXPECT_FALSE(exists(work("out.txt")));
}

TEST_F(ProbeRunHostileFiles, AnOutputThatCannotBeWrittenLeavesNothingBehind) {
  // A name over the file system's limit, and one in a folder that does not exist: exit 0 as
  // ever, and no temporary file is left in the folder.
  EXPECT_EQ(probe({plugin("Tripwire.hox3"), work(std::string(300, 'n') + ".txt")}), 0);
  EXPECT_EQ(
      probe({plugin("Choir.dll"), work("out.txt"), work("missing") + separator() + "dump.xml"}), 0);
  EXPECT_EQ(producedFiles(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(kChoirList));
}

#ifndef _WIN32
// While this lives, the programs it starts cannot grow a file past `bytes`: their writes fail
// as they would on a full disk (the signal that would end them instead is ignored, which they
// inherit).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST_F(ProbeRunHostileFiles, AFullDiskRemovesTheListOfAnEarlierRun) {
  // A caller that reuses its paths must not read the previous plug-in's files as this one's.
  writeFile(work("out.txt"), crlfLines(kTripwireList));
  writeFile(work("dump.xml"), "<previous/>");
  {
    FileSizeLimit fullDisk(16);
    EXPECT_EQ(probe({plugin("Choir.dll"), work("out.txt"), work("dump.xml")}), 0);
  }
  EXPECT_TRUE(producedFiles().empty());
  // The same run with room to write.
  EXPECT_EQ(probe({plugin("Choir.dll"), work("out.txt"), work("dump.xml")}), 0);
  EXPECT_EQ(readFile(work("out.txt")), crlfLines(kChoirList));
  EXPECT_TRUE(exists(work("dump.xml")));
}

TEST_F(ProbeRunHostileFiles, AReadOnlyFolderEmptiesTheListOfAnEarlierRun) {
  std::string folder = work("locked");
  fs::create_directory(folder);
  std::string out = folder + "/out.txt";
  writeFile(out, crlfLines(kChoirList));
  chmod(folder.c_str(), 0555);
  bool writable = access(folder.c_str(), W_OK) == 0;
  int code = writable ? -1 : probe({plugin("Tripwire.hox3"), out});
  chmod(folder.c_str(), 0755);
  if (writable) GTEST_SKIP() << "this user may write into any folder";
  EXPECT_EQ(code, 0);
  // Neither a new file nor the removal of the old one is allowed there; emptying it is.
  EXPECT_EQ(readFile(out), "");
}
#endif

}  // namespace
