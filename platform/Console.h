// The console a command-line program runs in: whether its output is a terminal, and the user's
// interrupt (Ctrl-C).
#pragma once

namespace Brennholt::Platform {

enum class StandardStream { kOutput, kError };

// True when the stream goes to a terminal (a console window on Windows), not to a file or pipe.
bool isTerminal(StandardStream stream);

// Called once per interrupt, on a thread of the system's choosing (a signal handler on POSIX,
// the console's control thread on Windows): it may only set flags that are lock-free atomics.
using InterruptHandler = void (*)();
// Makes handler receive Ctrl-C (SIGINT and SIGTERM on POSIX; Ctrl-C, Ctrl-Break and closing the
// console on Windows) instead of the default end of the process. Null restores the default.
void setInterruptHandler(InterruptHandler handler);

}  // namespace Brennholt::Platform
