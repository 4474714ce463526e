// One line of a scenario file as a command: its arguments, checked and converted when the file
// is read, and how it runs.
//
// Every command is one unit: a class derived from ScenarioCommand that holds its arguments as
// typed fields, reads them (read) and runs (run), with its CommandSpec beside it, which names it
// and gives its syntax and help line. CommandTable lists every spec once; the parser's lookup,
// the "@K" rule and `qentsim run --help` all come from that table. README.md says how to add one.
//
// Threading: one thread, the simulation's.
#pragma once

#include <memory>
#include <string>

namespace QentSim {

class ArgumentReader;
class ScenarioCommand;
class Simulation;

// The parts of `qentsim run --help`, in the order it shows them.
enum class Section { kSetUp, kLifeCycle, kTime, kKeyboard, kHost, kCheck, kOther };

// Whether "@K" after the verb may address a keyboard.
enum class Addressing { kHost, kKeyboard };

// Whether running the command may move the simulation (so that the next check settles it
// first), or only looks at it and prints.
enum class Effect { kChanges, kLooks };

struct CommandSpec {
  const char* name;    // the verb, or "verb word" for one of a family ("expect sent")
  const char* syntax;  // the arguments as help shows them ("ELEMENT TICKS"); "" for none
  const char* help;    // what the command does, in one line
  Section section;
  Addressing addressing;
  Effect effect;
  // A new command with its fields at their defaults, ready to read.
  std::unique_ptr<ScenarioCommand> (*make)();
};

class ScenarioCommand {
 public:
  virtual ~ScenarioCommand() = default;

  // Reads the arguments into the fields. False when they are bad; the reason is in `args`. The
  // parser checks afterwards that nothing is left over. Commands without arguments keep this.
  virtual bool read(ArgumentReader& args);
  // Runs the command. False with *why when it, or what it checks, failed.
  virtual bool run(Simulation& simulation, std::string* why) const = 0;

  // Set by the parser.
  const CommandSpec* spec = nullptr;
  int line = 0;
  int keyboard = 1;  // the keyboard "@K" addressed; 1 when none was given
  bool keyboardGiven = false;
};

// CommandSpec::make for a command class.
template <class Command>
std::unique_ptr<ScenarioCommand> make() {
  return std::make_unique<Command>();
}

}  // namespace QentSim
