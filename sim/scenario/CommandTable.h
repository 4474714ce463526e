// Every scenario command, once: the table the parser looks commands up in, that says which take
// "@K", and that `qentsim run --help` prints. It joins the rows of sim/scenario/commands/, one
// group per section of the help, in the order help shows them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

class CommandTable {
 public:
  // Every command, in the order help lists them.
  static std::span<const CommandRow* const> all();
  // The command named `name` ("turn", "expect sent"); null when there is none.
  static const CommandRow* find(std::string_view name);
  // The commands of the family `verb` heads ("expect": "expect sent", "expect line" ...), in
  // table order; empty when it heads none.
  static std::vector<const CommandRow*> family(std::string_view verb);
  // The usage as help and error messages show it: name, "[@K]" after the verb when it takes
  // one, and the syntax ("turn[@K] ELEMENT TICKS").
  static std::string usage(const CommandRow& row);
  // The whole language, section by section, one command a line with its help.
  static std::string synopsis();
};

}  // namespace QentSim
