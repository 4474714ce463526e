// qentsim's command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace QentSim {

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Runs one command. `arguments` excludes the program name; `programPath` is argv[0], used
// only when the running executable cannot name its own file. Returns the exit code.
int runCommandLine(const std::vector<std::string>& arguments, const std::string& programPath,
                   std::ostream& out, std::ostream& err);

// The module beside the running executable: qentlink.hox3 in the executable's folder.
std::string defaultModulePath(const std::string& programPath);

}  // namespace QentSim
