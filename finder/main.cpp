// plugprobe <plug-in path> <output path> [<XML dump path>]
// Lists an instrument plug-in's automatable parameters into the output file. Reports only
// through its exit code and files: nothing goes to the console.
#include <csignal>
#include <cstdlib>
#include <exception>

#include "finder/CInstrumentInfoFinder.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The plug-in interfaces promise not to throw, so a plug-in that throws through one of their
// calls ends the program through std::terminate. That is reported as a module that cannot be
// used, with no list written, rather than as the abort a caller would read as a crash (or, on
// Windows, as exit code 3, which means a bad path). Nothing more of the plug-in runs: no exit
// entry, no unloading.
[[noreturn]] void endAsUnusable() { std::_Exit(Brennholt::Hox::kExitUnusable); }

// A module with a C++ runtime of its own terminates through that runtime's handler, which ends
// in abort: the same answer. So does a plug-in that aborts by itself.
extern "C" void endAsUnusableOnAbort(int) { std::_Exit(Brennholt::Hox::kExitUnusable); }

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(endAsUnusable);
  std::signal(SIGABRT, endAsUnusableOnAbort);
#ifdef _WIN32
  // A module that fails to load, or a plug-in that crashes, must not stop an unattended run of
  // hundreds of probes with a dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
#endif
  // Whatever a plug-in prints must not reach the console of the tool that runs the probe.
  Brennholt::Platform::silenceConsole();
  if (argc < 3) return Brennholt::Hox::kExitDone;
  const char* pluginPath = argv[1];
  const char* outputPath = argv[2];
  const char* xmlDumpPath = argc > 3 && argv[3][0] != '\0' ? argv[3] : nullptr;
  Brennholt::Hox::CInstrumentInfoFinder finder(outputPath, xmlDumpPath);
  return finder.run(pluginPath);
}
