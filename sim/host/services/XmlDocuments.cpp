#include "sim/host/services/XmlDocuments.h"
#include "sim/host/HostState.h"

#include <fstream>
#include <iterator>
#include <new>

#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"
#include "sim/xml/XmlStream.h"

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

namespace {

// The parse in progress as the module's callback sees it.
class ModuleParse final : public IXmlParser, public XmlEvents {
 public:
  explicit ModuleParse(IXmlParserDef* callback) : callback_(callback) {}

  void stop(int32) noexcept override { stopped_ = true; }
  bool stopped() const { return stopped_; }

  bool startElement(const char* name, int count, const char* const* names,
                    const char* const* values, int) override {
    if (stopped_) return false;
    return callback_->startElement(this, name, count, names, values) && !stopped_;
  }
  bool endElement(const char* name) override {
    if (stopped_) return false;
    return callback_->endElement(this, name) && !stopped_;
  }
  void characterData(const char* text, int length) override {
    if (!stopped_) callback_->characterData(this, text, length);
  }

 private:
  IXmlParserDef* callback_;
  bool stopped_ = false;
};

}  // namespace

tresult XmlReader::parseText(const char* text, std::size_t length,
                             IXmlParserDef* callback) noexcept {
  if (callback == nullptr || (text == nullptr && length > 0)) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    ModuleParse parse(callback);
    const XmlReadResult read = readXml(std::string_view(text, length), parse);
    return read.complete && !parse.stopped() ? kResultOk : kResultFalse;
  });
}

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
