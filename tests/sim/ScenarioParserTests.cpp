// Scenario files: what the parser makes of good lines, the line and reason it gives for bad
// ones, and how the runner reports failures without a module behind it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/ScenarioParser.h"
#include "sim/scenario/ScenarioRunner.h"
#include "sim/scenario/commands/HostChecks.h"
#include "sim/scenario/commands/KeyboardChecks.h"
#include "sim/scenario/commands/KeyboardCommands.h"
#include "sim/scenario/commands/SetupCommands.h"
#include "sim/scenario/commands/TimeCommands.h"

namespace {

using namespace QentSim;

Scenario parseOk(const std::string& text) {
  Scenario commands;
  ScenarioError error;
  EXPECT_TRUE(ScenarioParser::parse(text, commands, error))
      << "line " << error.line << ": " << error.message;
  return commands;
}

// Command i as the command it must be; a default one, and a failure, when it is another.
template <class Command>
Command as(const Scenario& commands, std::size_t i) {
  const auto* command =
      i < commands.size() ? dynamic_cast<const Command*>(commands[i].get()) : nullptr;
  if (command == nullptr) {
    ADD_FAILURE() << "command " << i << " is not the one expected";
    return {};
  }
  return *command;
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
  EXPECT_EQ(as<KeyboardsCommand>(commands, 0).count, 2);
  const PortCommand port = as<PortCommand>(commands, 1);
  EXPECT_TRUE(port.input);
  EXPECT_EQ(port.name, "Talvane QENT6/QENT8-2 ");
  EXPECT_EQ(port.carries, 1);

  const TurnCommand turn = as<TurnCommand>(commands, 2);
  EXPECT_EQ(commands[2]->keyboard, 2);
  EXPECT_EQ(turn.element, 0);
  EXPECT_EQ(turn.ticks, -3);
  EXPECT_EQ(commands[2]->line, 3);

  const SentCheck sent = as<SentCheck>(commands, 3);
  EXPECT_EQ(commands[3]->keyboard, 2);
  EXPECT_TRUE(commands[3]->keyboardGiven);
  EXPECT_EQ(sent.start.text(), "F0 43 ?? 7F 41 42 00 00 00 F7");
  EXPECT_TRUE(sent.start.isPrefixOf({0xF0, 0x43, 0x30, 0x7F, 'A', 'B', 0, 0, 0, 0xF7}));
  EXPECT_FALSE(sent.start.isPrefixOf({0xF0, 0x43, 0x30, 0x7F, 'A', 'B', 0, 0, 0}));
  EXPECT_FALSE(sent.start.isPrefixOf({0xF0, 0x42, 0x30, 0x7F, 'A', 'B', 0, 0, 0, 0xF7}));

  // The last token of sent-count is the count, even though "3" could be read as a byte.
  const SentCountCheck count = as<SentCountCheck>(commands, 4);
  EXPECT_EQ(count.start.size(), 2u);
  EXPECT_EQ(count.count, 3);
  EXPECT_TRUE(count.start.isPrefixOf({0xF0, 0x10, 0xF7}));

  const KnobCheck knob = as<KnobCheck>(commands, 5);
  EXPECT_TRUE(knob.value);
  EXPECT_EQ(knob.knob, 13);
  EXPECT_EQ(as<FunctionCheck>(commands, 6).values, (std::vector<std::int32_t>{5, 125, 125}));
  EXPECT_EQ(commands[6]->line, 8);
  EXPECT_EQ(as<FlagCheck>(commands, 7).flag, -1);
  const KbAssignCommand assign = as<KbAssignCommand>(commands, 8);
  EXPECT_EQ(assign.knob, 11);
  EXPECT_EQ(assign.setting.mode, 0);
  EXPECT_EQ(assign.setting.parameterId, 0x1234ABCDu);
  const KbAnswerCommand answer = as<KbAnswerCommand>(commands, 9);
  EXPECT_TRUE(answer.name);
  EXPECT_FALSE(answer.hello);
  EXPECT_FALSE(answer.on);
  EXPECT_EQ(as<IdleCommand>(commands, 10).rounds, 1);
  // A 32-bit result reads the same written in hex or in decimal.
  EXPECT_EQ(as<DetectCheck>(commands, 11).answer, -2147467262);
  EXPECT_EQ(as<DetectCheck>(commands, 12).answer, -2147467262);
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
  EXPECT_NE(wrong.message.find("\"Hello\""), std::string::npos) << wrong.message;
  EXPECT_NE(wrong.message.find("\"Hi\""), std::string::npos) << wrong.message;
  ScenarioResult missing = runner.runText("expect sent F0 43 10 7F 1C 00 01 60 00 F7\n");
  EXPECT_FALSE(missing.passed);
  EXPECT_NE(missing.message.find("similar"), std::string::npos) << missing.message;
  ScenarioResult present = runner.runText("expect not-sent F0 43 10\n");
  EXPECT_FALSE(present.passed);
  // clear forgets what was received, not what the display shows.
  EXPECT_TRUE(runner.runText("clear\nexpect not-sent F0\nexpect line \"Hi\"\n").passed);
}

}  // namespace
