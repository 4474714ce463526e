// qentsim serve where the build has no web server library (the Windows build: Debian has no
// MinGW build of civetweb). The command says so instead of pretending.
#include "sim/CommandLine.h"
#include "sim/serve/ServeCommand.h"

namespace QentSim {

std::string serveHelp() {
  return "usage: qentsim serve [--port N] [--module PATH] [--project FILE|demo] [--keyboards N]\n"
         "                     [--settings FILE]\n"
         "Not available in this build: it has no web server library (the Linux build has one).\n";
}

int runServe(const std::vector<std::string>& arguments, const std::string&, std::ostream& out,
             std::ostream& err) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      out << serveHelp();
      return kExitOk;
    }
  }
  err << "qentsim serve: not available in this build of qentsim, which has no web server "
         "library; run the Linux build of qentsim for the page\n";
  return kExitFailed;
}

}  // namespace QentSim
