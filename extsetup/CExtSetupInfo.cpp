#include "extsetup/CExtSetupInfo.h"

#include <new>

namespace Brennholt {

bool CExtSetupInfo::initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                               int32 buttonCount, const std::vector<String>* buttonNames,
                               const std::vector<String>* factoryMemoryNames,
                               const AssignmentTable* factoryAssignments) {
  if (!CUserCmdInfo::initialise(host, setupKey, memoryCount, buttonCount, buttonNames,
                                factoryMemoryNames, factoryAssignments)) {
    return false;
  }
  CExtOption::initialise(host, setupKey);
  for (int32 m = 0; m < CUserCmdInfo::memoryCount(); ++m) {
    for (int32 b = 0; b < CUserCmdInfo::buttonCount(); ++b) {
      CommandAssignment* entry = assignmentAt(m, b);
      const CommandAssignment* factory = factoryAssignment(m, b);
      if (entry && factory) *entry = *factory;
    }
  }
  return true;
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

// Setup files are read with the setup file support; until then every element is let through.
bool CExtSetupInfo::startElement(Hox::IXmlParser* /*parser*/, const char* /*name*/,
                                 int32 /*attributeCount*/, const char* const* /*attributeNames*/,
                                 const char* const* /*attributeValues*/) noexcept {
  return true;
}

bool CExtSetupInfo::endElement(Hox::IXmlParser* /*parser*/, const char* /*name*/) noexcept {
  return true;
}

void CExtSetupInfo::characterData(Hox::IXmlParser* /*parser*/, const char* /*text*/,
                                  int32 /*length*/) noexcept {}

}  // namespace Brennholt
