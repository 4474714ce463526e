#include <expat.h>

#include <climits>
#include <new>
#include <vector>

#include "sim/xml/XmlStream.h"

namespace QentSim {

namespace {

struct ExpatRead {
  XML_Parser parser = nullptr;
  XmlEvents* events = nullptr;
  bool stopped = false;
  std::vector<const char*> names;
  std::vector<const char*> values;

  void stop() {
    stopped = true;
    XML_StopParser(parser, XML_FALSE);
  }

  static void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* self = static_cast<ExpatRead*>(data);
    if (self->stopped) return;
    try {
      self->names.clear();
      self->values.clear();
      for (const XML_Char** a = attributes; a && a[0]; a += 2) {
        self->names.push_back(a[0]);
        self->values.push_back(a[1]);
      }
    } catch (const std::bad_alloc&) {
      self->stop();
      return;
    }
    const int line = static_cast<int>(XML_GetCurrentLineNumber(self->parser));
    if (!self->events->startElement(name, static_cast<int>(self->names.size()), self->names.data(),
                                    self->values.data(), line))
      self->stop();
  }
  static void XMLCALL end(void* data, const XML_Char* name) {
    auto* self = static_cast<ExpatRead*>(data);
    if (!self->stopped && !self->events->endElement(name)) self->stop();
  }
  static void XMLCALL text(void* data, const XML_Char* characters, int length) {
    auto* self = static_cast<ExpatRead*>(data);
    if (!self->stopped) self->events->characterData(characters, length);
  }
};

}  // namespace

XmlReadResult readXml(std::string_view text, XmlEvents& events) {
  XmlReadResult result;
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    result.error = "the document is too large";
    return result;
  }
  ExpatRead read;
  read.events = &events;
  read.parser = XML_ParserCreate("UTF-8");
  if (read.parser == nullptr) {
    result.error = "out of memory";
    return result;
  }
  XML_SetUserData(read.parser, &read);
  XML_SetElementHandler(read.parser, &ExpatRead::start, &ExpatRead::end);
  XML_SetCharacterDataHandler(read.parser, &ExpatRead::text);
  const XML_Status status =
      XML_Parse(read.parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
  if (read.stopped) {
    result.stopped = true;
  } else if (status == XML_STATUS_OK) {
    result.complete = true;
  } else {
    result.line = static_cast<int>(XML_GetCurrentLineNumber(read.parser));
    result.error = XML_ErrorString(XML_GetErrorCode(read.parser));
  }
  XML_ParserFree(read.parser);
  return result;
}

}  // namespace QentSim
