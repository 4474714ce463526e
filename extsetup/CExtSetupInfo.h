// The extension setup's model: the assignment table of the keyboard's buttons (CUserCmdInfo),
// the option flags (CExtOption), the panel's last view, and the identity that setup files carry.
// It reads itself from the host's settings when initialised and writes itself back when told to
// and when destroyed; it saves and loads setup files through the host's file selectors, XML
// writer and XML reader, whose callback (IXmlParserDef) it is.
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
#include "sdk/host/SetupServices.h"
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
  // Writes the model to the settings (writeSettings), then lets go of the host context.
  ~CExtSetupInfo();

  // Sets up the tables as CUserCmdInfo::initialise does; takes the memory names and the
  // current memory from the settings, then the options, then every assignment, each missing
  // one from the factory table. Holds a counted reference to host from here until the model is
  // destroyed. False, nothing changed, when CUserCmdInfo refuses. [host thread]
  bool initialise(Hox::IHostKernel* host, const char8* setupKey, int32 memoryCount,
                  int32 buttonCount, const std::vector<String>* buttonNames,
                  const std::vector<String>* factoryMemoryNames,
                  const AssignmentTable* factoryAssignments);

  // What setup files carry; each argument is applied only when not null. The model name is
  // also accepted when reading. hostInfo is not owned and must outlive the model; its presence
  // lets files be written, whose host texts come from the host context's information.
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

  // Writes the current memory, the memory names and every assignment to the settings, as the
  // destructor does; called when the setup window closes and after a file loaded, so a host that
  // ends without destroying the model keeps them. Nothing is written before initialise or when
  // the memory names do not cover every memory. [host thread]
  void writeSettings() const;

  // Asks for a file with the host's save selector and writes every memory to it. Reports
  // nothing on any failure. [host thread]
  void saveFile();
  // Asks for a file with the host's open selector and reads it. False, after showing "Failed
  // to load.", when a chosen file was not read completely; the model then keeps what it had.
  // True when the user cancelled or the file was read; a file read is written to the settings
  // at once. [host thread]
  bool openFile();
  // Reads the setup file at `path` with the host's reader: true when it was read completely.
  // openFile without the selector and the message. [host thread]
  bool loadFile(const char16* path);
  // Readies the model for a parse that the caller drives: empties the staging tables. False
  // when memory runs out. [host thread]
  bool beginLoad();

  // --- IXmlParserDef -------------------------------------------------------------------------

  // Checks and stages one element of a setup file; false, after asking the parser to stop,
  // refuses the file. [host thread, inside a parse]
  bool startElement(Hox::IXmlParser* parser, const char* name, int32 attributeCount,
                    const char* const* attributeNames,
                    const char* const* attributeValues) noexcept override;
  // The root's end copies what the file staged over the model. Always goes on.
  // [host thread, inside a parse]
  bool endElement(Hox::IXmlParser* parser, const char* name) noexcept override;
  // Ignored: setup files carry no text. [host thread, inside a parse]
  void characterData(Hox::IXmlParser* parser, const char* text, int32 length) noexcept override;

 private:
  // Whether the model is complete enough to be written to a file or to take one in.
  bool canExchangeFiles() const;
  void writeDocument(Hox::IXmlWriter& writer) const;
  // startElement's checks; false refuses the element.
  bool acceptElement(const char* name, int32 count, const char* const* names,
                     const char* const* values);
  // Empties the staging tables; false when memory runs out.
  bool clearStaging();

  IPtr<Hox::IHostKernel> hostReference_;  // counted from initialise until the last write
  int32 mainView_ = kPictureView;
  String fileModelName_;
  String extensionVersion_;
  const DAWInfo* hostInfo_ = nullptr;  // not owned
  std::vector<String> acceptedModelNames_;
  static constexpr int32 kNoMemory = -1;
  int32 parseMemory_ = kNoMemory;  // the memory the file's current "data" element addresses
  AssignmentTable parseAssignments_;
  std::vector<String> parseMemoryNames_;
  bool loadSucceeded_ = true;
};

}  // namespace Brennholt
