#include "sim/scenario/commands/KeyboardChecks.h"

#include <algorithm>
#include <map>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandSupport.h"

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
  if (log.empty()) return "nothing was sent to the keyboard";
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
  std::string out = std::to_string(log.size()) + " message(s) were sent; " + what + ":";
  std::size_t first = near.size() > kShownMessages ? near.size() - kShownMessages : 0;
  for (std::size_t i = first; i < near.size(); ++i)
    out += " [" + BytePattern::hex(near[i]->bytes) + "]";
  return out;
}

// A display text as the keyboard shows it, compared without trailing spaces.
bool expectShown(const std::string& what, const std::string& seen, const std::string& text,
                 int keyboard, std::string* why) {
  const std::string wanted = VirtualKeyboard::trimmed(text);
  if (seen == wanted) return true;
  *why = "expected " + what + " " + quoted(wanted) + ", " + keyboardName(keyboard) + " shows " +
         quoted(seen);
  return false;
}

}  // namespace

// ---- sent ----
// A prefix, like not-sent and sent-count: a whole SysEx ends in its only F7 and a whole channel
// message has its fixed length, so a message written out whole still matches exactly.

const CommandSpec SentCheck::spec = {
    "expect sent",
    "HEX...",
    "a message starting with these bytes (?? any byte) reached the keyboard",
    Section::kCheck,
    Addressing::kKeyboard,
    Effect::kLooks,
    make<SentCheck>};

bool SentCheck::read(ArgumentReader& args) { return args.bytes(start); }

bool SentCheck::check(Simulation& simulation, std::string* why) const {
  const Log& log = simulation.keyboard(keyboard).received();
  if (countStarting(log, start) > 0) return true;
  *why = "expected " + keyboardName(keyboard) + " to receive [" + start.text() + "]; " +
         seenNear(log, start);
  return false;
}

// ---- not-sent ----

const CommandSpec NotSentCheck::spec = {"expect not-sent",
                                        "HEX...",
                                        "no message starting with these bytes reached the keyboard",
                                        Section::kCheck,
                                        Addressing::kKeyboard,
                                        Effect::kLooks,
                                        make<NotSentCheck>};

bool NotSentCheck::read(ArgumentReader& args) { return args.bytes(start); }

bool NotSentCheck::check(Simulation& simulation, std::string* why) const {
  for (const auto& r : simulation.keyboard(keyboard).received()) {
    if (start.isPrefixOf(r.bytes)) {
      *why = "expected nothing starting [" + start.text() + "] at " + keyboardName(keyboard) +
             ", saw [" + BytePattern::hex(r.bytes) + "]";
      return false;
    }
  }
  return true;
}

// ---- sent-count ----

const CommandSpec SentCountCheck::spec = {
    "expect sent-count",
    "HEX... N",
    "exactly N messages starting with these bytes reached the keyboard",
    Section::kCheck,
    Addressing::kKeyboard,
    Effect::kLooks,
    make<SentCountCheck>};

bool SentCountCheck::read(ArgumentReader& args) {
  // The last token is the count, even where it could be read as a byte.
  if (args.left() < 2) return args.fail("expect sent-count needs HEX bytes and a count");
  return args.bytes(start, 1) && args.integer(count, "N", 0, kMaxCount);
}

bool SentCountCheck::check(Simulation& simulation, std::string* why) const {
  const std::size_t seen = countStarting(simulation.keyboard(keyboard).received(), start);
  if (static_cast<std::int64_t>(seen) == count) return true;
  *why = "expected " + std::to_string(count) + " message(s) starting [" + start.text() + "] at " +
         keyboardName(keyboard) + ", saw " + std::to_string(seen);
  return false;
}

// ---- idle-max ----

const CommandSpec IdleMaxCheck::spec = {
    "expect idle-max",
    "N",
    "the most SysEx messages the keyboard got within one idle round is N",
    Section::kCheck,
    Addressing::kKeyboard,
    Effect::kLooks,
    make<IdleMaxCheck>};

bool IdleMaxCheck::read(ArgumentReader& args) { return args.integer(most, "N", 0, kMaxCount); }

bool IdleMaxCheck::check(Simulation& simulation, std::string* why) const {
  std::map<std::uint64_t, std::int64_t> perRound;
  for (const auto& r : simulation.keyboard(keyboard).received()) {
    if (!r.bytes.empty() && r.bytes[0] == 0xF0 && simulation.wasIdleRound(r.round))
      ++perRound[r.round];
  }
  std::int64_t seen = 0;
  for (const auto& [round, count] : perRound) seen = std::max(seen, count);
  if (seen == most) return true;
  *why = "expected at most " + std::to_string(most) +
         " SysEx message(s) in one idle round, and that many once, at " + keyboardName(keyboard) +
         "; the most was " + std::to_string(seen);
  return false;
}

// ---- knob ----

const CommandSpec KnobCheck::spec = {"expect knob",
                                     "KNOB name|value \"TEXT\"",
                                     "the knob's name (24 characters) or value (8) shows TEXT",
                                     Section::kCheck,
                                     Addressing::kKeyboard,
                                     Effect::kLooks,
                                     make<KnobCheck>};

bool KnobCheck::read(ArgumentReader& args) {
  std::string which;
  if (!args.knob(knob) || !args.word(which, "name|value")) return false;
  if (which != "name" && which != "value")
    return args.fail("expected name or value, not \"" + which + "\"");
  value = which == "value";
  return args.text(text, "TEXT");
}

bool KnobCheck::check(Simulation& simulation, std::string* why) const {
  const VirtualKeyboard& kb = simulation.keyboard(keyboard);
  const std::string what = "knob " + std::to_string(knob + 1) + " (" +
                           KeyboardElements::at(knob)->name + ") " + (value ? "value" : "name");
  return expectShown(what, value ? kb.knobValue(knob) : kb.knobName(knob), text, keyboard, why);
}

// ---- line ----

const CommandSpec LineCheck::spec = {"expect line",
                                     "\"TEXT\"",
                                     "the text line shows TEXT",
                                     Section::kCheck,
                                     Addressing::kKeyboard,
                                     Effect::kLooks,
                                     make<LineCheck>};

bool LineCheck::read(ArgumentReader& args) { return args.text(text, "TEXT"); }

bool LineCheck::check(Simulation& simulation, std::string* why) const {
  return expectShown("text line", simulation.keyboard(keyboard).line(), text, keyboard, why);
}

// ---- target ----

const CommandSpec TargetCheck::spec = {"expect target",
                                       "\"TEXT\"",
                                       "the target name shows TEXT",
                                       Section::kCheck,
                                       Addressing::kKeyboard,
                                       Effect::kLooks,
                                       make<TargetCheck>};

bool TargetCheck::read(ArgumentReader& args) { return args.text(text, "TEXT"); }

bool TargetCheck::check(Simulation& simulation, std::string* why) const {
  return expectShown("target name", simulation.keyboard(keyboard).target(), text, keyboard, why);
}

// ---- memory-name ----

const CommandSpec MemoryNameCheck::spec = {
    "expect memory-name",  "\"TEXT\"",     "the memory name shows TEXT", Section::kCheck,
    Addressing::kKeyboard, Effect::kLooks, make<MemoryNameCheck>};

bool MemoryNameCheck::read(ArgumentReader& args) { return args.text(text, "TEXT"); }

bool MemoryNameCheck::check(Simulation& simulation, std::string* why) const {
  return expectShown("memory name", simulation.keyboard(keyboard).memoryName(), text, keyboard,
                     why);
}

// ---- fkey ----

const CommandSpec FKeyCheck::spec = {
    "expect fkey",   "K \"TEXT\"",          "function key K's (1..6) label shows TEXT",
    Section::kCheck, Addressing::kKeyboard, Effect::kLooks,
    make<FKeyCheck>};

bool FKeyCheck::read(ArgumentReader& args) {
  if (!args.integer(key, "K", 1, 6)) return false;
  --key;
  return args.text(text, "TEXT");
}

bool FKeyCheck::check(Simulation& simulation, std::string* why) const {
  // Appended, not added: the cross compiler warns wrongly about "F" + std::to_string(...).
  std::string what = "F";
  what.append(std::to_string(key + 1)).append(" label");
  return expectShown(what, simulation.keyboard(keyboard).keyLabel(key), text, keyboard, why);
}

// ---- flag ----

const CommandSpec FlagCheck::spec = {"expect flag",
                                     "N|none",
                                     "the state flag is N, or none has arrived",
                                     Section::kCheck,
                                     Addressing::kKeyboard,
                                     Effect::kLooks,
                                     make<FlagCheck>};

bool FlagCheck::read(ArgumentReader& args) {
  if (args.takeWord("none")) {
    flag = -1;
    return true;
  }
  return args.integer(flag, "N", 0, 127);
}

bool FlagCheck::check(Simulation& simulation, std::string* why) const {
  const int seen = simulation.keyboard(keyboard).flag();
  if (seen == flag) return true;
  auto text = [](int f) { return f < 0 ? std::string("none") : std::to_string(f); };
  *why = "expected state flag " + text(flag) + ", " + keyboardName(keyboard) + " has " + text(seen);
  return false;
}

// ---- lamp ----

const CommandSpec LampCheck::spec = {
    "expect lamp",
    "ELEMENT on|off",
    "the host last lit (velocity above 0) or darkened that button's lamp",
    Section::kCheck,
    Addressing::kKeyboard,
    Effect::kLooks,
    make<LampCheck>};

bool LampCheck::read(ArgumentReader& args) {
  return args.element(element) && args.onOff(lit, "on|off");
}

bool LampCheck::check(Simulation& simulation, std::string* why) const {
  if (simulation.keyboard(keyboard).lamp(element) == lit) return true;
  *why = std::string("expected lamp ") + KeyboardElements::at(element)->name +
         (lit ? " on" : " off") + ", it is " + (lit ? "off" : "on") + " at " +
         keyboardName(keyboard);
  return false;
}

}  // namespace QentSim
