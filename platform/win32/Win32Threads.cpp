// Threads on Windows: CreateThread (suspended), ResumeThread, SetThreadPriority,
// GetPriorityClass, WaitForSingleObject, TerminateThread, CloseHandle; CoInitialize per thread.
#include <windows.h>
// After windows.h, which it builds on.
#include <objbase.h>

#include <new>

#include "platform/Platform.h"

namespace Brennholt::Platform {

namespace {

struct StartInfo {
  ThreadRoutine routine;
  void* argument;
};

DWORD WINAPI trampoline(LPVOID parameter) {
  StartInfo info = *static_cast<StartInfo*>(parameter);
  delete static_cast<StartInfo*>(parameter);
  return info.routine(info.argument);
}

// How long terminateThread waits for a terminated thread to be gone.
constexpr DWORD kForcedEndWait = 5000;

}  // namespace

ThreadHandle createThreadSuspended(ThreadRoutine routine, void* argument, uint32* threadId) {
  if (!routine) return nullptr;
  auto* info = new (std::nothrow) StartInfo{routine, argument};
  if (!info) return nullptr;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, trampoline, info, CREATE_SUSPENDED, &id);
  if (!thread) {
    delete info;
    return nullptr;
  }
  if (threadId) *threadId = id;
  return thread;
}

bool resumeThread(ThreadHandle thread) {
  return thread && ResumeThread(thread) != static_cast<DWORD>(-1);
}

bool setThreadPriority(ThreadHandle thread, int32 priority) {
  return thread && SetThreadPriority(thread, priority) != 0;
}

int32 getThreadPriority(ThreadHandle thread) {
  if (!thread) return kPriorityNormal;
  int value = GetThreadPriority(thread);
  return value == THREAD_PRIORITY_ERROR_RETURN ? kPriorityNormal : value;
}

bool isNormalPriorityClass() {
  return GetPriorityClass(GetCurrentProcess()) == NORMAL_PRIORITY_CLASS;
}

bool waitThread(ThreadHandle thread, uint32 milliseconds) {
  return thread && WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
}

bool threadExitCode(ThreadHandle thread, uint32* exitCode) {
  if (!thread || WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeThread(thread, &code)) return false;
  if (exitCode) *exitCode = code;
  return true;
}

void terminateThread(ThreadHandle thread, uint32 exitCode) {
  // TerminateThread only starts the end; let it finish, so that the caller may free what the
  // thread was using as soon as this returns.
  if (thread && TerminateThread(thread, exitCode)) WaitForSingleObject(thread, kForcedEndWait);
}

void closeThread(ThreadHandle thread) {
  if (thread) CloseHandle(thread);
}

void exitThread(uint32 exitCode) { ExitThread(exitCode); }

uint32 currentThreadId() { return GetCurrentThreadId(); }

bool comInitialize() { return SUCCEEDED(CoInitialize(nullptr)); }

void comUninitialize() { CoUninitialize(); }

void* threadLocalValue(uint32 slot) { return TlsGetValue(slot); }

void sleepMilliseconds(uint32 milliseconds) { Sleep(milliseconds); }

}  // namespace Brennholt::Platform
