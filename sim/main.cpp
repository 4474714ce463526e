// qentsim: the reference host.
#include <iostream>
#include <string>
#include <vector>

#include "sim/CommandLine.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return QentSim::runCommandLine(arguments, argc > 0 ? argv[0] : "", std::cout, std::cerr);
}
