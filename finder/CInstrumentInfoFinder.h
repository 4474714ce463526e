// The driver of one probe: checks the plug-in path, hands the module to the discovery for its
// plug-in standard, collects the instruments found and writes them to the output file. Its
// result is the process's exit code.
#pragma once

#include <string>
#include <vector>

#include "finder/InstrumentRecord.h"

namespace Brennholt::Hox {

// Exit codes of plugprobe, the companion tool's only report besides the output file.
enum FinderExitCode : int {
  kExitDone = 0,             // probe completed (or too few arguments)
  kExitKnownInstrument = 1,  // one of the host's own instruments: nothing loaded or written
  kExitFixedAnswer = 2,      // a module with the fixed one-record answer: file written
  kExitBadPath = 3,          // no drive, cannot be split, empty name, or excluded
  kExitEmptyArgument = 4,    // output or plug-in path empty, or a file path names the plug-in
  kExitNotLoadable = 5,      // single-entry module cannot be loaded
  kExitNoEntry = 6,          // single-entry module exports no entry
  kExitUnusable = 7,         // no extension, or the module gives no plug-in or no factory
  kExitNoInstrument = 8,     // nothing of the instrument kind in the module
};

class CInstrumentInfoFinder {
 public:
  // Both paths are copied; xmlDumpPath may be null or empty (no XML copy wanted).
  CInstrumentInfoFinder(const char* outputPath, const char* xmlDumpPath);

  // Performs the whole probe; returns the exit code. An output or dump path that names the
  // plug-in file itself (another spelling, a link) ends the run with 4 before anything is
  // loaded or written.
  int run(const char* pluginPath);

  // Appends a copy of a record found by a discovery.
  void addRecord(const InstrumentRecord& record);
  const std::vector<InstrumentRecord>& records() const { return records_; }
  // The XML dump path, or null when none was asked for.
  const char* xmlDumpPath() const { return hasXmlDumpPath_ ? xmlDumpPath_.c_str() : nullptr; }

  // Splits a plug-in path into directory (drive included, trailing separator kept), file name
  // and extension (dot included). Any output may be null. False for an empty path, a part
  // longer than 255 characters, or (unless allowNoDrive) a path without a drive; on POSIX an
  // absolute path counts as having one. A folder's dot-part stays in its name.
  static bool splitPluginPath(const char* path, std::string* directory, std::string* name,
                              std::string* extension, bool allowNoDrive);
  // True for plug-ins that come with the host and are never probed, and for paths that cannot
  // be split or have no name.
  static bool isExcludedPlugin(const char* pluginPath);
  // 1 for the host's own instruments, 2 for the modules with the fixed "Bypass" answer (that
  // answer is written), 4 when the path gives no name, 9 to go on probing.
  int classifyKnownPlugin(const char* pluginPath);
  // Lower-cases A-Z in place, unless a byte of the text is not ASCII.
  static void toLowerAscii(std::string& text);

  // Writes the records to the output file, which then holds the whole list or, when it cannot be
  // written, no file at all (writeOutputFile); nothing is touched when there are no records.
  // Failures are not reported.
  void writeParameterList();
  // Replaces control bytes, DEL and every non-ASCII byte by a space, in place.
  static void sanitizeText(std::string& text);

  // classifyKnownPlugin's "go on" answer; never an exit code.
  static constexpr int kGoOn = 9;
  // Longest text of one output line; longer fields are cut.
  static constexpr size_t kMaxFieldLength = 254;
  // Longest directory, file name or extension that splitPluginPath accepts.
  static constexpr size_t kMaxPathPartLength = 255;

 private:
  std::string outputPath_;
  std::string xmlDumpPath_;
  bool hasXmlDumpPath_ = false;
  std::vector<InstrumentRecord> records_;
};

}  // namespace Brennholt::Hox
