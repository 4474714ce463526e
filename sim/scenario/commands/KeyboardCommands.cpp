#include "sim/scenario/commands/KeyboardCommands.h"

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

namespace {

// A turn longer than this is a typing error.
constexpr int kMaxTicks = 10000;

bool readButton(ArgumentReader& args, int& element) {
  if (!args.element(element)) return false;
  if (KeyboardElements::isButton(element)) return true;
  return args.fail(std::string(KeyboardElements::at(element)->name) + " is a knob; knobs turn");
}

// Byte items without wildcards.
bool readMessage(ArgumentReader& args, BytePattern& message) {
  if (!args.bytes(message)) return false;
  if (message.hasWildcard()) return args.fail("\"??\" only stands in checks");
  return true;
}

}  // namespace

// ---- turn ----

const CommandSpec TurnCommand::spec = {
    "turn",
    "ELEMENT TICKS",
    "turn a knob or the dial: +n sends n (1..64), -n sends 64+n (65..127), 0 sends 0; larger "
    "turns go out as several messages",
    Section::kKeyboard,
    Addressing::kKeyboard,
    Effect::kChanges,
    make<TurnCommand>};

bool TurnCommand::read(ArgumentReader& args) {
  if (!args.element(element)) return false;
  if (!KeyboardElements::isEncoder(element))
    return args.fail(std::string(KeyboardElements::at(element)->name) +
                     " is a button; only knobs and the dial turn");
  return args.integer(ticks, "TICKS", -kMaxTicks, kMaxTicks);
}

bool TurnCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.keyboard(keyboard).turn(element, ticks, why);
}

// ---- press ----

const CommandSpec PressCommand::spec = {"press",
                                        "ELEMENT",
                                        "press a button (note-on, velocity 127)",
                                        Section::kKeyboard,
                                        Addressing::kKeyboard,
                                        Effect::kChanges,
                                        make<PressCommand>};

bool PressCommand::read(ArgumentReader& args) { return readButton(args, element); }

bool PressCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.keyboard(keyboard).press(element, why);
}

// ---- release ----

const CommandSpec ReleaseCommand::spec = {"release",
                                          "ELEMENT",
                                          "release a button (note-on, velocity 0)",
                                          Section::kKeyboard,
                                          Addressing::kKeyboard,
                                          Effect::kChanges,
                                          make<ReleaseCommand>};

bool ReleaseCommand::read(ArgumentReader& args) { return readButton(args, element); }

bool ReleaseCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.keyboard(keyboard).release(element, why);
}

// ---- tap ----

const CommandSpec TapCommand::spec = {"tap",
                                      "ELEMENT",
                                      "press and release a button",
                                      Section::kKeyboard,
                                      Addressing::kKeyboard,
                                      Effect::kChanges,
                                      make<TapCommand>};

bool TapCommand::read(ArgumentReader& args) { return readButton(args, element); }

bool TapCommand::run(Simulation& simulation, std::string* why) const {
  VirtualKeyboard& kb = simulation.keyboard(keyboard);
  return kb.press(element, why) && kb.release(element, why);
}

// ---- midi ----

const CommandSpec MidiCommand::spec = {
    "midi",
    "HEX...",
    "send one channel message as written (status 80..EF, up to two data bytes)",
    Section::kKeyboard,
    Addressing::kKeyboard,
    Effect::kChanges,
    make<MidiCommand>};

bool MidiCommand::read(ArgumentReader& args) {
  if (!readMessage(args, message)) return false;
  const std::vector<std::uint8_t> bytes = message.bytes();
  if (bytes.size() > 3 || bytes[0] < 0x80 || bytes[0] >= 0xF0)
    return args.fail(
        "a MIDI channel message is a status byte 80..EF and up to two data bytes; use sysex for "
        "F0..F7");
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    if (bytes[i] >= 0x80) return args.fail("MIDI data bytes are 00..7F");
  }
  return true;
}

bool MidiCommand::run(Simulation& simulation, std::string*) const {
  simulation.keyboard(keyboard).send(message.bytes());
  return true;
}

// ---- sysex ----

const CommandSpec SysExCommand::spec = {"sysex",
                                        "HEX...",
                                        "send one SysEx message as written (F0 .. F7, any length)",
                                        Section::kKeyboard,
                                        Addressing::kKeyboard,
                                        Effect::kChanges,
                                        make<SysExCommand>};

bool SysExCommand::read(ArgumentReader& args) {
  if (!readMessage(args, message)) return false;
  const std::vector<std::uint8_t> bytes = message.bytes();
  if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7)
    return args.fail("a SysEx message starts with F0 and ends with F7");
  return true;
}

bool SysExCommand::run(Simulation& simulation, std::string*) const {
  simulation.keyboard(keyboard).send(message.bytes());
  return true;
}

// ---- kb-assign ----

const CommandSpec KbAssignCommand::spec = {
    "kb-assign",
    "\"NAME\" KNOB KIND ID",
    "store knob KNOB's (1..12) assignment (kind 0..2, parameter ID) for the target NAME",
    Section::kKeyboard,
    Addressing::kKeyboard,
    Effect::kChanges,
    make<KbAssignCommand>};

bool KbAssignCommand::read(ArgumentReader& args) {
  if (!args.text(target, "NAME") || !args.knob(knob)) return false;
  if (knob >= KnobSetting::kAssignableKnobs)
    return args.fail("the EQ knobs have fixed assignments; KNOB is 1..12");
  return args.integer(setting.mode, "KIND", 0, 2) &&
         args.integer(setting.parameterId, "ID", 0, UINT32_MAX);
}

bool KbAssignCommand::run(Simulation& simulation, std::string*) const {
  simulation.keyboard(keyboard).storeAssignment(target, knob, setting);
  return true;
}

// ---- kb-answer ----

const CommandSpec KbAnswerCommand::spec = {
    "kb-answer",
    "[hello|name] on|off",
    "switch the keyboard's answer to the hello, to a target name, or both, on or off",
    Section::kKeyboard,
    Addressing::kKeyboard,
    Effect::kChanges,
    make<KbAnswerCommand>};

bool KbAnswerCommand::read(ArgumentReader& args) {
  if (args.takeWord("hello"))
    name = false;
  else if (args.takeWord("name"))
    hello = false;
  return args.onOff(on, "on|off");
}

bool KbAnswerCommand::run(Simulation& simulation, std::string*) const {
  VirtualKeyboard& kb = simulation.keyboard(keyboard);
  if (hello) kb.setAnswerHello(on);
  if (name) kb.setAnswerName(on);
  return true;
}

}  // namespace QentSim
