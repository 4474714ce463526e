// Child processes on Windows: CreateProcessA suspended, put into a job object of its own that
// kills its processes when its last handle closes, then resumed; TerminateJobObject ends the tree.
#include <windows.h>

#include <cstdio>

#include "platform/ChildProcess.h"

namespace Brennholt::Platform {

namespace {

// The exit code TerminateJobObject gives the processes it ends.
constexpr UINT kKilledExitCode = 0xDEADu;

struct Win32Process {
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  bool killed = false;
};

// Quotes one argument so that the child's runtime splits it back into exactly this string.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

std::string systemMessage(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

bool isExceptionCode(DWORD code) {
  return (code & 0xF0000000u) == 0xC0000000u || code == 0x80000003u;
}

}  // namespace

ProcessHandle startProcess(const std::string& program, const std::vector<std::string>& arguments,
                           std::string* error) {
  std::string commandLine = quoteArgument(program);
  for (const std::string& argument : arguments) {
    commandLine.push_back(' ');
    commandLine.append(quoteArgument(argument));
  }
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');

  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (!job) {
    if (error) *error = systemMessage(GetLastError());
    return nullptr;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION info{};
  BOOL started =
      CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  DWORD startError = started ? 0 : GetLastError();
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) {
    CloseHandle(job);
    if (error) *error = systemMessage(startError);
    return nullptr;
  }
  // In the job before it runs, so nothing it starts can escape it.
  if (!AssignProcessToJobObject(job, info.hProcess)) {
    DWORD assignError = GetLastError();
    TerminateProcess(info.hProcess, kKilledExitCode);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(job);
    if (error) *error = systemMessage(assignError);
    return nullptr;
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  auto* process = new Win32Process;
  process->process = info.hProcess;
  process->job = job;
  return process;
}

bool waitProcess(ProcessHandle handle, uint32 milliseconds) {
  auto* process = static_cast<Win32Process*>(handle);
  if (!process) return true;
  return WaitForSingleObject(process->process, milliseconds) == WAIT_OBJECT_0;
}

void killProcessTree(ProcessHandle handle) {
  auto* process = static_cast<Win32Process*>(handle);
  if (!process) return;
  TerminateJobObject(process->job, kKilledExitCode);
  process->killed = true;
}

void closeProcess(ProcessHandle handle, ProcessEnd* end) {
  auto* process = static_cast<Win32Process*>(handle);
  if (!process) return;
  // Whatever the child left running in its job goes with it.
  TerminateJobObject(process->job, kKilledExitCode);
  WaitForSingleObject(process->process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process->process, &code);
  if (end) {
    *end = ProcessEnd{};
    if (process->killed) {
      end->kind = ProcessEnd::Kind::kKilled;
    } else if (isExceptionCode(code)) {
      end->kind = ProcessEnd::Kind::kCrashed;
      end->crashCode = code;
    } else {
      end->exitCode = static_cast<int32>(code);
    }
  }
  CloseHandle(process->process);
  CloseHandle(process->job);
  delete process;
}

namespace {

const char* exceptionName(uint32 crashCode) {
  switch (crashCode) {
    case 0xC0000005u:
      return "access violation";
    case 0xC00000FDu:
      return "stack overflow";
    case 0xC0000094u:
      return "integer division by zero";
    case 0xC000001Du:
      return "illegal instruction";
    case 0xC0000096u:
      return "privileged instruction";
    case 0xC0000409u:
      return "stack buffer overrun";
    case 0xC0000374u:
      return "heap corruption";
    case 0xC0000135u:
      return "DLL not found";
    case 0x80000003u:
      return "breakpoint";
    default:
      return "";
  }
}

}  // namespace

std::string describeCrash(uint32 crashCode) {
  char number[16];
  std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(crashCode));
  std::string text = std::string("exception ") + number;
  const char* name = exceptionName(crashCode);
  return *name ? text + " (" + name + ")" : text;
}

}  // namespace Brennholt::Platform
