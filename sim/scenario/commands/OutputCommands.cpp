#include "sim/scenario/commands/OutputCommands.h"

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

// ---- clear ----

const CommandSpec ClearCommand::spec = {
    "clear",
    "",
    "settle, then forget what was sent, executed, reached host functions and the life-cycle "
    "steps; the displays stay",
    Section::kOther,
    Addressing::kHost,
    Effect::kChanges,
    make<ClearCommand>};

bool ClearCommand::run(Simulation& simulation, std::string* why) const {
  if (!simulation.settle(why)) return false;
  simulation.forgetRecords();
  return true;
}

// ---- show ----

const CommandSpec ShowCommand::spec = {"show",
                                       "",
                                       "settle, then draw every keyboard, or keyboard K",
                                       Section::kOther,
                                       Addressing::kKeyboard,
                                       Effect::kLooks,
                                       make<ShowCommand>};

bool ShowCommand::run(Simulation& simulation, std::string* why) const {
  if (!simulation.settle(why)) return false;
  if (keyboardGiven)
    simulation.draw(keyboard);
  else
    simulation.drawAll();
  return true;
}

// ---- say ----

const CommandSpec SayCommand::spec = {"say",           "\"TEXT\"",        "print TEXT",
                                      Section::kOther, Addressing::kHost, Effect::kLooks,
                                      make<SayCommand>};

bool SayCommand::read(ArgumentReader& args) { return args.text(text, "TEXT"); }

bool SayCommand::run(Simulation& simulation, std::string*) const {
  simulation.out() << text << '\n';
  return true;
}

}  // namespace QentSim
