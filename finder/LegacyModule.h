// One loaded single-entry module. Unloading happens when the object goes; this standard has no
// exit function to call first.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "sdk/SingleEntry.h"

namespace Brennholt::Hox {

class LegacyModule {
 public:
  // xmlDumpPath is borrowed and may be null.
  explicit LegacyModule(const char* xmlDumpPath);
  ~LegacyModule();
  LegacyModule(const LegacyModule&) = delete;
  LegacyModule& operator=(const LegacyModule&) = delete;

  // Takes the module's name from the path and loads it; false when it does not load.
  bool load(const char* pluginPath);
  // Copies the embedded XML description, byte for byte, to the dump path if one was given and
  // the module carries one. Failures are silent.
  void dumpXmlResource() const;
  // "HOXPluginMain", else "main"; null when neither is exported.
  SingleEntryMainProc entry() const;
  void unload();

  // File name without directory and extension.
  const std::string& name() const { return name_; }

 private:
  Platform::ModuleHandle module_ = nullptr;
  std::string name_;
  const char* xmlDumpPath_;
};

}  // namespace Brennholt::Hox
