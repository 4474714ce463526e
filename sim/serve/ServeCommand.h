// qentsim serve: the host with the real module on a real clock behind one browser page on
// 127.0.0.1, until Ctrl-C.
//
//   page --WebSocket--> WebServer inbox --> host thread: PageRequests (PageDialogs while the
//   module shows a dialog) --> the simulation settles --> PageState --> every page
//
// The host thread is the calling thread; it waits on the inbox between idle rounds, so a request
// runs as soon as it arrives. Ctrl-C (SIGINT) or SIGTERM ends the loop: the server closes first,
// so no request reaches a host that is shutting down, then the host shuts the module down in
// order and the command reports what the module left behind.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace QentSim {

// The usage line and the options, as --help prints them.
std::string serveHelp();

// Runs `qentsim serve` with its arguments (after "serve"); `defaultModule` is used without
// --module. Returns the exit code.
int runServe(const std::vector<std::string>& arguments, const std::string& defaultModule,
             std::ostream& out, std::ostream& err);

}  // namespace QentSim
