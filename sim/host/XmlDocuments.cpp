#include "sim/host/XmlDocuments.h"

#if QENT_SIM_HAS_XML_READER
#include <expat.h>
#endif

#include <fstream>
#include <iterator>
#include <new>

#include "sim/host/HostText.h"
#include "sim/host/NoThrow.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

std::string escapeXml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      // Attribute values lose raw tabs and line ends to normalisation; references keep them.
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// ---- writer ----

XmlWriter::~XmlWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool XmlWriter::put(const std::string& text) {
  return file_ != nullptr && std::fwrite(text.data(), 1, text.size(), file_) == text.size();
}

tresult XmlWriter::open(const char16* path) noexcept {
  if (connection_ == nullptr || connection_->state == nullptr) return kResultFalse;
  if (path == nullptr) return kInvalidArgument;
  if (file_ != nullptr) return kResultFalse;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    const std::string name = toUtf8(path);
    file_ = std::fopen(name.c_str(), "wb");
    if (file_ == nullptr) return kResultFalse;
    return put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") ? kResultOk : kResultFalse;
  });
}

tresult XmlWriter::startElement(const char8* name, int32 count, const char8* const* names,
                                const char8* const* values, int32 closeAtOnce) noexcept {
  if (file_ == nullptr) return kResultFalse;
  if (name == nullptr || *name == '\0' || count < 0 ||
      (count > 0 && (names == nullptr || values == nullptr)))
    return kInvalidArgument;
  for (int32 i = 0; i < count; ++i) {
    if (names[i] == nullptr || values[i] == nullptr) return kInvalidArgument;
  }
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    std::string line(open_.size() * 2, ' ');
    line.append("<").append(name);
    for (int32 i = 0; i < count; ++i) {
      line.append(" ").append(names[i]).append("=\"").append(escapeXml(values[i])).append("\"");
    }
    line.append(closeAtOnce ? "/>\n" : ">\n");
    if (!closeAtOnce) open_.emplace_back(name);
    return put(line) ? kResultOk : kResultFalse;
  });
}

tresult XmlWriter::endElement(const char8* name) noexcept {
  if (file_ == nullptr) return kResultFalse;
  if (name == nullptr || open_.empty() || open_.back() != name) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    open_.pop_back();
    const std::string line = std::string(open_.size() * 2, ' ') + "</" + name + ">\n";
    return put(line) ? kResultOk : kResultFalse;
  });
}

// ---- reader ----

#if QENT_SIM_HAS_XML_READER

namespace {

// The parse in progress as the callback sees it.
class ExpatParse final : public IXmlParser {
 public:
  ExpatParse(XML_Parser parser, IXmlParserDef* callback) : parser_(parser), callback_(callback) {}

  void stop(int32) noexcept override {
    stopped_ = true;
    XML_StopParser(parser_, XML_FALSE);
  }
  bool stopped() const { return stopped_; }

  static void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* self = static_cast<ExpatParse*>(data);
    if (self->stopped_) return;
    try {
      std::vector<const char*> names;
      std::vector<const char*> values;
      for (const XML_Char** a = attributes; a && a[0]; a += 2) {
        names.push_back(a[0]);
        values.push_back(a[1]);
      }
      if (!self->callback_->startElement(self, name, static_cast<int32>(names.size()), names.data(),
                                         values.data()))
        self->stop(1);
    } catch (const std::bad_alloc&) {
      self->stop(1);
    }
  }
  static void XMLCALL end(void* data, const XML_Char* name) {
    auto* self = static_cast<ExpatParse*>(data);
    if (self->stopped_) return;
    if (!self->callback_->endElement(self, name)) self->stop(1);
  }
  static void XMLCALL text(void* data, const XML_Char* characters, int length) {
    auto* self = static_cast<ExpatParse*>(data);
    if (!self->stopped_) self->callback_->characterData(self, characters, length);
  }

 private:
  XML_Parser parser_;
  IXmlParserDef* callback_;
  bool stopped_ = false;
};

}  // namespace

tresult XmlReader::parseText(const char* text, std::size_t length,
                             IXmlParserDef* callback) noexcept {
  if (callback == nullptr || (text == nullptr && length > 0)) return kInvalidArgument;
  if (length > static_cast<std::size_t>(INT32_MAX)) return kResultFalse;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  if (parser == nullptr) return kOutOfMemory;
  ExpatParse parse(parser, callback);
  XML_SetUserData(parser, &parse);
  XML_SetElementHandler(parser, &ExpatParse::start, &ExpatParse::end);
  XML_SetCharacterDataHandler(parser, &ExpatParse::text);
  const XML_Status status = XML_Parse(parser, text, static_cast<int>(length), XML_TRUE);
  XML_ParserFree(parser);
  return status == XML_STATUS_OK && !parse.stopped() ? kResultOk : kResultFalse;
}

#else

tresult XmlReader::parseText(const char*, std::size_t, IXmlParserDef*) noexcept {
  return kResultFalse;
}

#endif

tresult XmlReader::parse(const char16* path, IXmlParserDef* callback) noexcept {
  if (connection_ == nullptr || connection_->state == nullptr) return kResultFalse;
  if (path == nullptr || callback == nullptr) return kInvalidArgument;
  callback_ = callback;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    std::ifstream in(toUtf8(path), std::ios::binary);
    if (!in) return kResultFalse;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return kResultFalse;
    return parseText(text.data(), text.size(), callback);
  });
}

tresult XmlReader::detach() noexcept {
  callback_ = nullptr;
  return kResultOk;
}

}  // namespace QentSim
