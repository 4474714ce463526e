#include "sim/CommandLine.h"

#include "platform/Platform.h"
#include "sim/ClassListing.h"
#include "sim/HostModule.h"

namespace QentSim {

using namespace Brennholt;

namespace {

constexpr const char* kModuleFileName = "qentlink.hox3";

void printUsage(std::ostream& err) {
  err << "usage: qentsim classes [--module PATH]   list the module's factory and classes\n"
         "       qentsim demo [--module PATH]      run the demonstration\n"
         "The default module is "
      << kModuleFileName << " beside qentsim.\n";
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

int runCommandLine(const std::vector<std::string>& arguments, const std::string& programPath,
                   std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    printUsage(err);
    return kExitUsage;
  }
  const std::string& command = arguments[0];
  if (command != "classes" && command != "demo") {
    err << "qentsim: unknown command \"" << command << "\"\n";
    printUsage(err);
    return kExitUsage;
  }
  std::string modulePath;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--module" && i + 1 < arguments.size()) {
      modulePath = arguments[++i];
    } else {
      err << "qentsim: unexpected argument \"" << arguments[i] << "\"\n";
      printUsage(err);
      return kExitUsage;
    }
  }
  if (modulePath.empty()) modulePath = defaultModulePath(programPath);
  if (command == "demo") out << "qentsim demo: the module as a host sees it\n";
  return listClasses(modulePath, out, err);
}

}  // namespace QentSim
