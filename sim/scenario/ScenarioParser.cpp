#include "sim/scenario/ScenarioParser.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "sim/keyboard/KeyboardElements.h"

namespace QentSim {

namespace {

// Bounds that keep a scenario from running for hours or allocating without end.
constexpr std::int64_t kMaxKeyboards = 9;
constexpr std::int64_t kMaxIdleRounds = 100000;
constexpr std::int64_t kMaxAdvanceMs = 600000;
constexpr std::int64_t kMaxWaitMs = 10000;
constexpr std::int64_t kMaxTicks = 10000;
constexpr std::int64_t kMaxRepeat = 100000;

struct VerbInfo {
  const char* name;
  Verb verb;
  const char* usage;
  bool takesKeyboard;
};

constexpr VerbInfo kVerbs[] = {
    {"host", Verb::Host, "host \"PRODUCT\" \"VERSION\" \"BUILD\"", false},
    {"language", Verb::Language, "language CODE", false},
    {"project", Verb::Project, "project FILE", false},
    {"settings", Verb::Settings, "settings FILE", false},
    {"keyboards", Verb::Keyboards, "keyboards N (0..9)", false},
    {"port", Verb::Port, "port in|out \"NAME\" [KEYBOARD]", false},
    {"service", Verb::Service, "service NAME on|off", false},
    {"start", Verb::Start, "start", false},
    {"stop", Verb::Stop, "stop", false},
    {"restart", Verb::Restart, "restart", false},
    {"detect", Verb::Detect, "detect", false},
    {"unplug", Verb::Unplug, "unplug K", false},
    {"activate", Verb::Activate, "activate K", false},
    {"deactivate", Verb::Deactivate, "deactivate K", false},
    {"idle", Verb::Idle, "idle [N]", false},
    {"advance", Verb::Advance, "advance MS", false},
    {"clock", Verb::Clock, "clock T", false},
    {"settle", Verb::Settle, "settle", false},
    {"wait", Verb::Wait, "wait MS", false},
    {"position", Verb::Position, "position NUMBER", false},
    {"turn", Verb::Turn, "turn[@K] ELEMENT TICKS", true},
    {"press", Verb::Press, "press[@K] ELEMENT", true},
    {"release", Verb::Release, "release[@K] ELEMENT", true},
    {"tap", Verb::Tap, "tap[@K] ELEMENT", true},
    {"midi", Verb::Midi, "midi[@K] HEX...", true},
    {"sysex", Verb::SysEx, "sysex[@K] HEX...", true},
    {"kb-assign", Verb::KbAssign, "kb-assign[@K] \"NAME\" KNOB KIND ID", true},
    {"kb-answer", Verb::KbAnswer, "kb-answer[@K] [hello|name] on|off", true},
    {"select", Verb::Select, "select \"TRACK\"", false},
    {"set", Verb::Set, "set OBJECT KEY VALUE", false},
    {"page", Verb::Page, "page \"PAGE\"", false},
    {"command", Verb::Command, "command \"CATEGORY\" \"NAME\"", false},
    {"menu", Verb::Menu, "menu \"TITLE\"", false},
    {"expect", Verb::Expect, "expect[@K] WHAT ...", true},
    {"clear", Verb::Clear, "clear", false},
    {"show", Verb::Show, "show[@K]", true},
    {"say", Verb::Say, "say \"TEXT\"", false},
};

struct CheckInfo {
  const char* name;
  Check check;
  const char* usage;
};

constexpr CheckInfo kChecks[] = {
    {"sent", Check::Sent, "expect sent HEX..."},
    {"not-sent", Check::NotSent, "expect not-sent HEX..."},
    {"sent-count", Check::SentCount, "expect sent-count HEX... N"},
    {"idle-max", Check::IdleMax, "expect idle-max N"},
    {"knob", Check::KnobName, "expect knob KNOB name|value \"TEXT\""},
    {"line", Check::Line, "expect line \"TEXT\""},
    {"target", Check::Target, "expect target \"TEXT\""},
    {"memory-name", Check::MemoryName, "expect memory-name \"TEXT\""},
    {"fkey", Check::FKey, "expect fkey K \"TEXT\" (K = 1..6)"},
    {"flag", Check::Flag, "expect flag N|none"},
    {"lamp", Check::Lamp, "expect lamp ELEMENT on|off"},
    {"mode", Check::Mode, "expect mode \"TEXT\""},
    {"executed", Check::Executed, "expect executed \"CATEGORY\" \"NAME\""},
    {"not-executed", Check::NotExecuted, "expect not-executed \"CATEGORY\" \"NAME\""},
    {"function", Check::Function, "expect function \"FUNCTION\" \"PARAMETER\" [VALUE...]"},
    {"playing", Check::Playing, "expect playing on|off"},
    {"recording", Check::Recording, "expect recording on|off"},
    {"mixer", Check::Mixer, "expect mixer KEY N"},
    {"devices", Check::Devices, "expect devices N"},
    {"device", Check::Device, "expect device N \"INPUT\" \"OUTPUT\""},
    {"bindings", Check::Bindings, "expect bindings N"},
    {"detect", Check::DetectResult, "expect detect N|refused"},
    {"step", Check::Step, "expect step \"TEXT\""},
    {"not-step", Check::NotStep, "expect not-step \"TEXT\""},
    {"value", Check::Value, "expect value OBJECT KEY NUMBER [TOLERANCE]"},
    {"text", Check::Text, "expect text OBJECT KEY \"TEXT\""},
    {"setting", Check::Setting, "expect setting \"SECTION\" \"KEY\" VALUE"},
};

constexpr const char* kServices[] = {
    "idle",           "project",         "host-state",   "transport-position", "command-catalogue",
    "midi-port-list", "device-registry", "mixer-target", "host-functions",
};

bool parseInteger(const std::string& text, std::int64_t& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  int base = 10;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    first += 2;
    base = 16;
  }
  auto [end, ec] = std::from_chars(first, last, out, base);
  return ec == std::errc() && end == last;
}

bool parseReal(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Walks the arguments of one command, converting each and saying what was wrong.
class Arguments {
 public:
  Arguments(const std::vector<ScenarioToken>& tokens, std::size_t first, const char* usage,
            std::string& error)
      : tokens_(tokens), next_(first), usage_(usage), error_(error) {}

  Arguments withUsage(const char* usage) const { return Arguments(tokens_, next_, usage, error_); }

  bool atEnd() const { return next_ >= tokens_.size(); }
  std::size_t left() const { return atEnd() ? 0 : tokens_.size() - next_; }
  const ScenarioToken& peek() const { return tokens_[next_]; }

  bool fail(const std::string& why) {
    error_ = why + "; usage: " + usage_;
    return false;
  }

  bool text(std::string& out, const char* what) {
    if (atEnd()) return fail(std::string("missing ") + what);
    out = tokens_[next_++].text;
    return true;
  }

  bool word(std::string& out, const char* what) {
    if (atEnd()) return fail(std::string("missing ") + what);
    if (tokens_[next_].quoted) return fail(std::string(what) + " is a word, not a quoted text");
    out = tokens_[next_++].text;
    return true;
  }

  bool integer(std::int64_t& out, const char* what, std::int64_t low, std::int64_t high) {
    std::string token;
    if (!word(token, what)) return false;
    if (!parseInteger(token, out))
      return fail(std::string(what) + " \"" + token + "\" is not a whole number");
    if (out < low || out > high)
      return fail(std::string(what) + " " + token + " is outside " + std::to_string(low) + ".." +
                  std::to_string(high));
    return true;
  }

  bool real(double& out, const char* what) {
    std::string token;
    if (!word(token, what)) return false;
    if (!parseReal(token, out))
      return fail(std::string(what) + " \"" + token + "\" is not a number");
    return true;
  }

  bool onOff(bool& out, const char* what) {
    std::string token;
    if (!word(token, what)) return false;
    if (token == "on")
      out = true;
    else if (token == "off")
      out = false;
    else
      return fail(std::string(what) + " must be on or off, not \"" + token + "\"");
    return true;
  }

  bool element(std::int64_t& out) {
    std::string name;
    if (!text(name, "ELEMENT")) return false;
    int index = KeyboardElements::find(name);
    if (index < 0) return fail("unknown element \"" + name + "\"");
    out = index;
    return true;
  }

  bool knob(std::int64_t& out) {
    std::string name;
    if (!text(name, "KNOB")) return false;
    int index = KeyboardElements::knobFromText(name);
    if (index < 0) return fail("\"" + name + "\" is no knob (1..24, AsgnKnob1..12 or EQKnob1..12)");
    out = index;
    return true;
  }

  // Hex bytes up to the end, or up to `keep` tokens before it.
  bool bytes(BytePattern& out, std::size_t keep = 0) {
    while (left() > keep) {
      const ScenarioToken& token = tokens_[next_++];
      if (token.quoted) {
        for (char c : token.text) out.append(static_cast<unsigned char>(c));
      } else if (!hexItem(token.text, out)) {
        return false;
      }
      if (out.size() > BytePattern::kMaxLength)
        return fail("more than " + std::to_string(BytePattern::kMaxLength) + " bytes");
    }
    if (out.empty()) return fail("missing HEX bytes");
    return true;
  }

  bool end() {
    if (atEnd()) return true;
    return fail("unexpected \"" + tokens_[next_].text + "\"");
  }

 private:
  bool hexItem(const std::string& token, BytePattern& out) {
    std::string byteText = token;
    std::int64_t repeat = 1;
    std::size_t star = token.find('*');
    if (star != std::string::npos) {
      byteText = token.substr(0, star);
      if (!parseInteger(token.substr(star + 1), repeat) || repeat < 1 || repeat > kMaxRepeat)
        return fail("bad repeat in \"" + token + "\" (XX*N, N = 1.." + std::to_string(kMaxRepeat) +
                    ")");
    }
    int value = 0;
    if (byteText == "??") {
      value = BytePattern::kAny;
    } else if (byteText.size() == 2 && hexDigit(byteText[0]) >= 0 && hexDigit(byteText[1]) >= 0) {
      value = hexDigit(byteText[0]) * 16 + hexDigit(byteText[1]);
    } else {
      return fail("\"" + token + "\" is not a hex byte (two digits, e.g. F0)");
    }
    if (static_cast<std::size_t>(repeat) > BytePattern::kMaxLength)
      return fail("more than " + std::to_string(BytePattern::kMaxLength) + " bytes");
    for (std::int64_t i = 0; i < repeat; ++i) out.append(value);
    return true;
  }

  const std::vector<ScenarioToken>& tokens_;
  std::size_t next_;
  const char* usage_;
  std::string& error_;
};

bool parseExpect(Arguments& verbArgs, ScenarioCommand& cmd, std::string& error) {
  std::string what;
  if (verbArgs.atEnd()) {
    error =
        "expect what? one of: sent, not-sent, sent-count, idle-max, knob, line, target, "
        "memory-name, fkey, flag, lamp, mode, executed, not-executed, function, playing, "
        "recording, mixer, devices, device, bindings, detect, step, not-step, value, text, "
        "setting";
    return false;
  }
  const ScenarioToken& first = verbArgs.peek();
  const CheckInfo* info = nullptr;
  for (const CheckInfo& c : kChecks) {
    if (!first.quoted && first.text == c.name) info = &c;
  }
  if (info == nullptr) {
    error = "unknown check \"expect " + first.text + "\"";
    return false;
  }
  verbArgs.word(what, "WHAT");
  // From here on, messages quote this check's own usage.
  Arguments args = verbArgs.withUsage(info->usage);
  cmd.check = info->check;
  std::int64_t n = 0;
  std::string token;
  switch (info->check) {
    case Check::Sent:
    case Check::NotSent:
      return args.bytes(cmd.bytes) && args.end();
    case Check::SentCount:
      if (args.left() < 2) return args.fail("expect sent-count needs HEX bytes and a count");
      if (!args.bytes(cmd.bytes, 1)) return false;
      if (!args.integer(n, "N", 0, 1000000)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Check::IdleMax:
    case Check::Devices:
    case Check::Bindings:
      if (!args.integer(n, "N", 0, 1000000)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Check::KnobName: {
      if (!args.knob(n)) return false;
      cmd.numbers.push_back(n);
      if (!args.word(token, "name|value")) return false;
      if (token == "value")
        cmd.check = Check::KnobValue;
      else if (token != "name")
        return args.fail("expected name or value, not \"" + token + "\"");
      if (!args.text(token, "TEXT")) return false;
      cmd.texts.push_back(token);
      return args.end();
    }
    case Check::Line:
    case Check::Target:
    case Check::MemoryName:
    case Check::Mode:
    case Check::Step:
    case Check::NotStep:
      if (!args.text(token, "TEXT")) return false;
      cmd.texts.push_back(token);
      return args.end();
    case Check::FKey:
      if (!args.integer(n, "K", 1, 6)) return false;
      cmd.numbers.push_back(n - 1);
      if (!args.text(token, "TEXT")) return false;
      cmd.texts.push_back(token);
      return args.end();
    case Check::Flag:
      if (!args.atEnd() && !args.peek().quoted && args.peek().text == "none") {
        args.word(token, "N");
        cmd.numbers.push_back(-1);
        return args.end();
      }
      if (!args.integer(n, "N", 0, 127)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Check::Lamp:
      if (!args.element(n)) return false;
      cmd.numbers.push_back(n);
      return args.onOff(cmd.flag, "on|off") && args.end();
    case Check::Executed:
    case Check::NotExecuted:
      cmd.texts.resize(2);
      return args.text(cmd.texts[0], "CATEGORY") && args.text(cmd.texts[1], "NAME") && args.end();
    case Check::Function:
      cmd.texts.resize(2);
      if (!args.text(cmd.texts[0], "FUNCTION") || !args.text(cmd.texts[1], "PARAMETER"))
        return false;
      while (!args.atEnd()) {
        if (!args.word(token, "VALUE")) return false;
        std::int64_t repeat = 1;
        std::size_t star = token.find('*');
        std::string valueText = token.substr(0, star);
        if (star != std::string::npos &&
            (!parseInteger(token.substr(star + 1), repeat) || repeat < 1 || repeat > 10000))
          return args.fail("bad repeat in \"" + token + "\" (VALUE*N, N = 1..10000)");
        std::int64_t value = 0;
        if (!parseInteger(valueText, value) || value < -1000000 || value > 1000000)
          return args.fail("VALUE \"" + token + "\" is not a whole number");
        for (std::int64_t i = 0; i < repeat; ++i) cmd.numbers.push_back(value);
      }
      return true;
    case Check::Playing:
    case Check::Recording:
      return args.onOff(cmd.flag, "on|off") && args.end();
    case Check::Mixer:
      cmd.texts.resize(1);
      if (!args.text(cmd.texts[0], "KEY") || !args.integer(n, "N", -1000000, 1000000)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Check::Device:
      if (!args.integer(n, "N", 1, 100)) return false;
      cmd.numbers.push_back(n);
      cmd.texts.resize(2);
      return args.text(cmd.texts[0], "INPUT") && args.text(cmd.texts[1], "OUTPUT") && args.end();
    case Check::DetectResult:
      if (!args.atEnd() && !args.peek().quoted && args.peek().text == "refused") {
        args.word(token, "N");
        cmd.flag = true;
        return args.end();
      }
      if (!args.integer(n, "N", INT32_MIN, UINT32_MAX)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Check::Value:
      cmd.texts.resize(2);
      if (!args.text(cmd.texts[0], "OBJECT") || !args.text(cmd.texts[1], "KEY") ||
          !args.real(cmd.real, "NUMBER"))
        return false;
      if (!args.atEnd() && !args.real(cmd.tolerance, "TOLERANCE")) return false;
      return args.end();
    case Check::Text:
    case Check::Setting:
      cmd.texts.resize(3);
      return args.text(cmd.texts[0], "OBJECT") && args.text(cmd.texts[1], "KEY") &&
             args.text(cmd.texts[2], "VALUE") && args.end();
    default:
      break;
  }
  error = "internal: check without a reader";
  return false;
}

bool parseArguments(const VerbInfo& info, Arguments& args, ScenarioCommand& cmd,
                    std::string& error) {
  std::int64_t n = 0;
  std::string token;
  switch (info.verb) {
    case Verb::Host:
      cmd.texts.resize(3);
      return args.text(cmd.texts[0], "PRODUCT") && args.text(cmd.texts[1], "VERSION") &&
             args.text(cmd.texts[2], "BUILD") && args.end();
    case Verb::Language:
    case Verb::Project:
    case Verb::Settings:
    case Verb::Select:
    case Verb::Page:
    case Verb::Menu:
    case Verb::Say:
      cmd.texts.resize(1);
      return args.text(cmd.texts[0], "argument") && args.end();
    case Verb::Keyboards:
      if (!args.integer(n, "N", 0, kMaxKeyboards)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Port:
      if (!args.word(token, "in|out")) return false;
      if (token != "in" && token != "out")
        return args.fail("port direction must be in or out, not \"" + token + "\"");
      cmd.flag = token == "in";
      cmd.texts.resize(1);
      if (!args.text(cmd.texts[0], "NAME")) return false;
      n = 0;
      if (!args.atEnd() && !args.integer(n, "KEYBOARD", 0, kMaxKeyboards)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Service: {
      if (!args.word(cmd.which, "NAME")) return false;
      bool known = false;
      for (const char* s : kServices) known = known || cmd.which == s;
      if (!known) {
        std::string list;
        for (const char* s : kServices) list += std::string(list.empty() ? "" : ", ") + s;
        return args.fail("unknown service \"" + cmd.which + "\" (one of " + list + ")");
      }
      return args.onOff(cmd.flag, "on|off") && args.end();
    }
    case Verb::Start:
    case Verb::Stop:
    case Verb::Restart:
    case Verb::Detect:
    case Verb::Settle:
    case Verb::Clear:
    case Verb::Show:
      return args.end();
    case Verb::Unplug:
    case Verb::Activate:
    case Verb::Deactivate:
      if (!args.integer(n, "K", 1, kMaxKeyboards)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Idle:
      n = 1;
      if (!args.atEnd() && !args.integer(n, "N", 1, kMaxIdleRounds)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Advance:
      if (!args.integer(n, "MS", 0, kMaxAdvanceMs)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Clock:
      if (!args.integer(n, "T", 0, UINT32_MAX)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Wait:
      if (!args.integer(n, "MS", 0, kMaxWaitMs)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Position:
      return args.real(cmd.real, "NUMBER") && args.end();
    case Verb::Turn:
      if (!args.element(n)) return false;
      if (!KeyboardElements::isEncoder(static_cast<int>(n)))
        return args.fail(std::string(KeyboardElements::at(static_cast<int>(n))->name) +
                         " is a button; only knobs and the dial turn");
      cmd.numbers.push_back(n);
      if (!args.integer(n, "TICKS", -kMaxTicks, kMaxTicks)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Press:
    case Verb::Release:
    case Verb::Tap:
      if (!args.element(n)) return false;
      if (!KeyboardElements::isButton(static_cast<int>(n)))
        return args.fail(std::string(KeyboardElements::at(static_cast<int>(n))->name) +
                         " is a knob; knobs turn");
      cmd.numbers.push_back(n);
      return args.end();
    case Verb::Midi:
    case Verb::SysEx: {
      if (!args.bytes(cmd.bytes)) return false;
      if (cmd.bytes.hasWildcard()) return args.fail("\"??\" only stands in checks");
      const std::vector<std::uint8_t> bytes = cmd.bytes.bytes();
      if (info.verb == Verb::Midi) {
        if (bytes.size() > 3 || bytes[0] < 0x80 || bytes[0] >= 0xF0)
          return args.fail(
              "a MIDI channel message is a status byte 80..EF and up to two data "
              "bytes; use sysex for F0..F7");
        for (std::size_t i = 1; i < bytes.size(); ++i) {
          if (bytes[i] >= 0x80) return args.fail("MIDI data bytes are 00..7F");
        }
      } else if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7) {
        return args.fail("a SysEx message starts with F0 and ends with F7");
      }
      return true;
    }
    case Verb::KbAssign: {
      cmd.texts.resize(1);
      if (!args.text(cmd.texts[0], "NAME") || !args.knob(n)) return false;
      if (n >= 12) return args.fail("the EQ knobs have fixed assignments; KNOB is 1..12");
      cmd.numbers.push_back(n);
      if (!args.integer(n, "KIND", 0, 2)) return false;
      cmd.numbers.push_back(n);
      if (!args.integer(n, "ID", 0, UINT32_MAX)) return false;
      cmd.numbers.push_back(n);
      return args.end();
    }
    case Verb::KbAnswer:
      if (!args.atEnd() && !args.peek().quoted &&
          (args.peek().text == "hello" || args.peek().text == "name")) {
        args.word(cmd.which, "hello|name");
      }
      return args.onOff(cmd.flag, "on|off") && args.end();
    case Verb::Set:
      cmd.texts.resize(3);
      return args.text(cmd.texts[0], "OBJECT") && args.text(cmd.texts[1], "KEY") &&
             args.text(cmd.texts[2], "VALUE") && args.end();
    case Verb::Command:
      cmd.texts.resize(2);
      return args.text(cmd.texts[0], "CATEGORY") && args.text(cmd.texts[1], "NAME") && args.end();
    case Verb::Expect:
      return parseExpect(args, cmd, error);
  }
  error = "internal: verb without a reader";
  return false;
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

bool ScenarioParser::parseLine(std::string_view line, int lineNumber, ScenarioCommand& out,
                               bool& empty, std::string& error) {
  std::vector<ScenarioToken> tokens;
  empty = false;
  if (!tokenize(line, tokens, error)) return false;
  if (tokens.empty()) {
    empty = true;
    return true;
  }
  if (tokens[0].quoted) {
    error = "a line starts with a command, not with quoted text";
    return false;
  }
  std::string verbText = tokens[0].text;
  ScenarioCommand cmd;
  cmd.line = lineNumber;
  std::size_t at = verbText.find('@');
  std::string keyboardText;
  if (at != std::string::npos) {
    keyboardText = verbText.substr(at + 1);
    verbText.resize(at);
  }
  const VerbInfo* info = nullptr;
  for (const VerbInfo& v : kVerbs) {
    if (verbText == v.name) info = &v;
  }
  if (info == nullptr) {
    error = "unknown command \"" + verbText + "\"";
    return false;
  }
  if (at != std::string::npos) {
    std::int64_t k = 0;
    if (!info->takesKeyboard) {
      error = std::string("\"") + info->name + "\" takes no @K";
      return false;
    }
    if (!parseInteger(keyboardText, k) || k < 1 || k > kMaxKeyboards) {
      error = "bad keyboard \"@" + keyboardText + "\" (@1..@9)";
      return false;
    }
    cmd.keyboard = static_cast<int>(k);
    cmd.keyboardGiven = true;
  }
  cmd.verb = info->verb;
  Arguments args(tokens, 1, info->usage, error);
  if (!parseArguments(*info, args, cmd, error)) return false;
  out = std::move(cmd);
  return true;
}

bool ScenarioParser::parse(std::string_view text, std::vector<ScenarioCommand>& out,
                           ScenarioError& error) {
  out.clear();
  int lineNumber = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++lineNumber;
    std::string_view line = text.substr(start, end - start);
    ScenarioCommand cmd;
    bool empty = false;
    std::string why;
    if (line.find('\0') != std::string_view::npos) {
      error = {lineNumber, "NUL byte in the line (not a text file?)"};
      return false;
    }
    if (!parseLine(line, lineNumber, cmd, empty, why)) {
      error = {lineNumber, why};
      return false;
    }
    if (!empty) out.push_back(std::move(cmd));
    start = end + 1;
  }
  return true;
}

const char* ScenarioParser::synopsis() {
  return "set-up:     host \"PRODUCT\" \"VERSION\" \"BUILD\" | language CODE | keyboards N\n"
         "            port in|out \"NAME\" [KEYBOARD] | service NAME on|off\n"
         "            project FILE | settings FILE            (not available yet)\n"
         "life cycle: start | stop | restart | detect | unplug K | activate K | deactivate K\n"
         "time:       idle [N] | advance MS | clock T | settle | wait MS | position NUMBER\n"
         "keyboard:   turn[@K] ELEMENT TICKS | press[@K] ELEMENT | release[@K] ELEMENT\n"
         "            tap[@K] ELEMENT | midi[@K] HEX... | sysex[@K] HEX...\n"
         "            kb-assign[@K] \"NAME\" KNOB KIND ID | kb-answer[@K] [hello|name] on|off\n"
         "host:       page \"PAGE\" | command \"CATEGORY\" \"NAME\"\n"
         "            select \"TRACK\" | set OBJECT KEY VALUE | menu \"TITLE\"   (not available "
         "yet)\n"
         "checks:     expect[@K] sent HEX... | not-sent HEX... | sent-count HEX... N | idle-max N\n"
         "            expect[@K] knob KNOB name|value \"TEXT\" | line|target|memory-name \"TEXT\"\n"
         "            expect[@K] fkey K \"TEXT\" | flag N|none | lamp ELEMENT on|off\n"
         "            expect mode \"TEXT\" | executed|not-executed \"CATEGORY\" \"NAME\"\n"
         "            expect function \"FUNCTION\" \"PARAMETER\" [VALUE...] | playing|recording "
         "on|off\n"
         "            expect mixer KEY N | devices N | device N \"INPUT\" \"OUTPUT\"\n"
         "            expect[@K] bindings N | detect N|refused | step|not-step \"TEXT\"\n"
         "            expect value OBJECT KEY NUMBER [TOL] | text OBJECT KEY \"TEXT\"\n"
         "            expect setting \"SECTION\" \"KEY\" VALUE        (not available yet)\n"
         "other:      clear | show[@K] | say \"TEXT\"\n";
}

}  // namespace QentSim
