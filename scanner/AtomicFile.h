// Writes a file so that a reader finds the old file or the whole new one, never a part.
#pragma once

#include <filesystem>
#include <string>

namespace Brennholt::Scan {

// Writes text beside path, then renames it over path; creates missing folders. False with the
// reason in *why (when given), and then path is as it was.
bool writeFileAtomically(const std::filesystem::path& path, const std::string& text,
                         std::string* why);

}  // namespace Brennholt::Scan
