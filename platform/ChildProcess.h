// Child processes for programs that run other programs and must never leave one behind.
//
// Each child starts in a tree of its own: on POSIX a new process group led by the child, on
// Windows a job object that the child is put into before it runs a single instruction (it starts
// suspended). Everything the child starts belongs to that tree, so one call ends them all.
//
// Life of a handle: startProcess -> waitProcess (any number of times, with a time limit) ->
// optionally killProcessTree -> closeProcess, which ends whatever of the tree is still running,
// collects how the child ended and frees the handle. On POSIX the child is reaped only in
// closeProcess: until then its process-group id cannot be reused, so killing the group never
// reaches a stranger. A handle is used by one thread at a time.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace Brennholt::Platform {

using ProcessHandle = void*;

// How a child ended.
struct ProcessEnd {
  enum class Kind {
    kExited,   // it returned or called exit: exitCode holds the code
    kCrashed,  // a signal (POSIX) or an unhandled exception (Windows) ended it: crashCode
    kKilled,   // killProcessTree ended it
  };
  Kind kind = Kind::kExited;
  int32 exitCode = 0;
  uint32 crashCode = 0;  // the signal number, or the exception code (0xC0000005 ...)
};

// Starts program with the arguments (each passed as one argument, empty ones too), standard
// input, output and error on the null device, in a tree of its own. Null on failure, with the
// system's reason in *error when given.
ProcessHandle startProcess(const std::string& program, const std::vector<std::string>& arguments,
                           std::string* error);
// Waits until the child has ended, at most milliseconds (kWaitForever: without limit); true
// when it has. Does not collect it: the tree can still be killed safely afterwards.
bool waitProcess(ProcessHandle process, uint32 milliseconds);
// Ends the child and everything it started, at once, by force. The child counts as killed even
// when it ended on its own in the meantime.
void killProcessTree(ProcessHandle process);
// Ends whatever of the tree still runs (also what an ended child left behind), waits for the
// child, stores how it ended in *end when given, and frees the handle.
void closeProcess(ProcessHandle process, ProcessEnd* end);

// A crash code in words: "signal 11 (SIGSEGV)" on POSIX, "exception 0xC0000005 (access
// violation)" on Windows; the number alone when it has no name.
std::string describeCrash(uint32 crashCode);

}  // namespace Brennholt::Platform
