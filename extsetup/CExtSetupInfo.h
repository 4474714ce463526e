// The extension setup's model: the assignment table of the keyboard's buttons (CUserCmdInfo),
// the option flags (CExtOption), the panel's last view, and the identity that setup files carry.
// As the host parser's callback (IXmlParserDef) it will read setup files.
//
// Owned by value by the setup panel controller; the panel and the keyboard service hold plain
// pointers to it and never outlive the controller. The model does not report its changes:
// whoever changes it tells the IExtSetupInfoMonitor. Used on the host thread only.
#pragma once

#include <vector>

#include "base/String.h"
#include "core/Types.h"
#include "extsetup/CExtOption.h"
#include "extsetup/CUserCmdInfo.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/XmlParser.h"

namespace Brennholt {

class DAWInfo;

class CExtSetupInfo final : public CUserCmdInfo, public CExtOption, public Hox::IXmlParserDef {
 public:
  // The panel's views.
  enum MainView : int32 { kPictureView = 0, kTableView = 1, kOptionView = 2 };

  CExtSetupInfo() = default;
  CExtSetupInfo(const CExtSetupInfo&) = delete;
  CExtSetupInfo& operator=(const CExtSetupInfo&) = delete;
  ~CExtSetupInfo() = default;

  // Sets up the tables as CUserCmdInfo::initialise does, then the options, then fills every
  // assignment from the factory table. False, nothing changed, when CUserCmdInfo refuses.
  bool initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                  int32 buttonCount, const std::vector<String>* buttonNames,
                  const std::vector<String>* factoryMemoryNames,
                  const AssignmentTable* factoryAssignments);

  // What setup files carry; each argument is applied only when not null. The model name is
  // also accepted when reading. hostInfo is not owned and must outlive the model.
  void setFileIdentity(const char8* modelName, const char8* extensionVersion,
                       const DAWInfo* hostInfo);
  // Accepts files of another model name too (ignored when null).
  void addAcceptedModelName(const char8* name);
  // Whether a setup file of that model name is read; exact comparison.
  bool isAcceptedModelName(const char8* name) const;

  const String& fileModelName() const { return fileModelName_; }
  const String& extensionVersion() const { return extensionVersion_; }
  const DAWInfo* hostInfo() const { return hostInfo_; }

  // The panel's view last shown; kept for the life of the model.
  int32 mainView() const { return mainView_; }
  // Accepted for the three views only.
  bool setMainView(int32 view);

  // --- IXmlParserDef -------------------------------------------------------------------------

  // Goes on; setup files are not read yet. [host thread, inside a parse]
  bool startElement(Hox::IXmlParser* parser, const char* name, int32 attributeCount,
                    const char* const* attributeNames,
                    const char* const* attributeValues) noexcept override;
  // Goes on. [host thread, inside a parse]
  bool endElement(Hox::IXmlParser* parser, const char* name) noexcept override;
  // Ignored: setup files carry no text. [host thread, inside a parse]
  void characterData(Hox::IXmlParser* parser, const char* text, int32 length) noexcept override;

 private:
  int32 mainView_ = kPictureView;
  String fileModelName_;
  String extensionVersion_;
  const DAWInfo* hostInfo_ = nullptr;  // not owned
  std::vector<String> acceptedModelNames_;
};

}  // namespace Brennholt
