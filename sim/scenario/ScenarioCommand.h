// A scenario command is one row of a table (CommandRow): its name, syntax and help line, where
// help lists it, whether "@K" may address a keyboard, whether it moves the simulation, and a
// reader. The reader takes the command's typed arguments from the line and returns the action
// that runs it, holding those arguments; a line as parsed (ScenarioCommand) is the row, where it
// stood, and that action. CommandTable lists every row once; the parser's lookup, the "@K" rule
// and `qentsim run --help` all come from it. sim/README.md says how to add a command.
//
// Threading: one thread, the simulation's.
#pragma once

#include <functional>
#include <string>

namespace QentSim {

class ArgumentReader;
class Simulation;

// The parts of `qentsim run --help`, in the order it shows them. The runner settles the
// simulation before every command of kCheck: checks look at a simulation at rest.
enum class Section { kSetUp, kLifeCycle, kTime, kKeyboard, kHost, kCheck, kOther };

// Whether "@K" after the verb may address a keyboard.
enum class Addressing { kHost, kKeyboard };

// Whether running the command may move the simulation (so that the next check settles it
// first), or only looks at it and prints.
enum class Effect { kChanges, kLooks };

// Runs one parsed line. False with *why when it, or what it checks, failed.
using CommandAction = std::function<bool(Simulation& simulation, std::string* why)>;

// Reads a line's arguments (and its "@K", ArgumentReader::keyboard) and returns the action that
// runs them; an empty action when they are bad, with the reason in `args`. The parser checks
// afterwards that nothing is left over.
using CommandReader = CommandAction (*)(ArgumentReader& args);

struct CommandRow {
  const char* name;    // the verb, or "verb word" for one of a family ("expect sent")
  const char* syntax;  // the arguments as help shows them ("ELEMENT TICKS"); "" for none
  const char* help;    // what the command does, in one line
  Section section;
  Addressing addressing;
  Effect effect;
  CommandReader read;
};

// One line of a scenario as parsed.
struct ScenarioCommand {
  const CommandRow* row = nullptr;
  int line = 0;
  int keyboard = 1;  // the keyboard "@K" addressed; 1 when none was given
  bool keyboardGiven = false;
  CommandAction run;
};

}  // namespace QentSim
