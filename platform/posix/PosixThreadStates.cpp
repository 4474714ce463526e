// Threads at rest on Linux: /proc/self/task/TID/stat and .../schedstat of every thread but the
// caller, read twice.
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ProcThreadStat.h"

namespace Brennholt::Platform {

namespace {

// The whole (small) file at `path`, empty when it cannot be read.
std::string readSmallFile(const std::string& path) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) text.assign(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return text;
}

std::vector<long> otherThreads() {
  std::vector<long> tids;
  const long self = ::syscall(SYS_gettid);
  DIR* dir = ::opendir("/proc/self/task");
  if (dir == nullptr) return tids;
  while (const dirent* entry = ::readdir(dir)) {
    const long tid = std::strtol(entry->d_name, nullptr, 10);
    if (tid > 0 && tid != self) tids.push_back(tid);
  }
  ::closedir(dir);
  return tids;
}

Proc::ThreadReading readThread(long tid) {
  Proc::ThreadReading reading;
  const std::string base = "/proc/self/task/" + std::to_string(tid);
  const std::string stat = readSmallFile(base + "/stat");
  if (stat.empty()) {
    // Gone since the listing: it ended, which is rest.
    reading.read = true;
    reading.state = 'X';
    return reading;
  }
  reading.state = Proc::stateOf(stat);
  reading.read = Proc::runsOfSchedstat(readSmallFile(base + "/schedstat"), &reading.runs);
  return reading;
}

}  // namespace

ThreadsAtRest otherThreadsAtRest() {
  if (::access("/proc/self/task", R_OK) != 0) return ThreadsAtRest::kUnknown;
  const std::vector<long> tids = otherThreads();
  std::vector<Proc::ThreadReading> first;
  std::vector<Proc::ThreadReading> second;
  for (long tid : tids) first.push_back(readThread(tid));
  for (long tid : tids) second.push_back(readThread(tid));
  for (const Proc::ThreadReading& r : first) {
    if (!r.read) return ThreadsAtRest::kUnknown;
  }
  // A thread started since the listing is caught by the next call.
  return Proc::restedThroughout(first, second) && otherThreads() == tids ? ThreadsAtRest::kYes
                                                                         : ThreadsAtRest::kNo;
}

}  // namespace Brennholt::Platform
