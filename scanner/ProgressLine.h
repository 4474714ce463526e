// The one progress line a scan keeps rewriting on a terminal: done/total, running, problems so
// far, elapsed time and the probe that has run longest.
#pragma once

#include <cstdio>
#include <string>

#include "scanner/Scanner.h"

namespace Brennholt::Scan {

class ProgressLine {
 public:
  // Draws on stream only when enabled (the stream is a terminal). [main thread]
  ProgressLine(std::FILE* stream, bool enabled);

  // Redraws the line with the progress.
  void show(const ScanProgress& progress);
  // Removes the line, so that what follows starts on a clean line.
  void clear();

  // The line's text, at most width characters.
  static std::string text(const ScanProgress& progress, std::size_t width);

 private:
  std::FILE* stream_;
  bool enabled_;
  std::size_t shown_ = 0;  // characters on the line now
};

}  // namespace Brennholt::Scan
