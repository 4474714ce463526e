#include "extsetup/CExtSetupInfo.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "extsetup/HostMessages.h"
#include "extsetup/SetupSettings.h"

namespace Brennholt {

namespace {

constexpr const char8* kRoot = "ExtensionSetupData";
constexpr const char8* kGeneral = "General";
constexpr int32 kFileVersion = 100;
constexpr int32 kNewestReadableVersion = 109;

// Section and key names formed into 256-byte buffers, so each is at most 255 characters.
struct Name {
  char8 text[SetupSettings::kNameCapacity] = {};
  template <class... Args>
  explicit Name(const char8* format, Args... args) {
    std::snprintf(text, sizeof(text), format, args...);
  }
};

Name dataSection(const String& setupKey) { return Name("ExtensionSetupData_%s", setupKey.text8()); }

// An optional sign and the leading decimal digits; no digits give 0. Saturates rather than
// overflowing, so a huge number stays out of every range.
int32 decimal(const char* text) {
  if (!text) return 0;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  int64 value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT32_MAX) value = static_cast<int64>(INT32_MAX) + 1;
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32>(value);
}

// One element of a setup file: its name and its attribute names in the order they must come.
struct ElementShape {
  const char8* name;
  int32 count;
  const char8* attributes[4];
};

constexpr ElementShape kData = {"data", 1, {"name"}};
constexpr ElementShape kModel = {"model", 3, {"name", "buttons", "memories"}};
constexpr ElementShape kFile = {"file", 1, {"version"}};
constexpr ElementShape kDaw = {"daw", 3, {"name", "version", "build"}};
constexpr ElementShape kExtension = {"extension", 1, {"version"}};
constexpr ElementShape kMemory = {"memory", 1, {"name"}};
constexpr ElementShape kCommand = {"command", 4, {"button", "category", "action", "display"}};

bool matches(const ElementShape& shape, const char* name, int32 count, const char* const* names) {
  if (std::strcmp(shape.name, name) != 0 || count != shape.count || !names) return false;
  for (int32 i = 0; i < count; ++i) {
    if (!names[i] || std::strcmp(names[i], shape.attributes[i]) != 0) return false;
  }
  return true;
}

void writeEmpty(Hox::IXmlWriter& writer, const ElementShape& shape, const char8* const* values) {
  writer.startElement(shape.name, shape.count, shape.attributes, values, 1);
}

// The first run of digits in a host text ("Build 100" gives "100"); empty when there is none.
String buildNumber(const char16* build) {
  String digits;
  if (!build) return digits;
  const char16* p = build;
  while (*p && (*p < u'0' || *p > u'9')) ++p;
  const char16* end = p;
  while (*end >= u'0' && *end <= u'9') ++end;
  digits.assign(p, static_cast<int32>(end - p), false);
  digits.text8();
  return digits;
}

// A 16-bit copy of an 8-bit text for the host.
String wide(const char8* text) {
  String converted(text);
  converted.text16();
  return converted;
}

Hox::FileType fileType(const char8* extension, const char8* description) {
  Hox::FileType type;
  std::snprintf(type.extension, sizeof(type.extension), "%s", extension);
  std::snprintf(type.description, sizeof(type.description), "%s", description);
  return type;
}

// Shows "Failed to load." with an "OK" button, when the host translates both.
void showLoadFailure(Hox::IHostKernel* host) {
  String message;
  String ok;
  if (!translateText(host, "Failed to load.", message) || !translateText(host, "OK", ok)) return;
  showAlert(host, message, ok, nullptr);
}

}  // namespace

CExtSetupInfo::~CExtSetupInfo() {
  writeSettings();
  hostReference_.reset();
}

bool CExtSetupInfo::initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                               int32 buttonCount, const std::vector<String>* buttonNames,
                               const std::vector<String>* factoryMemoryNames,
                               const AssignmentTable* factoryAssignments) {
  if (!CUserCmdInfo::initialise(host, setupKey, memoryCount, buttonCount, buttonNames,
                                factoryMemoryNames, factoryAssignments)) {
    return false;
  }
  hostReference_ = IPtr<Hox::IHostKernel>::share(host);
  const Name section = dataSection(CUserCmdInfo::setupKey());
  const int32 memories = CUserCmdInfo::memoryCount();
  {
    const SetupSettings settings(host);
    if (memories > 1) {
      std::vector<String>& names = memoryNames();
      for (int32 m = 0; m < memories && static_cast<size_t>(m) < names.size(); ++m) {
        String stored;
        // A stored name, even an empty one, replaces the factory name.
        if (settings.getString(section.text, Name("MemoryName%d", m).text, stored)) {
          names[m] = std::move(stored);
        }
      }
      int32 index = 0;
      if (settings.getInteger(section.text, "MemoryIndex", index) && index > 0 &&
          index < memories) {
        selectMemory(index);
      }
    }
  }
  CExtOption::initialise(host, setupKey);
  const SetupSettings settings(host);
  for (int32 m = 0; m < memories; ++m) {
    if (!isMemoryWellFormed(m)) continue;
    for (int32 b = 0; b < CUserCmdInfo::buttonCount(); ++b) {
      CommandAssignment* entry = assignmentAt(m, b);
      const CommandAssignment* factory = factoryAssignment(m, b);
      if (!entry) continue;
      CommandAssignment stored;
      const bool complete =
          settings.getString(section.text, Name("Category%d-%d", m, b).text, stored.category) &&
          settings.getString(section.text, Name("Action%d-%d", m, b).text, stored.action) &&
          !stored.category.isEmpty() && !stored.action.isEmpty();
      if (complete) {
        settings.getString(section.text, Name("DisplayName%d-%d", m, b).text, stored.display);
        *entry = std::move(stored);
      } else if (factory) {
        *entry = *factory;
      }
    }
  }
  return true;
}

void CExtSetupInfo::writeSettings() const {
  Hox::IHostKernel* context = host();
  const int32 memories = CUserCmdInfo::memoryCount();
  if (!context || memories <= 0 || memoryNames().size() != static_cast<size_t>(memories)) return;
  const SetupSettings settings(context);
  const Name section = dataSection(setupKey());
  settings.setInteger(section.text, "MemoryIndex", currentMemory());
  for (int32 m = 0; m < memories; ++m) {
    settings.setString(section.text, Name("MemoryName%d", m).text, memoryNames()[m]);
  }
  for (int32 m = 0; m < memories; ++m) {
    if (!isMemoryWellFormed(m)) continue;
    for (int32 b = 0; b < CUserCmdInfo::buttonCount(); ++b) {
      const CommandAssignment* a = const_cast<CExtSetupInfo*>(this)->assignmentAt(m, b);
      if (!a) continue;
      settings.setString(section.text, Name("Category%d-%d", m, b).text, a->category);
      settings.setString(section.text, Name("Action%d-%d", m, b).text, a->action);
      settings.setString(section.text, Name("DisplayName%d-%d", m, b).text, a->display);
    }
  }
}

void CExtSetupInfo::setFileIdentity(const char8* modelName, const char8* extensionVersion,
                                    const DAWInfo* hostInfo) {
  if (modelName) {
    fileModelName_.assign(modelName);
    addAcceptedModelName(modelName);
  }
  if (extensionVersion) extensionVersion_.assign(extensionVersion);
  if (hostInfo) hostInfo_ = hostInfo;
}

void CExtSetupInfo::addAcceptedModelName(const char8* name) {
  if (!name) return;
  try {
    acceptedModelNames_.emplace_back(name);
  } catch (const std::bad_alloc&) {
    // The name is not accepted; files of that model are refused as before.
  }
}

bool CExtSetupInfo::isAcceptedModelName(const char8* name) const {
  if (!name) return false;
  const ConstString wanted(name);
  for (const String& accepted : acceptedModelNames_) {
    if (accepted.compare(wanted) == 0) return true;
  }
  return false;
}

bool CExtSetupInfo::setMainView(int32 view) {
  if (view < kPictureView || view > kOptionView) return false;
  mainView_ = view;
  return true;
}

// ---- setup files ----------------------------------------------------------------------------

bool CExtSetupInfo::canExchangeFiles() const {
  const int32 memories = CUserCmdInfo::memoryCount();
  return isMemoryWellFormed(currentMemory()) &&
         buttonNameCount() == static_cast<size_t>(CUserCmdInfo::buttonCount()) &&
         !fileModelName_.isEmpty() && !extensionVersion_.isEmpty() && hostInfo_ != nullptr &&
         memoryNames().size() == static_cast<size_t>(memories);
}

void CExtSetupInfo::saveFile() {
  Hox::IHostKernel* context = host();
  IPtr<Hox::ISaveFileSelector> selector = Hox::createInstance<Hox::ISaveFileSelector>(context);
  if (!selector) return;
  const Hox::FileType type = fileType("KQE", "Extension Setup File");
  const String title = wide("Save");
  IPtr<FUnknown> result;
  if (selector->run(1, title.text16(), &type, result.put()) != kResultOk || !result) return;
  Hox::SelectedPath path;
  if (selector->getPath(result.get(), Hox::kSavePath, &path) != kResultOk || !path.text) return;
  {
    IPtr<Hox::IXmlWriter> writer = Hox::createInstance<Hox::IXmlWriter>(context);
    if (writer && writer->open(path.text) == kResultOk) writeDocument(*writer.get());
  }
  selector->freePath(&path);
}

void CExtSetupInfo::writeDocument(Hox::IXmlWriter& writer) const {
  if (!canExchangeFiles()) return;
  const int32 memories = CUserCmdInfo::memoryCount();
  const int32 buttons = CUserCmdInfo::buttonCount();
  writer.startElement(kRoot, 0, nullptr, nullptr, 0);
  const char8* general[] = {kGeneral};
  writer.startElement(kData.name, kData.count, kData.attributes, general, 0);
  const Name buttonText("%d", buttons);
  const Name memoryText("%d", memories);
  const char8* model[] = {fileModelName_.text8(), buttonText.text, memoryText.text};
  writeEmpty(writer, kModel, model);
  const Name versionText("%d", kFileVersion);
  const char8* file[] = {versionText.text};
  writeEmpty(writer, kFile, file);
  // The host's texts as its information gives them.
  IPtr<Hox::IHostInformation> information =
      queryInterface<Hox::IHostInformation>(static_cast<FUnknown*>(host()));
  String product(information ? information->productName() : nullptr);
  String version(information ? information->versionString() : nullptr);
  String build = buildNumber(information ? information->buildString() : nullptr);
  const char8* daw[] = {product.text8(), version.text8(), build.text8()};
  writeEmpty(writer, kDaw, daw);
  const char8* extension[] = {extensionVersion_.text8()};
  writeEmpty(writer, kExtension, extension);
  writer.endElement(kData.name);
  for (int32 m = 0; m < memories; ++m) {
    const Name dataName("Memory %d", m + 1);
    const char8* data[] = {dataName.text};
    writer.startElement(kData.name, kData.count, kData.attributes, data, 0);
    if (memories > 1) {
      const char8* memory[] = {memoryNames()[m].text8()};
      writeEmpty(writer, kMemory, memory);
    }
    for (int32 b = 0; b < buttons; ++b) {
      const CommandAssignment* a = const_cast<CExtSetupInfo*>(this)->assignmentAt(m, b);
      if (!a) continue;
      const char8* command[] = {buttonName(b), a->category.text8(), a->action.text8(),
                                a->display.text8()};
      writeEmpty(writer, kCommand, command);
    }
    writer.endElement(kData.name);
  }
  writer.endElement(kRoot);
}

bool CExtSetupInfo::openFile() {
  loadSucceeded_ = true;
  Hox::IHostKernel* context = host();
  IPtr<Hox::IOpenFileSelector> selector = Hox::createInstance<Hox::IOpenFileSelector>(context);
  if (!selector) return true;
  const Hox::FileType types[2] = {fileType("KQE", "QENT6/QENT8 Extension Setup File"),
                                  fileType("ZQE", "ZAL6/ZAL8 Extension Setup File")};
  const String title = wide("Open");
  IPtr<FUnknown> list;
  if (selector->run(title.text16(), types, 2, list.put()) != kResultOk || !list) return true;
  if (selector->entryCount(list.get()) != 1) return true;
  IPtr<FUnknown> entry;
  if (selector->getEntry(list.get(), 0, entry.put()) != kResultOk || !entry) return true;
  loadSucceeded_ = false;
  Hox::SelectedPath path;
  if (selector->getPath(entry.get(), Hox::kEntryPath, &path) == kResultOk && path.text) {
    loadFile(path.text);
    selector->freePath(&path);
  }
  if (loadSucceeded_) {
    // A host that ends without destroying the model keeps what the file brought.
    writeSettings();
    return true;
  }
  showLoadFailure(context);
  return false;
}

bool CExtSetupInfo::loadFile(const char16* path) {
  loadSucceeded_ = false;
  // What an earlier refused file staged must not reach the model through this one.
  if (!path || !clearStaging()) return false;
  IPtr<Hox::IXmlReader> reader = Hox::createInstance<Hox::IXmlReader>(host());
  if (!reader) return false;
  if (reader->parse(path, this) == kResultOk) reader->detach();
  parseMemory_ = kNoMemory;
  return loadSucceeded_;
}

bool CExtSetupInfo::beginLoad() {
  loadSucceeded_ = false;
  return clearStaging();
}

bool CExtSetupInfo::clearStaging() {
  parseMemory_ = kNoMemory;
  try {
    parseAssignments_.assign(
        static_cast<size_t>(CUserCmdInfo::memoryCount()),
        std::vector<CommandAssignment>(static_cast<size_t>(CUserCmdInfo::buttonCount())));
    parseMemoryNames_.assign(static_cast<size_t>(CUserCmdInfo::memoryCount()), String());
  } catch (const std::bad_alloc&) {
    parseAssignments_.clear();
    parseMemoryNames_.clear();
    return false;
  }
  return true;
}

bool CExtSetupInfo::startElement(Hox::IXmlParser* parser, const char* name, int32 attributeCount,
                                 const char* const* attributeNames,
                                 const char* const* attributeValues) noexcept {
  if (acceptElement(name, attributeCount, attributeNames, attributeValues)) return true;
  if (parser) parser->stop(1);
  return false;
}

bool CExtSetupInfo::acceptElement(const char* name, int32 count, const char* const* names,
                                  const char* const* values) {
  if (!name || !canExchangeFiles()) return false;
  const int32 memories = CUserCmdInfo::memoryCount();
  const int32 buttons = CUserCmdInfo::buttonCount();
  // The staging tables are sized by clearStaging; a parse begun elsewhere has none.
  if (parseAssignments_.size() != static_cast<size_t>(memories) ||
      parseMemoryNames_.size() != static_cast<size_t>(memories)) {
    return false;
  }
  if (std::strcmp(name, kRoot) == 0) return true;
  if (count <= 0 || !names || !values) return false;
  for (int32 i = 0; i < count; ++i) {
    if (!values[i]) return false;
  }
  if (matches(kData, name, count, names)) {
    if (std::strcmp(values[0], kGeneral) == 0) {
      parseMemory_ = kNoMemory;
      return true;
    }
    parseMemory_ = kNoMemory;
    const char* space = std::strchr(values[0], ' ');
    if (space) parseMemory_ = decimal(space + 1) - 1;
    if (parseMemory_ < 0 || parseMemory_ >= memories) {
      parseMemory_ = kNoMemory;
      return false;
    }
    return true;
  }
  if (matches(kModel, name, count, names)) {
    return isAcceptedModelName(values[0]) && decimal(values[1]) == buttons &&
           decimal(values[2]) == memories;
  }
  if (matches(kFile, name, count, names)) {
    const int32 version = decimal(values[0]);
    return version >= 1 && version <= kNewestReadableVersion;
  }
  if (matches(kDaw, name, count, names) || matches(kExtension, name, count, names)) return true;
  const bool memory = matches(kMemory, name, count, names);
  const bool command = !memory && matches(kCommand, name, count, names);
  if (!memory && !command) return false;
  // Under "General" or before any memory's block there is no memory to stage into.
  if (parseMemory_ < 0 || parseMemory_ >= memories) return false;
  if (memory) return parseMemoryNames_[parseMemory_].assign(values[0]);
  for (int32 b = 0; b < buttons; ++b) {
    if (std::strcmp(buttonName(b), values[0]) != 0) continue;
    std::vector<CommandAssignment>& row = parseAssignments_[parseMemory_];
    if (static_cast<size_t>(b) >= row.size()) return false;
    CommandAssignment& staged = row[b];
    return staged.category.assign(values[1]) && staged.action.assign(values[2]) &&
           staged.display.assign(values[3]);
  }
  return false;
}

bool CExtSetupInfo::endElement(Hox::IXmlParser* /*parser*/, const char* name) noexcept {
  if (!name || std::strcmp(name, kRoot) != 0) return true;
  const int32 memories = CUserCmdInfo::memoryCount();
  if (parseAssignments_.size() != static_cast<size_t>(memories) ||
      parseMemoryNames_.size() != static_cast<size_t>(memories) ||
      memoryNames().size() != static_cast<size_t>(memories)) {
    return true;
  }
  for (int32 m = 0; m < memories; ++m) {
    for (int32 b = 0; b < CUserCmdInfo::buttonCount(); ++b) {
      CommandAssignment* entry = assignmentAt(m, b);
      if (entry && static_cast<size_t>(b) < parseAssignments_[m].size()) {
        *entry = std::move(parseAssignments_[m][b]);
        parseAssignments_[m][b] = CommandAssignment();
      }
    }
    memoryNames()[m] = std::move(parseMemoryNames_[m]);
    parseMemoryNames_[m] = String();
  }
  loadSucceeded_ = true;
  return true;
}

void CExtSetupInfo::characterData(Hox::IXmlParser* /*parser*/, const char* /*text*/,
                                  int32 /*length*/) noexcept {}

}  // namespace Brennholt
