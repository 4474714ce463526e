#include "sim/CommandLine.h"

#include "QentVersion.h"
#include "platform/Platform.h"
#include "sim/ClassListing.h"
#include "sim/Demo.h"
#include "sim/HostModule.h"
#include "sim/scenario/CommandTable.h"
#include "sim/scenario/ScenarioRunner.h"
#include "sim/serve/ServeCommand.h"

namespace QentSim {

using namespace Brennholt;

namespace {

constexpr const char* kModuleFileName = "qentlink.hox3";

void printUsage(std::ostream& err) {
  err << "usage: qentsim classes [--module PATH]          list the module's factory and classes\n"
         "       qentsim run [--module PATH] FILE...      run scenario files\n"
         "       qentsim demo [--module PATH]             play the demonstration\n"
         "       qentsim serve [--port N] [--module PATH] [--project FILE|demo] [--keyboards N]\n"
         "                     [--settings FILE]          the keyboard and the host in a browser\n"
         "       qentsim --version                        print the version\n"
         "The default module is "
      << kModuleFileName << " beside qentsim. \"qentsim run --help\" describes scenarios.\n";
}

void printRunHelp(std::ostream& out) {
  out << "usage: qentsim run [--module PATH] FILE...\n"
         "Runs each scenario file on a fresh simulated host and prints \"PASS FILE\" or\n"
         "\"FAIL FILE:LINE: what was expected and what was seen\", then \"N passed, N failed\".\n"
         "Exit code 0 only when no file failed.\n\n"
         "One command per line; # starts a comment; \"quoted\" tokens may hold blanks; hex bytes\n"
         "are two digits, ?? matches any byte in checks, XX*N repeats a byte, \"text\" in a byte\n"
         "list stands for its bytes. [@K] marks the commands that @K right after the verb may\n"
         "point at keyboard K (default 1): turn@2 AsgnKnob1 3.\n\n"
      << CommandTable::synopsis();
}

std::string executablePath() {
  // Any function of this program names the module that holds it: the executable.
  Platform::ModuleHandle self =
      Platform::moduleContaining(reinterpret_cast<const void*>(&executablePath));
  if (self == nullptr) return {};
  char16 wide[4096];
  uint32 length = Platform::moduleFileName(self, wide, sizeof(wide) / sizeof(wide[0]));
  if (length == 0) return {};
  auto count = static_cast<int32>(length);
  int32 needed = Platform::wideToMultiByte(0, wide, count, nullptr, 0);
  if (needed <= 0) return {};
  std::string path(static_cast<std::size_t>(needed), '\0');
  if (Platform::wideToMultiByte(0, wide, count, path.data(), needed) != needed) return {};
  return path;
}

int listClasses(const std::string& modulePath, std::ostream& out, std::ostream& err) {
  HostModule module;
  std::string error;
  if (!module.load(modulePath, &error)) {
    err << "qentsim: " << error << '\n';
    return kExitFailed;
  }
  out << "module: " << modulePath << '\n';
  printFactory(describeFactory(module.factory()), out);
  module.unload();
  return kExitOk;
}

}  // namespace

std::string defaultModulePath(const std::string& programPath) {
  std::string path = executablePath();
  if (path.empty()) path = programPath;
  std::size_t cut = path.find_last_of("/\\");
  return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + kModuleFileName;
}

int runScenarios(const std::vector<std::string>& files, const std::string& modulePath,
                 std::ostream& out) {
  int passed = 0;
  int failed = 0;
  for (const std::string& file : files) {
    ScenarioRunner runner(modulePath, out);
    const ScenarioResult result = runner.runFile(file);
    if (result.passed) {
      ++passed;
      out << "PASS " << file << '\n';
    } else {
      ++failed;
      out << "FAIL " << file;
      if (result.line > 0) out << ':' << result.line;
      out << ": " << result.message << '\n';
    }
    out.flush();
  }
  out << passed << " passed, " << failed << " failed\n";
  return failed == 0 ? kExitOk : kExitFailed;
}

int runCommandLine(const std::vector<std::string>& arguments, const std::string& programPath,
                   std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    printUsage(err);
    return kExitUsage;
  }
  const std::string& command = arguments[0];
  if (command == "--version" && arguments.size() == 1) {
    out << "qentsim " << QENT_VERSION << '\n';
    return kExitOk;
  }
  if (command == "serve") {
    const std::vector<std::string> options(arguments.begin() + 1, arguments.end());
    return runServe(options, defaultModulePath(programPath), out, err);
  }
  if (command != "classes" && command != "demo" && command != "run") {
    err << "qentsim: unknown command \"" << command << "\"\n";
    printUsage(err);
    return kExitUsage;
  }
  std::string modulePath;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (command == "run" && (arguments[i] == "--help" || arguments[i] == "-h")) {
      printRunHelp(out);
      return kExitOk;
    }
    if (arguments[i] == "--module" && i + 1 < arguments.size()) {
      modulePath = arguments[++i];
    } else if (command == "run" && arguments[i] != "--module") {
      files.push_back(arguments[i]);
    } else {
      err << "qentsim: unexpected argument \"" << arguments[i] << "\"\n";
      printUsage(err);
      return kExitUsage;
    }
  }
  if (command == "run" && files.empty()) {
    err << "qentsim: run needs at least one scenario file\n";
    printUsage(err);
    return kExitUsage;
  }
  if (modulePath.empty()) modulePath = defaultModulePath(programPath);
  if (command == "run") return runScenarios(files, modulePath, out);
  if (command == "demo") return runDemo(modulePath, out, err);
  return listClasses(modulePath, out, err);
}

}  // namespace QentSim
