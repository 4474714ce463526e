// Scenario files: what the parser makes of good lines, the line and reason it gives for bad
// ones, and how the runner reports failures without a module behind it.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/CommandTable.h"
#include "sim/scenario/ScenarioParser.h"
#include "sim/scenario/ScenarioRunner.h"

namespace {

using namespace QentSim;

Scenario parseOk(const std::string& text) {
  Scenario commands;
  ScenarioError error;
  EXPECT_TRUE(ScenarioParser::parse(text, commands, error))
      << "line " << error.line << ": " << error.message;
  return commands;
}

// The failure of a scenario that must fail; empty, and a failure of the test, when it passed.
std::string failureOf(ScenarioRunner& runner, const std::string& text) {
  const ScenarioResult result = runner.runText(text);
  EXPECT_FALSE(result.passed) << text;
  return result.message;
}

ScenarioError parseBad(const std::string& text) {
  Scenario commands;
  ScenarioError error;
  EXPECT_FALSE(ScenarioParser::parse(text, commands, error)) << text;
  return error;
}

TEST(ScenarioTokens, QuotesCommentsAndEscapes) {
  std::vector<ScenarioToken> tokens;
  std::string error;
  ASSERT_TRUE(ScenarioParser::tokenize(
      "  host \"Tessaly Studio\" 7.5.0\t\"say \\\"hi\\\" # not a comment\" # a comment", tokens,
      error));
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[1].text, "Tessaly Studio");
  EXPECT_TRUE(tokens[1].quoted);
  EXPECT_EQ(tokens[2].text, "7.5.0");
  EXPECT_FALSE(tokens[2].quoted);
  EXPECT_EQ(tokens[3].text, "say \"hi\" # not a comment");

  ASSERT_TRUE(ScenarioParser::tokenize("page \"\"", tokens, error));
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[1].text, "");
  EXPECT_TRUE(tokens[1].quoted);

  EXPECT_FALSE(ScenarioParser::tokenize("page \"Jog Mode", tokens, error));
  EXPECT_NE(error.find("unterminated quote"), std::string::npos) << error;
  EXPECT_FALSE(ScenarioParser::tokenize("page \"Jog\"Mode", tokens, error));
  EXPECT_FALSE(ScenarioParser::tokenize("page Jog\"Mode\"", tokens, error));
}

TEST(ScenarioParser, ReadsEveryKindOfArgument) {
  auto commands = parseOk(
      "keyboards 2\r\n"
      "port in \"Talvane QENT6/QENT8-2 \" 1\n"
      "turn@2 AsgnKnob1 -3\n"
      "expect@2 sent F0 43 ?? 7F \"AB\" 00*3 F7\n"
      "expect sent-count F0 10 3\n"
      "expect knob EQKnob2 value \"1.0\"\n"
      "# comment between\n"
      "expect function \"Jog\" \"wheel\" 5 125*2\n"
      "expect flag none\n"
      "kb-assign \"Piano\" AsgnKnob12 0 0x1234ABCD\n"
      "kb-answer name off\n"
      "idle\n"
      "expect detect 0x80004002\n"
      "expect detect -2147467262\n");
  ASSERT_EQ(commands.size(), 13u);
  const char* const rows[] = {"keyboards",
                              "port",
                              "turn",
                              "expect sent",
                              "expect sent-count",
                              "expect knob",
                              "expect function",
                              "expect flag",
                              "kb-assign",
                              "kb-answer",
                              "idle",
                              "expect detect",
                              "expect detect"};
  for (std::size_t i = 0; i < commands.size(); ++i) EXPECT_STREQ(commands[i].row->name, rows[i]);
  EXPECT_EQ(commands[2].keyboard, 2);
  EXPECT_EQ(commands[2].line, 3);
  EXPECT_EQ(commands[3].keyboard, 2);
  EXPECT_TRUE(commands[3].keyboardGiven);
  EXPECT_FALSE(commands[4].keyboardGiven);
  EXPECT_EQ(commands[6].line, 8);

  // What the arguments were read as shows in what the commands do: nothing has been sent to
  // the keyboards, no module is loaded and no detection ran, so every check fails and says
  // what it wanted.
  std::ostringstream out;
  ScenarioRunner runner("/nonexistent/qentlink.hox3", out);
  std::vector<std::uint8_t> sent;
  runner.keyboard(2).connect([&sent](const std::uint8_t* bytes, std::size_t length) {
    sent.assign(bytes, bytes + length);
  });
  ASSERT_TRUE(runner.runText("turn@2 AsgnKnob1 -3\n").passed);
  EXPECT_EQ(sent, (std::vector<std::uint8_t>{0xB0, KeyboardElements::at(0)->number, 64 + 3}));

  const std::string sysex = "expect@2 sent F0 43 ?? 7F \"AB\" 00*3 F7\n";
  const std::uint8_t whole[] = {0xF0, 0x43, 0x30, 0x7F, 'A', 'B', 0, 0, 0, 0xF7};
  runner.keyboard(2).receiveMidi(whole, sizeof whole - 1);  // without its F7
  EXPECT_NE(failureOf(runner, sysex).find("keyboard 2 to receive [F0 43 ?? 7F 41 42 00 00 00 F7]"),
            std::string::npos);
  const std::uint8_t otherMaker[] = {0xF0, 0x42, 0x30, 0x7F, 'A', 'B', 0, 0, 0, 0xF7};
  runner.keyboard(2).receiveMidi(otherMaker, sizeof otherMaker);
  failureOf(runner, sysex);
  runner.keyboard(2).receiveMidi(whole, sizeof whole);
  EXPECT_TRUE(runner.runText(sysex).passed);

  // The last token of sent-count is the count, even though "3" could be read as a byte.
  const std::uint8_t short10[] = {0xF0, 0x10, 0xF7};
  for (int i = 0; i < 3; ++i) runner.keyboard(1).receiveMidi(short10, sizeof short10);
  EXPECT_TRUE(runner.runText("expect sent-count F0 10 3\n").passed);

  EXPECT_NE(failureOf(runner, "expect knob EQKnob2 value \"1.0\"\n")
                .find("expected knob 14 (EQKnob2) value \"1.0\" at keyboard 1, saw"),
            std::string::npos);
  EXPECT_NE(failureOf(runner, "expect function \"Jog\" \"wheel\" 5 125*2\n")
                .find("to receive 5 125 125, saw nothing"),
            std::string::npos);
  EXPECT_TRUE(runner.runText("expect flag none\n").passed);
  // A 32-bit result reads the same written in hex or in decimal.
  for (const char* line : {"expect detect 0x80004002\n", "expect detect -2147467262\n"}) {
    EXPECT_NE(failureOf(runner, line).find("expected detection to answer -2147467262, saw"),
              std::string::npos)
        << line;
  }
}

TEST(ScenarioParser, BadLinesNameTheLineAndTheReason) {
  struct Case {
    const char* line;
    const char* reason;
  };
  const Case cases[] = {
      {"frobnicate", "unknown command \"frobnicate\""},
      {"\"start\"", "starts with a command"},
      {"midi 9", "not a hex byte"},
      {"midi GG 10 7F", "not a hex byte"},
      {"sysex F0 100 F7", "not a hex byte"},
      {"sysex F0 43 10", "ends with F7"},
      {"midi F0 43 F7", "use sysex"},
      {"midi 90 80 00", "data bytes"},
      {"midi 90 10 7F 00", "status byte"},
      {"sysex F0 ?? F7", "only stands in checks"},
      {"sysex F0 00*999999 F7", "bad repeat"},
      {"sysex F0 00*0 F7", "bad repeat"},
      {"sysex", "missing HEX"},
      {"expect sent", "missing HEX"},
      {"page \"Jog Mode", "unterminated quote"},
      {"turn AsgnKnob1", "missing TICKS"},
      {"turn AsgnKnob1 x", "not a whole number"},
      {"turn AsgnKnob1 20000", "outside"},
      {"turn Play 1", "is a button"},
      {"press AsgnKnob1", "is a knob"},
      {"tap Pedal", "unknown element"},
      {"press", "missing ELEMENT"},
      {"start now", "unexpected \"now\""},
      {"start@2", "takes no @K"},
      {"expect@2 devices 1", "takes no @K"},
      {"turn@0 DataDial 1", "bad keyboard"},
      {"turn@x DataDial 1", "bad keyboard"},
      {"keyboards 10", "outside"},
      {"idle 0", "outside"},
      {"port sideways \"x\"", "in or out"},
      {"service mixer off", "unknown service"},
      {"kb-answer maybe", "on or off"},
      {"kb-assign \"Piano\" EQKnob1 0 1", "fixed assignments"},
      {"kb-assign \"Piano\" 1 3 1", "outside"},
      {"expect", "expect what?"},
      {"expect nothing", "unknown check"},
      {"expect knob 25 name \"x\"", "is no knob"},
      {"expect knob 1 title \"x\"", "name or value"},
      {"expect fkey 7 \"x\"", "outside"},
      {"expect lamp Play dim", "on or off"},
      {"expect sent-count F0", "needs HEX bytes and a count"},
      {"expect function \"Jog\" \"wheel\" 5*0", "bad repeat"},
      {"expect value track:Lead vol x", "not a number"},
      {"expect text Track vol \"x\"", "no object \"Track\""},
      {"set track:Lead volume loud", "not a number"},
      {"set Transport position \"1\"", "only position NUMBER"},
      {"expect edit track:Lead volume ajar", "open or closed"},
      {"project \"no-such-project.json\"", "no-such-project.json: cannot be read"},
      {"host \"Tessaly\" \"7.5.0\"", "missing BUILD"},
  };
  for (const Case& c : cases) {
    const std::string text = "start\n# fine so far\n" + std::string(c.line) + "\nstop\n";
    ScenarioError error = parseBad(text);
    EXPECT_EQ(error.line, 3) << c.line;
    EXPECT_NE(error.message.find(c.reason), std::string::npos) << c.line << " -> " << error.message;
  }
  ScenarioError nul = parseBad(std::string("start\nidle\0 2\n", 13));
  EXPECT_EQ(nul.line, 2);
}

TEST(ScenarioRunner, ReportsParseErrorsAndCommandsThatCannotRunWithTheirLine) {
  std::ostringstream out;
  {
    ScenarioRunner runner("/nonexistent/qentlink.hox3", out);
    ScenarioResult result = runner.runText("keyboards 1\n\nturn Play 1\n");
    EXPECT_FALSE(result.passed);
    EXPECT_EQ(result.line, 3);
  }
  // The Devices menu before the host runs.
  for (const char* line : {"menu \"Devices\""}) {
    ScenarioRunner runner("/nonexistent/qentlink.hox3", out);
    ScenarioResult result = runner.runText(std::string("keyboards 1\n") + line + "\n");
    EXPECT_EQ(result.line, 2) << line;
    EXPECT_FALSE(result.passed) << line;
    EXPECT_NE(result.message.find("not running"), std::string::npos) << result.message;
  }
  // A module that cannot be loaded fails at start, clearly.
  ScenarioRunner runner("/nonexistent/qentlink.hox3", out);
  ScenarioResult result = runner.runText("start\n");
  EXPECT_FALSE(result.passed);
  EXPECT_EQ(result.line, 1);
  EXPECT_NE(result.message.find("could not load"), std::string::npos) << result.message;
}

TEST(ScenarioRunner, ChecksTheKeyboardWithoutAModuleAndSaysWhatItSaw) {
  std::ostringstream out;
  ScenarioRunner runner("/nonexistent/qentlink.hox3", out);
  EXPECT_TRUE(runner
                  .runText("expect lamp Play off\nexpect not-sent F0\nexpect flag none\n"
                           "expect sent-count 90 0\nexpect function \"Jog\" \"wheel\"\n")
                  .passed);
  const std::uint8_t lineMessage[] = {0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x00, 0x01, 0x60, 0x00,
                                      'H',  'i',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',
                                      ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',
                                      ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  0xF7};
  runner.keyboard(1).receiveMidi(lineMessage, sizeof lineMessage);
  EXPECT_TRUE(runner
                  .runText("expect line \"Hi\"\nexpect sent F0 43 10 7F 1C 00 01 60 00 "
                           "\"Hi\" 20*22 F7\nexpect sent-count F0 43 ?? 7F 1\n")
                  .passed);
  ScenarioResult wrong = runner.runText("expect line \"Hello\"\n");
  EXPECT_FALSE(wrong.passed);
  EXPECT_EQ(wrong.message, "expected text line \"Hello\" at keyboard 1, saw \"Hi\"");
  ScenarioResult missing = runner.runText("expect sent F0 43 10 7F 1C 00 01 60 00 F7\n");
  EXPECT_FALSE(missing.passed);
  EXPECT_NE(missing.message.find("similar"), std::string::npos) << missing.message;
  ScenarioResult present = runner.runText("expect not-sent F0 43 10\n");
  EXPECT_FALSE(present.passed);
  // clear forgets what was received, not what the display shows.
  EXPECT_TRUE(runner.runText("clear\nexpect not-sent F0\nexpect line \"Hi\"\n").passed);
}

// The manual's command tables and `qentsim run --help` come from two places; this keeps them
// the same language: every command of the table, with its syntax as help shows it, is in the
// manual's tables (the first cell, in backticks, without "[@K]"; "\|" for "|"), and the tables
// hold no other command. The manual's other sections (serve's options, project files) have
// tables of their own, so only the section "## Scenario files" counts.
TEST(CommandTable, TheManualListsEveryCommandWithItsSyntax) {
  std::ifstream file(QENT_SCENARIO_MANUAL);
  ASSERT_TRUE(file) << QENT_SCENARIO_MANUAL;
  std::set<std::string> manual;
  std::string line;
  bool inSection = false;
  while (std::getline(file, line)) {
    if (line.starts_with("## ")) inSection = line == "## Scenario files";
    if (!inSection || !line.starts_with("| `")) continue;
    // The first cell ends at the first "|" that is not written "\|".
    std::size_t end = 1;
    while ((end = line.find('|', end + 1)) != std::string::npos && line[end - 1] == '\\') {
    }
    const std::string cell = line.substr(1, end - 1);
    for (std::size_t open = cell.find('`'); open != std::string::npos;
         open = cell.find('`', open)) {
      const std::size_t close = cell.find('`', open + 1);
      ASSERT_NE(close, std::string::npos) << line;
      std::string usage = cell.substr(open + 1, close - open - 1);
      for (std::size_t bar; (bar = usage.find("\\|")) != std::string::npos;) usage.erase(bar, 1);
      manual.insert(usage);
      open = close + 1;
    }
  }
  std::set<std::string> table;
  for (const CommandRow* row : CommandTable::all()) {
    std::string usage = CommandTable::usage(*row);
    if (const std::size_t at = usage.find("[@K]"); at != std::string::npos) usage.erase(at, 4);
    table.insert(usage);
  }
  for (const std::string& usage : table)
    EXPECT_TRUE(manual.count(usage)) << "not in the manual: " << usage;
  for (const std::string& usage : manual)
    EXPECT_TRUE(table.count(usage)) << "not a command: " << usage;
}

}  // namespace
