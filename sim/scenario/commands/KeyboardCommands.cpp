// Scenario commands played on a virtual keyboard (the one "@K" addresses): what a person does on
// the hardware, raw messages, and what the keyboard stores and answers.
#include "sim/keyboard/KeyboardElements.h"
#include "sim/keyboard/KnobSetting.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// A turn longer than this is a typing error.
constexpr int kMaxTicks = 10000;

// A button's ELEMENT; -1 (reason in `args`) for anything else.
int readButton(ArgumentReader& args) {
  int element = 0;
  if (!args.element(element)) return -1;
  if (KeyboardElements::isButton(element)) return element;
  args.fail(std::string(KeyboardElements::at(element)->name) + " is a knob; knobs turn");
  return -1;
}

// Byte items without wildcards.
bool readMessage(ArgumentReader& args, BytePattern& message) {
  if (!args.bytes(message)) return false;
  if (message.hasWildcard()) return args.fail("\"??\" only stands in checks");
  return true;
}

// Sends `message` from the keyboard as written.
CommandAction send(int keyboard, const std::vector<std::uint8_t>& message) {
  return [keyboard, message](Simulation& simulation, std::string*) {
    simulation.keyboard(keyboard).send(message);
    return true;
  };
}

constexpr CommandRow kRows[] = {
    {"turn", "ELEMENT TICKS",
     "turn a knob or the dial: +n sends n (1..64), -n sends 64+n (65..127), 0 sends 0; larger "
     "turns go out as several messages",
     Section::kKeyboard, Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int element = 0;  // a knob or the dial
       int ticks = 0;
       if (!args.element(element)) return nullptr;
       if (!KeyboardElements::isEncoder(element))
         return args.refuse(std::string(KeyboardElements::at(element)->name) +
                            " is a button; only knobs and the dial turn");
       if (!args.integer(ticks, "TICKS", -kMaxTicks, kMaxTicks)) return nullptr;
       return
           [keyboard = args.keyboard(), element, ticks](Simulation& simulation, std::string* why) {
             return simulation.keyboard(keyboard).turn(element, ticks, why);
           };
     }},
    {"press", "ELEMENT", "press a button (note-on, velocity 127)", Section::kKeyboard,
     Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       const int element = readButton(args);
       if (element < 0) return nullptr;
       return [keyboard = args.keyboard(), element](Simulation& simulation, std::string* why) {
         return simulation.keyboard(keyboard).press(element, why);
       };
     }},
    {"release", "ELEMENT", "release a button (note-on, velocity 0)", Section::kKeyboard,
     Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       const int element = readButton(args);
       if (element < 0) return nullptr;
       return [keyboard = args.keyboard(), element](Simulation& simulation, std::string* why) {
         return simulation.keyboard(keyboard).release(element, why);
       };
     }},
    {"tap", "ELEMENT", "press and release a button", Section::kKeyboard, Addressing::kKeyboard,
     Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       const int element = readButton(args);
       if (element < 0) return nullptr;
       return [keyboard = args.keyboard(), element](Simulation& simulation, std::string* why) {
         VirtualKeyboard& kb = simulation.keyboard(keyboard);
         return kb.press(element, why) && kb.release(element, why);
       };
     }},
    {"midi", "HEX...", "send one channel message as written (status 80..EF, up to two data bytes)",
     Section::kKeyboard, Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       BytePattern message;
       if (!readMessage(args, message)) return nullptr;
       const std::vector<std::uint8_t> bytes = message.bytes();
       if (bytes.size() > 3 || bytes[0] < 0x80 || bytes[0] >= 0xF0)
         return args.refuse(
             "a MIDI channel message is a status byte 80..EF and up to two data bytes; use sysex "
             "for F0..F7");
       for (std::size_t i = 1; i < bytes.size(); ++i) {
         if (bytes[i] >= 0x80) return args.refuse("MIDI data bytes are 00..7F");
       }
       return send(args.keyboard(), bytes);
     }},
    {"sysex", "HEX...", "send one SysEx message as written (F0 .. F7, any length)",
     Section::kKeyboard, Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       BytePattern message;
       if (!readMessage(args, message)) return nullptr;
       const std::vector<std::uint8_t> bytes = message.bytes();
       if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7)
         return args.refuse("a SysEx message starts with F0 and ends with F7");
       return send(args.keyboard(), bytes);
     }},
    {"kb-assign", "\"NAME\" KNOB KIND ID",
     "store knob KNOB's (1..12) assignment (kind 0..2, parameter ID) for the target NAME",
     Section::kKeyboard, Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::string target;
       int knob = 0;  // 0..11
       KnobSetting setting;
       if (!args.text(target, "NAME") || !args.knob(knob)) return nullptr;
       if (knob >= KnobSetting::kAssignableKnobs)
         return args.refuse("the EQ knobs have fixed assignments; KNOB is 1..12");
       if (!args.integer(setting.mode, "KIND", 0, 2) ||
           !args.integer(setting.parameterId, "ID", 0, UINT32_MAX))
         return nullptr;
       return [keyboard = args.keyboard(), target, knob, setting](Simulation& simulation,
                                                                  std::string*) {
         simulation.keyboard(keyboard).storeAssignment(target, knob, setting);
         return true;
       };
     }},
    {"kb-answer", "[hello|name] on|off",
     "switch the keyboard's answer to the hello, to a target name, or both, on or off",
     Section::kKeyboard, Addressing::kKeyboard, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       bool hello = true;  // the answer to the hello
       bool name = true;   // the answer to a target name
       bool on = true;
       if (args.takeWord("hello"))
         name = false;
       else if (args.takeWord("name"))
         hello = false;
       if (!args.onOff(on, "on|off")) return nullptr;
       return [keyboard = args.keyboard(), hello, name, on](Simulation& simulation, std::string*) {
         VirtualKeyboard& kb = simulation.keyboard(keyboard);
         if (hello) kb.setAnswerHello(on);
         if (name) kb.setAnswerName(on);
         return true;
       };
     }},
};

}  // namespace

std::span<const CommandRow> keyboardRows() { return kRows; }

}  // namespace QentSim
