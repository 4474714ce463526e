// The host's streaming XML parser as the module sees it from inside a parse: the parser object,
// which a callback may ask to stop, and the callback interface the module implements.
//
// The host's reader calls the callback on the host thread, from inside its parse call, once per
// element start, element end and run of character data. Names and attribute texts are the
// host's 8-bit, zero-terminated texts, valid only during the call.
#pragma once

#include "core/Types.h"

namespace Brennholt::Hox {

// The parse in progress; owned by the host and valid only during a callback.
class IXmlParser {
 public:
  // Asks the parser to end the parse after the current callback; the module passes 1.
  // [host thread, inside a callback]
  virtual void stop(int32 mode) noexcept = 0;

 protected:
  ~IXmlParser() = default;
};

// Receives the document's elements; slot order as listed.
class IXmlParserDef {
 public:
  // An element opens with its attributes in document order (names[i] belongs to values[i]);
  // false refuses the document, after asking the parser to stop. [host thread, inside a parse]
  virtual bool startElement(IXmlParser* parser, const char* name, int32 attributeCount,
                            const char* const* attributeNames,
                            const char* const* attributeValues) noexcept = 0;
  // The element named `name` closes; false refuses the document. [host thread, inside a parse]
  virtual bool endElement(IXmlParser* parser, const char* name) noexcept = 0;
  // Text between elements: `length` bytes, not terminated. [host thread, inside a parse]
  virtual void characterData(IXmlParser* parser, const char* text, int32 length) noexcept = 0;

 protected:
  ~IXmlParserDef() = default;
};

}  // namespace Brennholt::Hox
