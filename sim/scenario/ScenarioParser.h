// Reads scenario files: one command per line, "#" starts a comment outside quotes, tokens are
// separated by blanks, "quoted tokens" may hold blanks (\" and \\ inside), hex bytes are two
// digits. Every line is checked completely before anything runs, so a malformed file fails at
// its first bad line without touching the host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

struct ScenarioToken {
  std::string text;
  bool quoted = false;
};

struct ScenarioError {
  int line = 0;
  std::string message;
};

class ScenarioParser {
 public:
  // Parses a whole file. False with the first error (line and reason) when any line is bad.
  static bool parse(std::string_view text, std::vector<ScenarioCommand>& out, ScenarioError& error);

  // Splits one line into tokens. False with a reason for an unterminated quote or a quote
  // glued to other text.
  static bool tokenize(std::string_view line, std::vector<ScenarioToken>& tokens,
                       std::string& error);

  // One line: false with a reason when it is bad; `empty` is set for blank and comment lines.
  static bool parseLine(std::string_view line, int lineNumber, ScenarioCommand& out, bool& empty,
                        std::string& error);

  // The whole language, one line per command, for usage texts.
  static const char* synopsis();
};

}  // namespace QentSim
