// Scenario checks of what a virtual keyboard (the one "@K" addresses) received and shows.
#include <algorithm>
#include <map>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// A failure lists at most this many of the messages that were seen.
constexpr std::size_t kShownMessages = 8;
constexpr std::int64_t kMaxCount = 1000000;

using Log = std::vector<VirtualKeyboard::Received>;

std::string keyboardName(int keyboard) { return "keyboard " + std::to_string(keyboard); }

std::size_t countStarting(const Log& log, const BytePattern& start) {
  return static_cast<std::size_t>(std::count_if(
      log.begin(), log.end(), [&start](const auto& r) { return start.isPrefixOf(r.bytes); }));
}

// The messages most like `pattern` (same first bytes as far as it goes, at most the address),
// or else the last few: what a reader of a failed "expect sent" wants to compare against.
std::string seenNear(const Log& log, const BytePattern& pattern) {
  if (log.empty()) return "nothing sent to it";
  BytePattern head;
  const std::vector<std::uint8_t> bytes = pattern.bytes();
  for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 9); ++i)
    head.append(pattern.hasWildcard() ? BytePattern::kAny : bytes[i]);
  std::vector<const VirtualKeyboard::Received*> near;
  if (!pattern.hasWildcard()) {
    for (const auto& r : log)
      if (head.isPrefixOf(r.bytes)) near.push_back(&r);
  }
  std::string what = "similar";
  if (near.empty()) {
    what = "last";
    for (const auto& r : log) near.push_back(&r);
  }
  std::string out = std::to_string(log.size()) + " message(s); " + what + ":";
  std::size_t first = near.size() > kShownMessages ? near.size() - kShownMessages : 0;
  for (std::size_t i = first; i < near.size(); ++i)
    out += " [" + BytePattern::hex(near[i]->bytes) + "]";
  return out;
}

// A display text as the keyboard shows it, compared without trailing spaces; `what` names the
// place ("text line").
CommandAction expectShown(ArgumentReader& args, const std::string& what,
                          std::string (*shown)(const VirtualKeyboard&)) {
  std::string text;
  if (!args.text(text, "TEXT")) return nullptr;
  return [keyboard = args.keyboard(), what, shown, wanted = VirtualKeyboard::trimmed(text)](
             Simulation& simulation, std::string* why) {
    const std::string seen = shown(simulation.keyboard(keyboard));
    return seen == wanted ||
           expected(why, what + " " + quoted(wanted) + " at " + keyboardName(keyboard),
                    quoted(seen));
  };
}

constexpr CommandRow kRows[] = {
    // A prefix, like not-sent and sent-count: a whole SysEx ends in its only F7 and a whole
    // channel message has its fixed length, so a message written out whole still matches
    // exactly.
    {"expect sent", "HEX...",
     "a message starting with these bytes (?? any byte) reached the keyboard", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       BytePattern start;
       if (!args.bytes(start)) return nullptr;
       return [keyboard = args.keyboard(), start](Simulation& simulation, std::string* why) {
         const Log& log = simulation.keyboard(keyboard).received();
         return countStarting(log, start) > 0 ||
                expected(why, keyboardName(keyboard) + " to receive [" + start.text() + "]",
                         seenNear(log, start));
       };
     }},
    {"expect not-sent", "HEX...", "no message starting with these bytes reached the keyboard",
     Section::kCheck, Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       BytePattern start;
       if (!args.bytes(start)) return nullptr;
       return [keyboard = args.keyboard(), start](Simulation& simulation, std::string* why) {
         for (const auto& r : simulation.keyboard(keyboard).received()) {
           if (!start.isPrefixOf(r.bytes)) continue;
           // Appended, not added: the compiler warns wrongly about "[" + text + "]".
           std::string seen = "[";
           seen.append(BytePattern::hex(r.bytes)).append("]");
           return expected(
               why, "nothing starting [" + start.text() + "] at " + keyboardName(keyboard), seen);
         }
         return true;
       };
     }},
    {"expect sent-count", "HEX... N",
     "exactly N messages starting with these bytes reached the keyboard", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       BytePattern start;
       std::int64_t count = 0;
       // The last token is the count, even where it could be read as a byte.
       if (args.left() < 2) return args.refuse("expect sent-count needs HEX bytes and a count");
       if (!args.bytes(start, 1) || !args.integer(count, "N", 0, kMaxCount)) return nullptr;
       return [keyboard = args.keyboard(), start, count](Simulation& simulation, std::string* why) {
         const std::size_t seen = countStarting(simulation.keyboard(keyboard).received(), start);
         return static_cast<std::int64_t>(seen) == count ||
                expected(why,
                         std::to_string(count) + " message(s) starting [" + start.text() + "] at " +
                             keyboardName(keyboard),
                         std::to_string(seen));
       };
     }},
    {"expect idle-max", "N", "the most SysEx messages the keyboard got within one idle round is N",
     Section::kCheck, Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::int64_t most = 0;
       if (!args.integer(most, "N", 0, kMaxCount)) return nullptr;
       return [keyboard = args.keyboard(), most](Simulation& simulation, std::string* why) {
         std::map<std::uint64_t, std::int64_t> perRound;
         for (const auto& r : simulation.keyboard(keyboard).received()) {
           if (!r.bytes.empty() && r.bytes[0] == 0xF0 && simulation.wasIdleRound(r.round))
             ++perRound[r.round];
         }
         std::int64_t seen = 0;
         for (const auto& [round, count] : perRound) seen = std::max(seen, count);
         return seen == most ||
                expected(why,
                         "at most " + std::to_string(most) +
                             " SysEx message(s) in one idle round, and that many once, at " +
                             keyboardName(keyboard),
                         "at most " + std::to_string(seen));
       };
     }},
    {"expect knob", "KNOB name|value \"TEXT\"",
     "the knob's name (24 characters) or value (8) shows TEXT", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       int knob = 0;
       std::string which;
       if (!args.knob(knob) || !args.word(which, "name|value")) return nullptr;
       if (which != "name" && which != "value")
         return args.refuse("expected name or value, not \"" + which + "\"");
       const bool value = which == "value";  // the value text, else the name
       std::string text;
       if (!args.text(text, "TEXT")) return nullptr;
       const std::string what = "knob " + std::to_string(knob + 1) + " (" +
                                KeyboardElements::at(knob)->name + ") " + which;
       return [keyboard = args.keyboard(), knob, value, what,
               wanted = VirtualKeyboard::trimmed(text)](Simulation& simulation, std::string* why) {
         const VirtualKeyboard& kb = simulation.keyboard(keyboard);
         const std::string seen = value ? kb.knobValue(knob) : kb.knobName(knob);
         return seen == wanted ||
                expected(why, what + " " + quoted(wanted) + " at " + keyboardName(keyboard),
                         quoted(seen));
       };
     }},
    {"expect line", "\"TEXT\"", "the text line shows TEXT", Section::kCheck, Addressing::kKeyboard,
     Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       return expectShown(args, "text line", [](const VirtualKeyboard& kb) { return kb.line(); });
     }},
    {"expect target", "\"TEXT\"", "the target name shows TEXT", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       return expectShown(args, "target name",
                          [](const VirtualKeyboard& kb) { return kb.target(); });
     }},
    {"expect memory-name", "\"TEXT\"", "the memory name shows TEXT", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       return expectShown(args, "memory name",
                          [](const VirtualKeyboard& kb) { return kb.memoryName(); });
     }},
    {"expect fkey", "K \"TEXT\"", "function key K's (1..6) label shows TEXT", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       int key = 0;
       std::string text;
       if (!args.integer(key, "K", 1, 6) || !args.text(text, "TEXT")) return nullptr;
       // Appended, not added: the cross compiler warns wrongly about "F" + std::to_string(...).
       std::string what = "F";
       what.append(std::to_string(key)).append(" label");
       return [keyboard = args.keyboard(), index = key - 1, what,
               wanted = VirtualKeyboard::trimmed(text)](Simulation& simulation, std::string* why) {
         const std::string seen = simulation.keyboard(keyboard).keyLabel(index);
         return seen == wanted ||
                expected(why, what + " " + quoted(wanted) + " at " + keyboardName(keyboard),
                         quoted(seen));
       };
     }},
    {"expect flag", "N|none", "the state flag is N, or none has arrived", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       int flag = -1;  // -1: none has arrived
       if (!args.takeWord("none") && !args.integer(flag, "N", 0, 127)) return nullptr;
       return [keyboard = args.keyboard(), flag](Simulation& simulation, std::string* why) {
         const int seen = simulation.keyboard(keyboard).flag();
         auto text = [](int f) { return f < 0 ? std::string("none") : std::to_string(f); };
         return seen == flag ||
                expected(why, "state flag " + text(flag) + " at " + keyboardName(keyboard),
                         text(seen));
       };
     }},
    {"expect lamp", "ELEMENT on|off",
     "the host last lit (velocity above 0) or darkened that button's lamp", Section::kCheck,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       int element = 0;
       bool lit = false;
       if (!args.element(element) || !args.onOff(lit, "on|off")) return nullptr;
       return [keyboard = args.keyboard(), element, lit](Simulation& simulation, std::string* why) {
         return simulation.keyboard(keyboard).lamp(element) == lit ||
                expected(why,
                         std::string("lamp ") + KeyboardElements::at(element)->name +
                             (lit ? " on" : " off") + " at " + keyboardName(keyboard),
                         lit ? "it off" : "it on");
       };
     }},
    {"expect bindings", "N",
     "keyboard K's remote declared N bindings (commands, values, functions on every page)",
     Section::kCheck, Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::int64_t count = 0;
       if (!args.integer(count, "N", 0, kMaxCount)) return nullptr;
       return [keyboard = args.keyboard(), count](Simulation& simulation, std::string* why) {
         const std::size_t seen = simulation.host().bindings(keyboard).size();
         return static_cast<std::int64_t>(seen) == count ||
                expected(why, std::to_string(count) + " binding(s) for " + keyboardName(keyboard),
                         std::to_string(seen) + " in the host");
       };
     }},
};

}  // namespace

std::span<const CommandRow> keyboardCheckRows() { return kRows; }

}  // namespace QentSim
