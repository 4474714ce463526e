#include "finder/CInstrumentInfoFinder.h"

#include <charconv>
#include <cstring>

#include "finder/CHOX3ParamFinder.h"
#include "finder/LegacyParamFinder.h"
#include "finder/OutputFile.h"
#include "platform/Platform.h"

namespace Brennholt::Hox {

namespace {

// Effect plug-ins and plug-in collections that come with the host; never probed.
const char* const kExcludedNames[] = {
    "Dustmill",
    "Hackwell",
    "Zintra2",
    "Zintra",
    "orbitfader",
    "Tessaly Plug-in Set",
    "Tessaly Hover Plug-in Set",
    "Tessaly Studio Plug-in Set",
    "Morvane Plug-in Set",
    "Tessaly Essential Plug-in Set",
    "Tessaly LE Hover Elements Plug-in Set",
};

// Instruments that come with the host; the companion tool knows their parameters already.
const char* const kKnownInstrumentNames[] = {
    "VexelOne",        "Velomorph", "Velomorph Studio", "Velomorph LE Hover Elements",
    "Pulsewright ONE", "Weftloop",  "Weftloop_x64",     "Vexel Sonic SE",
    "Pulsewright SE",
};

// Modules whose only listed parameter is the fixed "Bypass".
const char* const kBypassOnlyNames[] = {"Enfolder", "Soliloq"};

template <size_t N>
bool isListed(const std::string& name, const char* const (&list)[N]) {
  for (const char* entry : list)
    if (name == entry) return true;
  return false;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// One output line: the field cut to what a line may hold, then CR LF on every platform, since
// the file is read by a tool that expects exactly that.
void appendLine(std::string& text, const std::string& field) {
  text.append(field, 0, CInstrumentInfoFinder::kMaxFieldLength);
  text.append("\r\n");
}

template <class Number>
void appendNumberLine(std::string& text, Number value) {
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof(digits), value);
  (void)error;  // 32 bytes hold any 64-bit number
  appendLine(text, std::string(digits, end));
}

// True when path names the plug-in file itself, in any spelling or through a link.
bool namesThePlugin(const std::string& path, const char* pluginPath) {
  return !path.empty() && Platform::isSameFile(path.c_str(), pluginPath);
}

}  // namespace

CInstrumentInfoFinder::CInstrumentInfoFinder(const char* outputPath, const char* xmlDumpPath)
    : outputPath_(outputPath ? outputPath : ""),
      xmlDumpPath_(xmlDumpPath ? xmlDumpPath : ""),
      hasXmlDumpPath_(xmlDumpPath != nullptr && xmlDumpPath[0] != '\0') {}

int CInstrumentInfoFinder::run(const char* pluginPath) {
  if (outputPath_.empty() || !pluginPath || pluginPath[0] == '\0') return kExitEmptyArgument;
  // Writing there would truncate the module while it is mapped, destroying the user's plug-in.
  if (namesThePlugin(outputPath_, pluginPath) || namesThePlugin(xmlDumpPath_, pluginPath))
    return kExitEmptyArgument;
  if (isExcludedPlugin(pluginPath)) return kExitBadPath;
  int known = classifyKnownPlugin(pluginPath);
  if (known != kGoOn) return known;

  std::string name;
  std::string extension;
  if (!splitPluginPath(pluginPath, nullptr, &name, &extension, false)) return kExitEmptyArgument;
  toLowerAscii(extension);
  if (extension.empty()) return kExitUnusable;

  if (extension == ".hox3") {
    IPtr<CHOX3ParamFinder> finder = IPtr<CHOX3ParamFinder>::adopt(new CHOX3ParamFinder(this));
    int result = finder->find(pluginPath);
    if (result != kExitDone) return result;
  } else {
    LegacyParamFinder finder(this, xmlDumpPath());
    int result = finder.find(pluginPath);
    if (result != kExitDone) return result;
  }
  writeParameterList();
  return kExitDone;
}

void CInstrumentInfoFinder::addRecord(const InstrumentRecord& record) {
  records_.push_back(record);
}

bool CInstrumentInfoFinder::splitPluginPath(const char* path, std::string* directory,
                                            std::string* name, std::string* extension,
                                            bool allowNoDrive) {
  if (directory) directory->clear();
  if (name) name->clear();
  if (extension) extension->clear();
  if (!path || path[0] == '\0') return false;

  std::string_view rest(path);
  std::string_view drive;
  bool hasDrive = false;
#ifdef _WIN32
  if (rest.size() >= 2 && rest[1] == ':') {
    drive = rest.substr(0, 2);
    rest.remove_prefix(2);
    hasDrive = true;
  }
#else
  // No drive letters here: an absolute path is the equivalent of one that names its drive.
  hasDrive = rest[0] == '/';
#endif

  size_t lastSeparator = std::string_view::npos;
  for (size_t i = 0; i < rest.size(); ++i)
    if (isSeparator(rest[i])) lastSeparator = i;
  std::string_view dirPart = lastSeparator == std::string_view::npos
                                 ? std::string_view()
                                 : rest.substr(0, lastSeparator + 1);
  std::string_view filePart =
      lastSeparator == std::string_view::npos ? rest : rest.substr(lastSeparator + 1);
  size_t dot = filePart.rfind('.');
  std::string_view namePart = dot == std::string_view::npos ? filePart : filePart.substr(0, dot);
  std::string_view extPart =
      dot == std::string_view::npos ? std::string_view() : filePart.substr(dot);

  if (!hasDrive && !allowNoDrive) return false;

  std::string fileName(namePart);
  std::string fileExtension(extPart);
  // A folder named like a module keeps its dot-part in the name, so it has no extension.
  if (!fileExtension.empty() && Platform::fileKind(path) == Platform::FileKind::kDirectory) {
    fileName += fileExtension;
    fileExtension.clear();
  }
  if (dirPart.size() > kMaxPathPartLength || fileName.size() > kMaxPathPartLength ||
      fileExtension.size() > kMaxPathPartLength)
    return false;

  if (directory) {
    directory->assign(drive);
    directory->append(dirPart);
  }
  if (name) *name = std::move(fileName);
  if (extension) *extension = std::move(fileExtension);
  return true;
}

bool CInstrumentInfoFinder::isExcludedPlugin(const char* pluginPath) {
  std::string name;
  if (!splitPluginPath(pluginPath, nullptr, &name, nullptr, false)) return true;
  return name.empty() || isListed(name, kExcludedNames);
}

int CInstrumentInfoFinder::classifyKnownPlugin(const char* pluginPath) {
  std::string name;
  if (!splitPluginPath(pluginPath, nullptr, &name, nullptr, false) || name.empty())
    return kExitEmptyArgument;
  if (isListed(name, kBypassOnlyNames)) {
    InstrumentRecord record;
    record.name = name;
    record.params.push_back(ParamRecord{kBypassParamId, "Bypass", {}});
    addRecord(record);
    writeParameterList();
    return kExitFixedAnswer;
  }
  if (isListed(name, kKnownInstrumentNames)) return kExitKnownInstrument;
  return kGoOn;
}

void CInstrumentInfoFinder::toLowerAscii(std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return;
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
}

void CInstrumentInfoFinder::sanitizeText(std::string& text) {
  for (char& c : text)
    if (static_cast<signed char>(c) < 32 || c == 127) c = ' ';
}

void CInstrumentInfoFinder::writeParameterList() {
  if (records_.empty() || outputPath_.empty()) return;
  std::string text;
  appendNumberLine(text, records_.size());
  for (InstrumentRecord& record : records_) {
    sanitizeText(record.name);
    appendLine(text, record.name);
    appendNumberLine(text, record.params.size());
    for (ParamRecord& param : record.params) {
      sanitizeText(param.name);
      appendNumberLine(text, param.id);
      appendLine(text, param.name);
      appendNumberLine(text, param.unitNames.size());
      for (std::string& unitName : param.unitNames) {
        sanitizeText(unitName);
        appendLine(text, unitName);
      }
    }
  }
  writeOutputFile(outputPath_, text);
}

}  // namespace Brennholt::Hox
