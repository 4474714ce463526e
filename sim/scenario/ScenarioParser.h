// Reads scenario files: one command per line, "#" starts a comment outside quotes, tokens are
// separated by blanks, "quoted tokens" may hold blanks (\" and \\ inside). Each line's first
// token names a command of CommandTable (with "@K" after the verb where the command takes it),
// and the command's reader takes its own arguments. Every line is checked completely before
// anything runs, so a malformed file fails at its first bad line without touching the host.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

struct ScenarioError {
  int line = 0;
  std::string message;
};

// A parsed file: its commands in line order.
using Scenario = std::vector<ScenarioCommand>;

class ScenarioParser {
 public:
  // Parses a whole file. False with the first error (line and reason) when any line is bad.
  // Files the scenario names (a project) are read now, relative to `directory`, the scenario
  // file's folder (empty: the working directory).
  static bool parse(std::string_view text, Scenario& out, ScenarioError& error,
                    const std::string& directory = {});

  // Splits one line into tokens. False with a reason for an unterminated quote or a quote
  // glued to other text.
  static bool tokenize(std::string_view line, std::vector<ScenarioToken>& tokens,
                       std::string& error);

  // One line: false with a reason when it is bad. A blank or comment line leaves `out` empty.
  static bool parseLine(std::string_view line, int lineNumber, std::optional<ScenarioCommand>& out,
                        std::string& error, const std::string& directory = {});
};

}  // namespace QentSim
