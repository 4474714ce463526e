// How plugprobe writes a file the companion tool reads (the parameter list, the XML dump): the
// path holds either the whole new content or, when it cannot be written, no file at all, so a
// tool that reuses one path never reads a torn file or the previous plug-in's list as this one's.
#pragma once

#include <string>
#include <string_view>

namespace Brennholt::Hox {

// Writes bytes to a new file beside path and, once all of them are written and the file is
// closed, renames it into path's place. When that fails, the new file is removed, and so is a
// regular file that was at path before; when even that removal is refused (a read-only folder),
// that file is emptied instead. A path that exists and is not a regular file (a directory, a
// FIFO, a device) is left exactly as it is. True when path holds the new content.
bool writeOutputFile(const std::string& path, std::string_view bytes);

}  // namespace Brennholt::Hox
