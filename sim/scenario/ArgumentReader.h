// The arguments of one scenario line, read one typed argument at a time. Each reader converts
// and checks the next token; on a bad or missing one it answers false and keeps the reason,
// followed by the command's usage, for the parser to report.
//
// Threading: one thread, the parser's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/BytePattern.h"

namespace QentSim {

// One token of a line; `quoted` when it was written in quotes (a quoted token is never a word).
struct ScenarioToken {
  std::string text;
  bool quoted = false;
};

class ArgumentReader {
 public:
  // Reads tokens[first ..]; `usage` ends every reason. The tokens must outlive the reader.
  // `directory` is the folder of the scenario file, against which relative file names resolve
  // (empty: the working directory).
  ArgumentReader(const std::vector<ScenarioToken>& tokens, std::size_t first, std::string usage,
                 std::string directory = {});

  // The keyboard "@K" after the verb addressed (1 when none was given), and whether it was.
  void address(int keyboard, bool given) {
    keyboard_ = keyboard;
    keyboardGiven_ = given;
  }
  int keyboard() const { return keyboard_; }
  bool keyboardGiven() const { return keyboardGiven_; }

  // True when every token has been read.
  bool atEnd() const { return next_ >= tokens_.size(); }
  // The tokens not read yet.
  std::size_t left() const { return atEnd() ? 0 : tokens_.size() - next_; }
  // True when a next token is there and was written in quotes.
  bool nextQuoted() const { return !atEnd() && tokens_[next_].quoted; }
  // Takes the next token when it is the unquoted word `word`; false (taking nothing) otherwise.
  bool takeWord(std::string_view word);

  // Records `why` as the reason and answers false.
  bool fail(const std::string& why);
  // The same for a command's reader: records `why` and answers no action.
  std::nullptr_t refuse(const std::string& why) {
    fail(why);
    return nullptr;
  }
  // The reason of the last failure, with the usage.
  const std::string& error() const { return error_; }

  // Any token, quoted or not; `what` names it in reasons.
  bool text(std::string& out, const char* what);
  // A file name, resolved against the scenario file's folder unless it is absolute.
  bool path(std::string& out, const char* what);
  // An unquoted token.
  bool word(std::string& out, const char* what);
  // A whole number (decimal, or hexadecimal after "0x") within low..high.
  bool integer(std::int64_t& out, const char* what, std::int64_t low, std::int64_t high);
  // The same into a narrower number type; low..high must fit it.
  template <class Number>
  bool integer(Number& out, const char* what, std::int64_t low, std::int64_t high) {
    std::int64_t read = 0;
    if (!integer(read, what, low, high)) return false;
    out = static_cast<Number>(read);
    return true;
  }
  // A 32-bit value written signed or unsigned (-2147483648..4294967295), decimal or "0x"
  // hexadecimal, as its 32 bits: "0x80004002" and "-2147467262" read the same.
  bool value32(std::int32_t& out, const char* what);
  // A finite decimal number.
  bool real(double& out, const char* what);
  // "on" or "off".
  bool onOff(bool& out, const char* what);
  // A keyboard element by name, any letter case; its index.
  bool element(int& out);
  // A knob: "1".."24" or a knob's name; its index 0..23.
  bool knob(int& out);
  // Byte items up to the end, or up to `keep` tokens before it: two-digit hex bytes, "??" (any
  // byte), "XX*N" (N copies) and quoted texts (their bytes). At least one byte.
  bool bytes(BytePattern& out, std::size_t keep = 0);
  // Nothing left.
  bool end();

  // A whole number as integer() reads it, without range; false when `text` is none.
  static bool parseInteger(const std::string& text, std::int64_t& out);
  // A 32-bit value as value32() reads it; false when `text` is none or out of range.
  static bool parseValue32(const std::string& text, std::int32_t& out);

 private:
  bool hexItem(const std::string& token, BytePattern& out);

  const std::vector<ScenarioToken>& tokens_;
  std::size_t next_;
  std::string usage_;
  std::string directory_;
  std::string error_;
  int keyboard_ = 1;
  bool keyboardGiven_ = false;
};

}  // namespace QentSim
