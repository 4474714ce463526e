// Threads at rest on Windows. The system's process information gives each thread's state and
// how often it was switched to (NtQuerySystemInformation). Wine answers that without states,
// but its threads are Linux threads: there the answer comes from /proc through the Z: drive,
// as on Linux, with the wine server's state read in between, since it carries out the threads'
// waits and signals. Wine opens files in the server, so /proc/self would name the server: this
// process is found once by a thread name (SetThreadDescription reaches the Linux thread name), and
// every file is opened once and read again at offset 0 (reads of an open file do not involve the
// server, so reading does not wake what it watches).
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ProcThreadStat.h"

namespace Brennholt::Platform {

namespace {

// ---------------------------------------------------------------- Windows

// The records of NtQuerySystemInformation(SystemProcessInformation), as far as read here.
struct SystemThread {
  LARGE_INTEGER kernelTime, userTime, createTime;
  ULONG waitTime;
  PVOID startAddress;
  CLIENT_ID clientId;
  LONG priority, basePriority;
  ULONG contextSwitches;
  ULONG state;
  ULONG waitReason;
};
struct SystemProcess {
  ULONG nextEntryOffset;
  ULONG threadCount;
  LARGE_INTEGER reserved[3];
  LARGE_INTEGER createTime, userTime, kernelTime;
  UNICODE_STRING imageName;
  LONG basePriority;
  HANDLE processId;
  HANDLE parentProcessId;
  ULONG handleCount;
  ULONG sessionId;
  ULONG_PTR pageDirectoryBase;
  SIZE_T memory[11];
  SIZE_T privatePageCount;
  LARGE_INTEGER io[6];
  SystemThread threads[1];
};
constexpr ULONG kSystemProcessInformation = 5;
constexpr ULONG kThreadWaiting = 5;
constexpr ULONG kThreadTerminated = 4;
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// This process's threads but the caller, as (state, switches); false when unknown.
bool readWindowsThreads(QuerySystemInformation query, std::vector<Proc::ThreadReading>* out) {
  std::vector<unsigned char> buffer(256 * 1024);
  ULONG needed = 0;
  LONG status = 0;
  while ((status = query(kSystemProcessInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004L)) {  // the buffer is too small
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  if (status < 0) return false;
  const DWORD self = GetCurrentProcessId();
  const DWORD caller = GetCurrentThreadId();
  std::size_t at = 0;
  for (;;) {
    const auto* process = reinterpret_cast<const SystemProcess*>(buffer.data() + at);
    if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->processId)) == self) {
      for (ULONG i = 0; i < process->threadCount; ++i) {
        const SystemThread& t = process->threads[i];
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(t.clientId.UniqueThread)) == caller)
          continue;
        Proc::ThreadReading r;
        r.read = true;
        r.state = t.state == kThreadWaiting || t.state == kThreadTerminated ? 'S' : 'R';
        r.runs = t.contextSwitches;
        out->push_back(r);
      }
      return true;
    }
    if (process->nextEntryOffset == 0) return false;
    at += process->nextEntryOffset;
  }
}

ThreadsAtRest windowsThreadsAtRest(QuerySystemInformation query) {
  std::vector<Proc::ThreadReading> first;
  std::vector<Proc::ThreadReading> second;
  if (!readWindowsThreads(query, &first) || !readWindowsThreads(query, &second))
    return ThreadsAtRest::kUnknown;
  return Proc::restedThroughout(first, second) ? ThreadsAtRest::kYes : ThreadsAtRest::kNo;
}

// ---------------------------------------------------------------- Wine

// A /proc file kept open and read again from its start.
class ProcFile {
 public:
  explicit ProcFile(const std::wstring& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
  ~ProcFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  ProcFile(const ProcFile&) = delete;
  ProcFile& operator=(const ProcFile&) = delete;

  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
  // The file's text now; empty when it cannot be read (the thread is gone).
  std::string read() const {
    std::string text;
    if (!open()) return text;
    char buffer[1024];
    OVERLAPPED at = {};
    DWORD n = 0;
    if (ReadFile(handle_, buffer, sizeof buffer, &n, &at) && n > 0) text.assign(buffer, n);
    return text;
  }

 private:
  HANDLE handle_;
};

std::wstring procPath(const std::wstring& rest) { return L"Z:\\proc\\" + rest; }

std::string readOnce(const std::wstring& path) { return ProcFile(path).read(); }

// The numeric entries of a /proc folder.
std::vector<std::wstring> numericEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.cFileName[0] >= L'0' && found.cFileName[0] <= L'9') names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::string firstLine(std::string text) {
  const std::size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  return text;
}

// The state of a watched thread that has ended.
constexpr char kGone = 'X';

// One watched Linux thread: its stat and schedstat, open.
struct WatchedThread {
  explicit WatchedThread(const std::wstring& base)
      : stat(base + L"\\stat"), schedstat(base + L"\\schedstat") {}
  Proc::ThreadReading read() const {
    Proc::ThreadReading r;
    const std::string text = stat.read();
    if (text.empty()) {
      r.read = true;
      r.state = kGone;
      return r;
    }
    r.state = Proc::stateOf(text);
    r.read = Proc::runsOfSchedstat(schedstat.read(), &r.runs);
    return r;
  }
  ProcFile stat;
  ProcFile schedstat;
};

class WineThreads {
 public:
  ThreadsAtRest atRest() {
    std::lock_guard<std::mutex> hold(lock_);
    const std::wstring caller = callerTask();
    if (caller.empty()) return ThreadsAtRest::kUnknown;
    if (servers_.empty()) findServers();
    if (processStat_ == nullptr || caller != watchedCaller_ ||
        Proc::threadCountOf(processStat_->read()) != static_cast<int>(threads_.size()) + 1) {
      watch(caller);
      return ThreadsAtRest::kNo;  // read again from the new set on the next call
    }
    std::vector<Proc::ThreadReading> first;
    std::vector<Proc::ThreadReading> second;
    for (const auto& t : threads_) first.push_back(t->read());
    // Between the two readings the server must sleep too: a thread blocked on a request the
    // server has not answered yet looks asleep, but then the server is awake with the request.
    // Other processes of the same server may keep it busy for a moment; never for long.
    bool serversAsleep = true;
    for (const auto& t : servers_) serversAsleep = serversAsleep && Proc::atRest(t->read().state);
    for (const auto& t : threads_) second.push_back(t->read());
    for (const Proc::ThreadReading& r : first) {
      if (!r.read) return ThreadsAtRest::kUnknown;
    }
    // A thread that ended may have made room for a new one without changing the count: look
    // again from the start.
    for (const auto* readings : {&first, &second}) {
      for (const Proc::ThreadReading& r : *readings) {
        if (r.state == kGone) {
          watch(caller);
          return ThreadsAtRest::kNo;
        }
      }
    }
    return serversAsleep && Proc::restedThroughout(first, second) ? ThreadsAtRest::kYes
                                                                  : ThreadsAtRest::kNo;
  }

 private:
  // The Linux thread of the calling thread ("PID\task\TID"), found by naming it; empty when it
  // cannot be found.
  std::wstring callerTask() {
    thread_local std::wstring known;
    if (!known.empty()) return known;
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
    auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetThreadDescription")));
    if (set == nullptr) return known;
    std::wstring before;
    PWSTR old = nullptr;
    if (get != nullptr && SUCCEEDED(get(GetCurrentThread(), &old)) && old != nullptr) {
      before = old;
      LocalFree(old);
    }
    // At most 15 characters reach the Linux name.
    wchar_t marker[16];
    std::swprintf(marker, 16, L"qt%05lx%08lx", GetCurrentProcessId() & 0xFFFFF,
                  static_cast<unsigned long>(GetTickCount64() ^ GetCurrentThreadId()));
    set(GetCurrentThread(), marker);
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, "%ls", marker);
    for (const std::wstring& pid : numericEntries(L"Z:\\proc")) {
      if (!pid_.empty() && pid != pid_) continue;
      for (const std::wstring& tid : numericEntries(procPath(pid + L"\\task"))) {
        if (firstLine(readOnce(procPath(pid + L"\\task\\" + tid + L"\\comm"))) == wanted) {
          pid_ = pid;
          known = pid + L"\\task\\" + tid;
          break;
        }
      }
      if (!known.empty()) break;
    }
    if (before.empty()) {
      // Wine keeps no description of its own; the Linux name was the program's file name.
      wchar_t path[MAX_PATH];
      const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
      const wchar_t* name = path;
      for (DWORD i = 0; i < n; ++i) {
        if (path[i] == L'\\' || path[i] == L'/') name = path + i + 1;
      }
      before = n > 0 ? name : L"";
    }
    set(GetCurrentThread(), before.c_str());
    return known;
  }

  void findServers() {
    for (const std::wstring& pid : numericEntries(L"Z:\\proc")) {
      if (firstLine(readOnce(procPath(pid + L"\\comm"))).rfind("wineserver", 0) == 0)
        servers_.push_back(std::make_unique<WatchedThread>(procPath(pid)));
    }
  }

  void watch(const std::wstring& caller) {
    threads_.clear();
    watchedCaller_ = caller;
    processStat_ = std::make_unique<ProcFile>(procPath(pid_ + L"\\stat"));
    for (const std::wstring& tid : numericEntries(procPath(pid_ + L"\\task"))) {
      const std::wstring task = pid_ + L"\\task\\" + tid;
      if (task != caller) threads_.push_back(std::make_unique<WatchedThread>(procPath(task)));
    }
  }

  std::mutex lock_;
  std::wstring pid_;
  std::wstring watchedCaller_;
  std::unique_ptr<ProcFile> processStat_;
  std::vector<std::unique_ptr<WatchedThread>> threads_;
  std::vector<std::unique_ptr<WatchedThread>> servers_;
};

}  // namespace

ThreadsAtRest otherThreadsAtRest() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return ThreadsAtRest::kUnknown;
  if (GetProcAddress(ntdll, "wine_get_version") != nullptr) {
    static WineThreads wine;
    return wine.atRest();
  }
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  return query != nullptr ? windowsThreadsAtRest(query) : ThreadsAtRest::kUnknown;
}

}  // namespace Brennholt::Platform
