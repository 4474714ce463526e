// What tests of programs that start programs need: whether a process still lives, pid files the
// children write, and waiting for a condition instead of for a fixed time.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace QentTest {

// True while the process with that id runs (a zombie or an ended process does not).
bool processAlive(unsigned long pid);
// The first number in the file, once the file holds a whole line; nothing before that.
std::optional<unsigned long> readPidFile(const std::string& path);
// Checks condition until it holds, at most timeoutMs (a limit against a hung test, never a
// stand-in for "done"); true when it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 60000);
// Sets or clears an environment variable of this process, inherited by the programs it starts.
void setEnvironmentVariable(const char* name, const char* value);
// Makes the sanitizers of the programs this process starts leave a crash to the system, so that
// a crash looks as it does in the programs users run.
void letChildrenCrashPlainly();

}  // namespace QentTest
