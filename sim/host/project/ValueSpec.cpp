#include "sim/host/project/ValueSpec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace QentSim {

bool ValueSpec::samePlain(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

bool ValueSpec::isValidFormat(std::string_view format) {
  constexpr std::size_t kMaxFormat = 64;
  if (format.size() > kMaxFormat) return false;
  // No format at all: the value has no text, as with plug-ins that never format their values.
  if (format.empty()) return true;
  int conversions = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    ++i;
    if (i < format.size() && format[i] == '%') continue;
    while (i < format.size() && std::strchr("-+ #0", format[i]) != nullptr) ++i;
    int digits = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i, ++digits;
    if (digits > 2) return false;
    if (i < format.size() && format[i] == '.') {
      ++i;
      digits = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i, ++digits;
      if (digits > 2) return false;
    }
    if (i >= format.size() || std::strchr("fFeEgGaA", format[i]) == nullptr) return false;
    ++conversions;
  }
  return conversions == 1;
}

const std::string* ValueSpec::textAt(double plain) const noexcept {
  for (const auto& [at, text] : texts) {
    if (samePlain(at, plain)) return &text;
  }
  return nullptr;
}

void ValueSpec::formatPlain(double plain, char* out, std::size_t size) const noexcept {
  if (out == nullptr || size == 0) return;
  out[0] = 0;
  if (const std::string* text = textAt(plain)) {
    const std::size_t n = std::min(text->size(), size - 1);
    std::memcpy(out, text->data(), n);
    out[n] = 0;
    return;
  }
  if (format.empty()) return;
    // The format was checked when the value was described: one conversion of a double.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  std::snprintf(out, size, format.c_str(), plain);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

bool ValueSpec::plainFromText(std::string_view text, double* plain) const {
  for (const auto& [at, entry] : texts) {
    if (entry == text) {
      *plain = clamp(at);
      return true;
    }
  }
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  if (start < text.size() && text[start] == '+') ++start;
  double number = 0;
  const char* first = text.data() + start;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), number);
  // "inf" and "nan" are words, not numbers of a value.
  if (error != std::errc() || end == first || !std::isfinite(number)) return false;
  *plain = clamp(number);
  return true;
}

double ValueSpec::clamp(double plain) const { return std::clamp(plain, minimum, maximum); }

}  // namespace QentSim
