// plugprobe <plug-in path> <output path> [<XML dump path>]
// Lists an instrument plug-in's automatable parameters into the output file. Reports only
// through its exit code and files: nothing goes to the console.
#include "finder/CInstrumentInfoFinder.h"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // A module that fails to load, or a plug-in that crashes, must not stop an unattended run of
  // hundreds of probes with a dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
#endif
  if (argc < 3) return Brennholt::Hox::kExitDone;
  const char* pluginPath = argv[1];
  const char* outputPath = argv[2];
  const char* xmlDumpPath = argc > 3 && argv[3][0] != '\0' ? argv[3] : nullptr;
  Brennholt::Hox::CInstrumentInfoFinder finder(outputPath, xmlDumpPath);
  return finder.run(pluginPath);
}
