#include "sim/scenario/ScenarioParser.h"

#include "sim/scenario/CommandTable.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

namespace {

// The command a line names: "verb word" for one of a family, else the verb alone. Null with
// the reason when there is none.
const CommandRow* lookUp(const std::string& verb, const std::vector<ScenarioToken>& tokens,
                         std::string& error) {
  const std::vector<const CommandRow*> family = CommandTable::family(verb);
  if (family.empty()) {
    const CommandRow* row = CommandTable::find(verb);
    if (row == nullptr) error = "unknown command \"" + verb + "\"";
    return row;
  }
  const ScenarioToken* word = tokens.size() > 1 ? &tokens[1] : nullptr;
  const CommandRow* row =
      word == nullptr || word->quoted ? nullptr : CommandTable::find(verb + " " + word->text);
  if (row != nullptr) return row;
  // A verb may head a family and be a command of its own too.
  if (const CommandRow* bare = CommandTable::find(verb)) return bare;
  if (word == nullptr) {
    error = verb + " what? one of: ";
    for (const CommandRow* member : family) {
      if (member != family.front()) error += ", ";
      error += std::string_view(member->name).substr(verb.size() + 1);
    }
  } else {
    // A family of checks calls its members checks.
    const char* noun = family.front()->section == Section::kCheck ? "check" : "command";
    error = std::string("unknown ") + noun + " \"" + verb + " " + word->text + "\"";
  }
  return nullptr;
}

}  // namespace

bool ScenarioParser::tokenize(std::string_view line, std::vector<ScenarioToken>& tokens,
                              std::string& error) {
  tokens.clear();
  std::size_t i = 0;
  const std::size_t n = line.size();
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (i < n) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    ScenarioToken token;
    if (line[i] == '"') {
      token.quoted = true;
      const std::size_t open = i++;
      bool closed = false;
      while (i < n) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < n && (line[i] == '"' || line[i] == '\\')) c = line[i++];
        token.text += c;
      }
      if (!closed) {
        error = "unterminated quote starting at column " + std::to_string(open + 1);
        return false;
      }
      if (i < n && !isBlank(line[i]) && line[i] != '#') {
        error = "text right after the closing quote at column " + std::to_string(i + 1);
        return false;
      }
    } else {
      while (i < n && !isBlank(line[i]) && line[i] != '#') {
        if (line[i] == '"') {
          error =
              "quote inside a word at column " + std::to_string(i + 1) + " (quote the whole token)";
          return false;
        }
        token.text += line[i++];
      }
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

bool ScenarioParser::parseLine(std::string_view line, int lineNumber,
                               std::optional<ScenarioCommand>& out, std::string& error,
                               const std::string& directory) {
  out.reset();
  std::vector<ScenarioToken> tokens;
  if (!tokenize(line, tokens, error)) return false;
  if (tokens.empty()) return true;
  if (tokens[0].quoted) {
    error = "a line starts with a command, not with quoted text";
    return false;
  }
  std::string verb = tokens[0].text;
  const std::size_t at = verb.find('@');
  std::string keyboardText;
  if (at != std::string::npos) {
    keyboardText = verb.substr(at + 1);
    verb.resize(at);
  }
  const CommandRow* row = lookUp(verb, tokens, error);
  if (row == nullptr) return false;
  std::int64_t keyboard = 1;
  if (at != std::string::npos) {
    if (row->addressing != Addressing::kKeyboard) {
      error = std::string("\"") + row->name + "\" takes no @K";
      return false;
    }
    if (!ArgumentReader::parseInteger(keyboardText, keyboard) || keyboard < 1 ||
        keyboard > Simulation::kMaxKeyboards) {
      error = "bad keyboard \"@" + keyboardText + "\" (@1..@9)";
      return false;
    }
  }
  // The arguments follow the name: one word, or two for a member of a family.
  const std::size_t firstArgument =
      std::string_view(row->name).find(' ') == std::string_view::npos ? 1 : 2;
  ArgumentReader args(tokens, firstArgument, CommandTable::usage(*row), directory);
  const bool keyboardGiven = at != std::string::npos;
  args.address(static_cast<int>(keyboard), keyboardGiven);
  CommandAction run = row->read(args);
  if (!run || !args.end()) {
    error = args.error();
    return false;
  }
  out = ScenarioCommand{row, lineNumber, static_cast<int>(keyboard), keyboardGiven, std::move(run)};
  return true;
}

bool ScenarioParser::parse(std::string_view text, Scenario& out, ScenarioError& error,
                           const std::string& directory) {
  out.clear();
  int lineNumber = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++lineNumber;
    const std::string_view line = text.substr(start, end - start);
    if (line.find('\0') != std::string_view::npos) {
      error = {lineNumber, "NUL byte in the line (not a text file?)"};
      return false;
    }
    std::optional<ScenarioCommand> command;
    std::string why;
    if (!parseLine(line, lineNumber, command, why, directory)) {
      error = {lineNumber, why};
      return false;
    }
    if (command) out.push_back(std::move(*command));
    start = end + 1;
  }
  return true;
}

}  // namespace QentSim
