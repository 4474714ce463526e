// Reading a thread's scheduling state from the texts of Linux's /proc: shared by the POSIX
// implementation and by the Win32 one under Wine, where the threads are Linux threads too.
// Pure text functions; the callers read the files.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace Brennholt::Platform::Proc {

// One reading of one thread.
struct ThreadReading {
  bool read = false;  // both files were read and understood
  char state = '?';   // the state letter of .../stat
  uint64_t runs = 0;  // how often the scheduler has run the thread so far
};

// The state letter of a .../stat text: the field after the name, which is in parentheses and may
// itself hold blanks and parentheses (hence the last ')'). '?' when the text has none.
inline char stateOf(std::string_view stat) {
  const std::size_t close = stat.rfind(')');
  if (close == std::string_view::npos || close + 2 >= stat.size()) return '?';
  return stat[close + 2];
}

// The number of times the thread has been run: the third field of .../schedstat.
inline bool runsOfSchedstat(std::string_view text, uint64_t* runs) {
  std::size_t at = 0;
  for (int field = 0; field < 2; ++field) {
    at = text.find(' ', at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
  *runs = std::strtoull(text.data() + at, nullptr, 10);
  return true;
}

// A thread at rest is blocked in an interruptible wait, stopped or gone; running, runnable and
// disk waits are work in progress.
inline bool atRest(char state) { return state != 'R' && state != 'D' && state != '?'; }

// The field that counts a process's threads in /proc/PID/stat (the 20th), 0 when missing.
inline int threadCountOf(std::string_view stat) {
  std::size_t close = stat.rfind(')');
  if (close == std::string_view::npos) return 0;
  std::size_t at = close + 2;  // field 3, the state
  for (int field = 3; field < 20; ++field) {
    at = stat.find(' ', at);
    if (at == std::string_view::npos) return 0;
    ++at;
  }
  return at < stat.size() ? std::atoi(stat.data() + at) : 0;
}

// Two readings of the same threads in the same order agree on rest: every thread at rest in
// both and not run in between.
template <class Readings>
bool restedThroughout(const Readings& first, const Readings& second) {
  if (first.size() != second.size()) return false;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (!first[i].read || !second[i].read) return false;
    if (!atRest(first[i].state) || !atRest(second[i].state)) return false;
    if (first[i].runs != second[i].runs) return false;
  }
  return true;
}

}  // namespace Brennholt::Platform::Proc
