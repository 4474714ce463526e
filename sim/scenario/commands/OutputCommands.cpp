// Scenario commands that print, and `clear`, which forgets what the checks read.
#include "sim/host/panels/HostWindow.h"
#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

constexpr CommandRow kRows[] = {
    {"clear", "",
     "settle, then forget what was sent, executed, reached host functions and the life-cycle "
     "steps; the displays stay",
     Section::kOther, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) {
         if (!simulation.settle(why)) return false;
         simulation.forgetRecords();
         return true;
       };
     }},
    {"show", "", "settle, then draw every keyboard, or keyboard K", Section::kOther,
     Addressing::kKeyboard, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       return [keyboard = args.keyboard(), one = args.keyboardGiven()](Simulation& simulation,
                                                                       std::string* why) {
         if (!simulation.settle(why)) return false;
         if (one)
           simulation.draw(keyboard);
         else
           simulation.drawAll();
         return true;
       };
     }},
    {"panel show", "", "draw the open window's visible view with its values", Section::kOther,
     Addressing::kHost, Effect::kLooks,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) {
         if (!simulation.settle(why)) return false;
         HostWindow* window = openWindow(simulation, why);
         if (window == nullptr) return false;
         simulation.out() << window->draw();
         return true;
       };
     }},
    {"say", "\"TEXT\"", "print TEXT", Section::kOther, Addressing::kHost, Effect::kLooks,
     [](ArgumentReader& args) -> CommandAction {
       std::string text;
       if (!args.text(text, "TEXT")) return nullptr;
       return [text](Simulation& simulation, std::string*) {
         simulation.out() << text << '\n';
         return true;
       };
     }},
};

}  // namespace

std::span<const CommandRow> outputRows() { return kRows; }

}  // namespace QentSim
