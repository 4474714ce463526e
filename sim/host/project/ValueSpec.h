// What a value of the host's tree is: a number with its range, default, kind code, display
// format and exact texts, or a text alone; and the host's rules for showing it and for setting
// it from a text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Types.h"

namespace QentSim {

struct ValueSpec {
  std::string title;  // empty: the value has none
  // Title and texts are the host's own English words, shown in the host's language.
  bool localizedTitle = false;
  bool localizedTexts = false;
  std::optional<Brennholt::int32> tag;  // absent: the owner numbers its values
  double minimum = 0;
  double maximum = 1;
  double value = 0;
  std::optional<double> defaultValue;
  Brennholt::int32 kind = 0;  // the host's kind code: 1 integer, 2 and above stepped
  std::string format = "%.2f";
  std::vector<std::pair<double, std::string>> texts;  // exact texts at plain values
  bool textOnly = false;                              // a text such as a name: `text` alone
  std::string text;

  // A plain value and a text entry's value are the same (they came from different sources).
  static bool samePlain(double a, double b);
  // A printf text with exactly one conversion of a double (f, e, g or a; flags, a width and a
  // precision of at most two digits) and nothing else but "%%" and ordinary characters.
  static bool isValidFormat(std::string_view format);

  // The display text of plain value `plain`: its exact entry in `texts`, else `format` applied.
  // Writes into `out` (terminated, cut to `size`); allocates nothing. Texts of
  // localized entries are the English ones; the caller shows them in the host's language.
  void formatPlain(double plain, char* out, std::size_t size) const noexcept;
  // The entry of `texts` at `plain`, or null.
  const std::string* textAt(double plain) const noexcept;
  // The plain value a text means: an exact `texts` entry, else the number at its start
  // (blanks before it skipped), clamped to the range. False when it holds no number.
  bool plainFromText(std::string_view text, double* plain) const;
  double clamp(double plain) const;
};

}  // namespace QentSim
