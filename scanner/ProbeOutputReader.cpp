#include "scanner/ProbeOutputReader.h"

#include <charconv>

namespace Brennholt::Scan {

namespace {

class LineReader {
 public:
  explicit LineReader(const std::string& text) : text_(text) {}

  bool line(std::string* out, std::string* why) {
    std::size_t end = text_.find('\n', next_);
    if (end == std::string::npos) {
      *why = "the file ends at line " + std::to_string(number_ + 1);
      return false;
    }
    std::size_t length = end - next_;
    if (length > 0 && text_[end - 1] == '\r') --length;
    out->assign(text_, next_, length);
    next_ = end + 1;
    ++number_;
    return true;
  }

  template <typename Number>
  bool number(Number* out, std::string* why) {
    std::string field;
    if (!line(&field, why)) return false;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *out);
    if (error != std::errc() || end != field.data() + field.size() || field.empty()) {
      *why = "line " + std::to_string(number_) + " holds no number: \"" + field + "\"";
      return false;
    }
    return true;
  }

  bool atEnd() const { return next_ == text_.size(); }
  int lineNumber() const { return number_; }

 private:
  const std::string& text_;
  std::size_t next_ = 0;
  int number_ = 0;
};

// Counts are checked against what is left, so a damaged count cannot ask for a huge list.
bool plausible(uint32 count, const std::string& text) { return count <= text.size(); }

}  // namespace

std::optional<std::vector<Instrument>> readProbeOutput(const std::string& text, std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  LineReader reader(text);
  uint32 instrumentCount = 0;
  if (!reader.number(&instrumentCount, why)) return std::nullopt;
  if (!plausible(instrumentCount, text)) {
    *why = "an instrument count beyond the file's size";
    return std::nullopt;
  }
  std::vector<Instrument> instruments(instrumentCount);
  for (Instrument& instrument : instruments) {
    uint32 parameterCount = 0;
    if (!reader.line(&instrument.name, why) || !reader.number(&parameterCount, why))
      return std::nullopt;
    if (!plausible(parameterCount, text)) {
      *why = "a parameter count beyond the file's size";
      return std::nullopt;
    }
    instrument.parameters.resize(parameterCount);
    for (Parameter& parameter : instrument.parameters) {
      uint32 unitCount = 0;
      if (!reader.number(&parameter.id, why) || !reader.line(&parameter.name, why) ||
          !reader.number(&unitCount, why))
        return std::nullopt;
      if (!plausible(unitCount, text)) {
        *why = "a unit count beyond the file's size";
        return std::nullopt;
      }
      parameter.units.resize(unitCount);
      for (std::string& unit : parameter.units) {
        if (!reader.line(&unit, why)) return std::nullopt;
      }
    }
  }
  if (!reader.atEnd()) {
    *why = "more lines than the counts call for after line " + std::to_string(reader.lineNumber());
    return std::nullopt;
  }
  return instruments;
}

}  // namespace Brennholt::Scan
