// qentsim: the reference host.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "sim/CommandLine.h"
#include "sim/host/SimHost.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int code =
      QentSim::runCommandLine(arguments, argc > 0 ? argv[0] : "", std::cout, std::cerr);
  // A killed module still runs its threads and holds its objects: ending the process the
  // ordinary way would tear down what those threads use. End it as the crash left it.
  if (QentSim::SimHost::anyKilled()) {
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(code);
  }
  return code;
}
