// The host's streaming XML reader: reads a whole document held in memory and calls back per
// element, in document order, from inside the call. One contract, two implementations chosen at
// build time: expat where the system has it (Linux, XmlStreamExpat.cpp), and the system's own
// XmlLite on Windows (XmlStreamXmlLite.cpp, xmllite.dll loaded at run time). Both read the text
// as UTF-8 whatever its declaration says, and both hand names, values and text over in UTF-8.
//
// Threading: any thread; a read uses no state outside its own call.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace QentSim {

// What a read reports to its reader. A callback that answers false stops the read at once; no
// further callback comes.
class XmlEvents {
 public:
  // An element opens: `count` attributes in document order, names[i] belonging to values[i], all
  // terminated. `line` is the element's line, counted from 1. An empty element (<a/>) is
  // followed by its endElement at once.
  virtual bool startElement(const char* name, int count, const char* const* names,
                            const char* const* values, int line) = 0;
  // The innermost open element, named `name`, closes.
  virtual bool endElement(const char* name) = 0;
  // Text between tags, whitespace included, in pieces of any size (not terminated).
  virtual void characterData(const char* text, int length) {
    (void)text;
    (void)length;
  }

 protected:
  ~XmlEvents() = default;
};

struct XmlReadResult {
  bool complete = false;  // the whole document was read and was well-formed
  bool stopped = false;   // a callback stopped the read
  int line = 0;           // where a malformed document failed
  std::string error;      // what failed, empty when complete or stopped
};

// Reads `text` as one XML document, calling `events` as it goes.
XmlReadResult readXml(std::string_view text, XmlEvents& events);

}  // namespace QentSim
