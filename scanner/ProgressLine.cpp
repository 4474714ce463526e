#include "scanner/ProgressLine.h"

namespace Brennholt::Scan {

namespace {

// Wide enough for most, narrow enough for an 80-column console without wrapping.
constexpr std::size_t kWidth = 79;

}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}

std::string ProgressLine::text(const ScanProgress& progress, std::size_t width) {
  char head[160];
  std::snprintf(head, sizeof head, "[%zu/%zu] running %zu, problems %zu, %.1f s", progress.done,
                progress.total, progress.running, progress.problems, progress.elapsedMs / 1000.0);
  std::string line = head;
  if (!progress.slowestRunning.empty()) {
    char time[32];
    std::snprintf(time, sizeof time, " (%.1f s)", progress.slowestRunningMs / 1000.0);
    std::string name = progress.slowestRunning;
    std::size_t room = width > line.size() + 11 + std::string(time).size()
                           ? width - line.size() - 11 - std::string(time).size()
                           : 0;
    // The end of a path says most: keep it, cut the front.
    if (name.size() > room) name = room > 3 ? "..." + name.substr(name.size() - room + 3) : "";
    if (!name.empty()) line += ", slowest " + name + time;
  }
  if (line.size() > width) line.resize(width);
  return line;
}

void ProgressLine::show(const ScanProgress& progress) {
  if (!enabled_) return;
  std::string line = text(progress, kWidth);
  std::size_t length = line.size();
  // Blanks over what a longer line before left behind.
  if (length < shown_) line.append(shown_ - length, ' ');
  std::fprintf(stream_, "\r%s", line.c_str());
  std::fflush(stream_);
  shown_ = length;
}

void ProgressLine::clear() {
  if (!enabled_ || shown_ == 0) return;
  std::fprintf(stream_, "\r%s\r", std::string(shown_, ' ').c_str());
  std::fflush(stream_);
  shown_ = 0;
}

}  // namespace Brennholt::Scan
