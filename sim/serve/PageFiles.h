// The page's own files (sim/serve/page/), built into qentsim so the page needs nothing beside
// the executable. [any thread: the table is constant]
#pragma once

#include <string_view>

namespace QentSim {

struct PageFile {
  std::string_view path;  // as requested: "/", "/page.js"...
  std::string_view type;  // its Content-Type
  std::string_view body;
};

// The file of that path; null when the page has none.
const PageFile* findPageFile(std::string_view path);

}  // namespace QentSim
