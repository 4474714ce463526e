// The operating-system layer. Everything the module, the finder and the base library need from
// the system goes through these functions; platform/win32 calls the Win32 functions named beside
// each one, platform/posix gives the same behaviour on Linux.
//
// Handles are opaque; a null handle means "none". Unless stated otherwise, every function may be
// called from any thread.
#pragma once

#include "core/Types.h"

namespace Brennholt::Platform {

// ---------------------------------------------------------------- threads

using ThreadHandle = void*;
using ThreadRoutine = uint32 (*)(void* argument);

// Platform thread priorities, as the Win32 constants; POSIX maps them onto nice values.
enum ThreadPriority : int32 {
  kPriorityIdle = -15,
  kPriorityLowest = -2,
  kPriorityBelowNormal = -1,
  kPriorityNormal = 0,
  kPriorityAboveNormal = 1,
  kPriorityHighest = 2,
  kPriorityTimeCritical = 15,
};

// Creates a thread that does not run until resumeThread (CreateThread, CREATE_SUSPENDED).
// Stores the thread identifier in *threadId when given. Null on failure.
ThreadHandle createThreadSuspended(ThreadRoutine routine, void* argument, uint32* threadId);
// Lets a suspended thread run (ResumeThread).
bool resumeThread(ThreadHandle thread);
// Applies a platform priority (SetThreadPriority); false when the platform refuses.
bool setThreadPriority(ThreadHandle thread, int32 priority);
// Reads back what setThreadPriority last applied (GetThreadPriority).
int32 getThreadPriority(ThreadHandle thread);
// True when the process runs in the normal priority class (GetPriorityClass).
bool isNormalPriorityClass();
// Waits without a time limit where a wait takes milliseconds (INFINITE).
constexpr uint32 kWaitForever = 0xFFFFFFFF;
// Waits for the thread to end; true when it ended within the time (WaitForSingleObject).
bool waitThread(ThreadHandle thread, uint32 milliseconds);
// Exit code of an ended thread; false while it runs (GetExitCodeThread).
bool threadExitCode(ThreadHandle thread, uint32* exitCode);
// Ends a thread by force with the given exit code (TerminateThread) and waits a little for it to
// be gone, so that the caller may free what it used. POSIX cancels the thread, and only where it
// waits in this layer (waitEvent, waitThread, sleepMilliseconds): ending it in the middle of
// foreign code could leave a library lock held. A thread caught in such a wait has ended when
// this returns; one busy elsewhere ends at its next wait. The cancellation unwinds the thread's
// stack, so no frame between its routine and that wait may be noexcept or swallow the unwind with
// catch (...).
void terminateThread(ThreadHandle thread, uint32 exitCode);
// Releases the handle (CloseHandle). The thread itself is not affected.
void closeThread(ThreadHandle thread);
// Ends the calling thread with the exit code (ExitThread).
[[noreturn]] void exitThread(uint32 exitCode);
// Identifier of the calling thread (GetCurrentThreadId).
uint32 currentThreadId();
// Per-thread component-object initialisation (CoInitialize / CoUninitialize); no-ops on POSIX.
bool comInitialize();
void comUninitialize();
// The calling thread's value in a thread-local slot (TlsGetValue); null when none.
void* threadLocalValue(uint32 slot);
// Sleeps the calling thread.
void sleepMilliseconds(uint32 milliseconds);

// ---------------------------------------------------------------- threads at rest

// What the system says of the other threads of this process at one moment.
enum class ThreadsAtRest : int32 {
  kYes,      // every thread but the caller was blocked in a wait at the same moment
  kNo,       // some thread was runnable, or ran while they were read
  kUnknown,  // the system does not tell
};
// Reads the scheduling state of every thread of this process but the caller twice, and answers
// kYes only when each was blocked both times and was not scheduled in between: then, at the end
// of the first reading, all of them were waiting at once, and only the caller or something from
// outside (a clock, input) can wake one again. A thread in a disk wait counts as busy. Under
// Wine the wine server, which carries out system calls on the threads' behalf, is read with
// them. Linux reads /proc (under Wine too, through the Z: drive); Windows reads the system's
// process information (NtQuerySystemInformation). Costs some microseconds per thread.
// [any thread; each calling thread is found once, on its first call]
ThreadsAtRest otherThreadsAtRest();

// ---------------------------------------------------------------- events

using EventHandle = void*;

// An auto-reset event, initially not signalled, with an optional name (CreateEventA).
EventHandle createEvent(const char* name);
bool setEvent(EventHandle event);
bool resetEvent(EventHandle event);
// Waits until signalled; a negative time waits without limit. True when signalled (and then
// the event is reset again, releasing exactly one waiter).
bool waitEvent(EventHandle event, int32 milliseconds);
void closeEvent(EventHandle event);

// ---------------------------------------------------------------- locks

// A re-entrant lock (critical section). Storage is embedded so that a lock needs no allocation.
struct CriticalSection {
  alignas(16) unsigned char storage[64];
};
void initLock(CriticalSection& lock);
void destroyLock(CriticalSection& lock);
void enterLock(CriticalSection& lock);
void leaveLock(CriticalSection& lock);
bool tryEnterLock(CriticalSection& lock);

// ---------------------------------------------------------------- modules

using ModuleHandle = void*;

// Loads a module by its 8-bit path (LoadLibraryA / dlopen). Null on failure. A path that is not
// a regular file (a directory, a FIFO, a device) is refused without being opened for reading, so
// it can neither block nor be read from. POSIX also refuses an ELF file whose program headers,
// segments or section headers reach past its end, as a file cut short does: the system loader
// would map it and the process would die on the first touch of the missing part. The Windows
// loader refuses such a file itself.
ModuleHandle loadModule(const char* path);
// Looks up an exported symbol (GetProcAddress / dlsym). Null when absent.
void* findExport(ModuleHandle module, const char* name);
// Unloads a module loaded by loadModule (FreeLibrary / dlclose).
void unloadModule(ModuleHandle module);
// The handle of the module that contains the given address (the calling module when the
// address is one of its own functions); on Windows the instance handle. Null when unknown.
ModuleHandle moduleContaining(const void* address);
// Full path of a module as 16-bit text into buffer (capacity in units, terminated, cut to fit).
// Returns the number of units written without the terminator; 0 on failure (GetModuleFileNameW).
uint32 moduleFileName(ModuleHandle module, char16* buffer, uint32 capacity);
// Finds a resource of a module by type and name (FindResourceW, SizeofResource, LoadResource,
// LockResource). Names compare without regard to ASCII case and "#n" names the integer n. POSIX
// modules export the table below. The data stays valid while the module is loaded.
bool findResource(ModuleHandle module, const char* type, const char* name, const void** data,
                  uint32* size);

// ---------------------------------------------------------------- text

// Code page 0 is the system code page on Windows and UTF-8 on POSIX. Both conversions follow
// the Win32 contract: a source length of -1 means "up to and including the terminating zero";
// a null destination (or capacity 0) asks for the required size; the result is the number of
// units written or required, 0 on failure. Invalid input fails the conversion.
int32 multiByteToWide(uint32 codePage, const char* source, int32 sourceLength, char16* destination,
                      int32 capacity);
int32 wideToMultiByte(uint32 codePage, const char16* source, int32 sourceLength, char* destination,
                      int32 capacity);

// ---------------------------------------------------------------- files and diagnostics

// kOther: something that is neither a regular file nor a directory (a FIFO, a device, a socket).
enum class FileKind { kMissing, kFile, kDirectory, kOther };
// What lies at a path, links followed (GetFileAttributesA; on Windows GetFileType on a handle
// opened without access rights tells a file from a device or pipe). Never opens the path for
// reading or writing.
FileKind fileKind(const char* path);
// True when both paths name one existing file, whatever their spelling and whatever links lead
// there (device and inode; on Windows volume serial number and file index).
bool isSameFile(const char* first, const char* second);
// What tells one file from every other, whatever its path: device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
  uint64 volume = 0;
  uint64 index = 0;
  bool operator==(const FileIdentity&) const = default;
};
// The identity of the file or folder at path, links followed; false when it cannot be read.
bool fileIdentity(const char* path, FileIdentity* identity);
// Creates the file at path, which must not exist yet (O_EXCL / CREATE_NEW), and writes the
// bytes to it; true once all of them were handed to the system and the file was closed without
// error. On failure a file this call created is removed again.
bool writeNewFile(const char* path, const void* data, std::size_t size);
// Gives the file at source the name target in one step, replacing a file of that name (rename /
// MoveFileExA with MOVEFILE_REPLACE_EXISTING): a reader of target sees the old or the new file,
// never a part of either.
bool replaceFile(const char* source, const char* target);
// Removes a file (unlink / DeleteFileA).
bool removeFile(const char* path);
// Identifier of the calling process (GetCurrentProcessId / getpid).
uint32 currentProcessId();
// Writes a line to the debugger's output (OutputDebugStringA); never to the console. POSIX
// writes it to syslog at debug level.
void debugOutput(const char* text);
// Points the process's standard output and standard error at the null device, at every level
// (the C library's streams, the descriptors or handles beneath them), so that nothing a loaded
// module prints reaches the console. For programs whose contract is to print nothing; call it
// before any module is loaded, since a module may take the handles when it loads. [main thread]
void silenceConsole();
// Also hands every debugOutput line to sink (null removes it), so that tests can see them.
using DebugOutputSink = void (*)(const char* text);
void setDebugOutputSink(DebugOutputSink sink);

}  // namespace Brennholt::Platform

// POSIX modules carry their resources in this exported table, looked up with dlsym.
// The table ends with an entry whose type is null.
extern "C" {
struct HoxResourceEntry {
  const char* type;
  const char* name;
  const void* data;
  Brennholt::uint32 size;
};
}
