// XmlLite ships with Windows (xmllite.dll); MinGW-w64 has its header but no import library, so
// the two entry points are looked up at run time, once.
#include <shlwapi.h>
#include <windows.h>
#include <xmllite.h>

#include <climits>
#include <cstdio>
#include <new>
#include <vector>

#include "sim/xml/XmlStream.h"

namespace QentSim {

namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
using CreateInput = HRESULT(WINAPI*)(IUnknown*, IMalloc*, LPCWSTR, BOOL, LPCWSTR,
                                     IXmlReaderInput**);

struct XmlLite {
  CreateReader createReader = nullptr;
  CreateInput createInput = nullptr;
};

const XmlLite& xmlLite() {
  static const XmlLite entries = [] {
    XmlLite found;
    // Kept loaded for the life of the process: readers may run at any time until exit.
    if (HMODULE dll = LoadLibraryW(L"xmllite.dll")) {
      found.createReader = reinterpret_cast<CreateReader>(
          reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")));
      found.createInput = reinterpret_cast<CreateInput>(
          reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReaderInputWithEncodingName")));
    }
    return found;
  }();
  return entries;
}

// Releases a COM object at the end of its scope.
template <class T>
struct Owned {
  T* p = nullptr;
  ~Owned() {
    if (p != nullptr) p->Release();
  }
};

// UTF-16 from the reader to UTF-8 for the callbacks; false when the text cannot be converted.
bool toUtf8(const WCHAR* text, UINT length, std::string* out) {
  out->clear();
  if (length == 0) return true;
  if (length > static_cast<UINT>(INT_MAX)) return false;
  const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(static_cast<std::size_t>(n));
  return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, static_cast<int>(length),
                             out->data(), n, nullptr, nullptr) == n;
}

// Where `text` stops being UTF-8: its length when all of it is. The expat reader refuses such a
// byte; Wine's XmlLite would let it through, so it is checked here first.
std::size_t validUtf8Prefix(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    unsigned min = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      min = 0x10000;
    } else {
      return i;
    }
    if (i + n >= text.size()) return i;  // cut short
    unsigned code = c & (0x3F >> n);
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      code = (code << 6) | (t & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
    i += n + 1;
  }
  return text.size();
}

int lineAt(std::string_view text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
  return line;
}

std::string describe(HRESULT hr) {
  char text[64];
  std::snprintf(text, sizeof text, "not well-formed (XmlLite error 0x%08lX)",
                static_cast<unsigned long>(hr));
  return text;
}

class Read {
 public:
  Read(IXmlReader* reader, XmlEvents& events) : reader_(reader), events_(events) {}

  XmlReadResult run() {
    XmlReadResult result;
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = S_OK;
    bool sawRoot = false;
    NodeAt last;
    while ((hr = reader_->Read(&type)) == S_OK) {
      // A reader that meets the end of its input inside the document may give the last node
      // again instead of failing (Wine's does): no node starts where the one before it did.
      const NodeAt at = nodeAt(type);
      if (at == last) {
        result.line = at.line;
        result.error = "not well-formed (the document ends inside an element)";
        return result;
      }
      last = at;
      bool go = true;
      switch (type) {
        case XmlNodeType_Element:
          sawRoot = true;
          go = element(&result);
          break;
        case XmlNodeType_EndElement:
          go = endElement(&result);
          break;
        case XmlNodeType_Text:
        case XmlNodeType_Whitespace:
        case XmlNodeType_CDATA:
          go = text(&result);
          break;
        default:
          break;
      }
      if (!go) return result;
    }
    if (FAILED(hr)) {
      result.line = lineNumber();
      result.error = describe(hr);
    } else if (!sawRoot) {
      result.line = lineNumber();
      result.error = "no element found";
    } else {
      result.complete = true;
    }
    return result;
  }

 private:
  struct NodeAt {
    int type = -1;
    int line = 0;
    int column = 0;
    bool operator==(const NodeAt&) const = default;
  };
  NodeAt nodeAt(XmlNodeType type) {
    UINT column = 0;
    reader_->GetLinePosition(&column);
    return {static_cast<int>(type), lineNumber(), static_cast<int>(column)};
  }

  int lineNumber() {
    UINT line = 0;
    return SUCCEEDED(reader_->GetLineNumber(&line)) ? static_cast<int>(line) : 0;
  }

  // False with *result filled when the read ends here.
  bool fail(XmlReadResult* result, const char* why) {
    result->line = lineNumber();
    result->error = why;
    return false;
  }
  bool stop(XmlReadResult* result) {
    result->stopped = true;
    return false;
  }

  bool qualifiedName(std::string* out) {
    const WCHAR* name = nullptr;
    UINT length = 0;
    return SUCCEEDED(reader_->GetQualifiedName(&name, &length)) && toUtf8(name, length, out);
  }
  bool value(std::string* out) {
    const WCHAR* text = nullptr;
    UINT length = 0;
    return SUCCEEDED(reader_->GetValue(&text, &length)) && toUtf8(text, length, out);
  }

  bool element(XmlReadResult* result) {
    const int line = lineNumber();
    const bool empty = reader_->IsEmptyElement() != FALSE;
    std::string name;
    if (!qualifiedName(&name)) return fail(result, "an element name that is not text");
    attributeNames_.clear();
    attributeValues_.clear();
    for (HRESULT hr = reader_->MoveToFirstAttribute(); hr == S_OK;
         hr = reader_->MoveToNextAttribute()) {
      attributeNames_.emplace_back();
      attributeValues_.emplace_back();
      if (!qualifiedName(&attributeNames_.back()) || !value(&attributeValues_.back()))
        return fail(result, "an attribute that is not text");
    }
    reader_->MoveToElement();
    // Wine's reader lets a repeated attribute through; the document is not well-formed.
    for (std::size_t i = 0; i < attributeNames_.size(); ++i) {
      for (std::size_t k = i + 1; k < attributeNames_.size(); ++k) {
        if (attributeNames_[i] == attributeNames_[k]) return fail(result, "duplicate attribute");
      }
    }
    names_.clear();
    values_.clear();
    for (std::size_t i = 0; i < attributeNames_.size(); ++i) {
      names_.push_back(attributeNames_[i].c_str());
      values_.push_back(attributeValues_[i].c_str());
    }
    if (!events_.startElement(name.c_str(), static_cast<int>(names_.size()), names_.data(),
                              values_.data(), line))
      return stop(result);
    // An empty element has no end node of its own.
    if (empty) return events_.endElement(name.c_str()) || stop(result);
    ++depth_;
    return true;
  }

  bool endElement(XmlReadResult* result) {
    std::string name;
    if (!qualifiedName(&name)) return fail(result, "an element name that is not text");
    --depth_;
    return events_.endElement(name.c_str()) || stop(result);
  }

  bool text(XmlReadResult* result) {
    // Whitespace around the root is not character data (the expat reader reports none).
    if (depth_ == 0) return true;
    std::string characters;
    if (!value(&characters)) return fail(result, "text that cannot be converted");
    if (!characters.empty())
      events_.characterData(characters.data(), static_cast<int>(characters.size()));
    return true;
  }

  IXmlReader* reader_;
  XmlEvents& events_;
  int depth_ = 0;  // elements open
  std::vector<std::string> attributeNames_;
  std::vector<std::string> attributeValues_;
  std::vector<const char*> names_;
  std::vector<const char*> values_;
};

}  // namespace

XmlReadResult readXml(std::string_view text, XmlEvents& events) {
  XmlReadResult result;
  const XmlLite& lite = xmlLite();
  if (lite.createReader == nullptr || lite.createInput == nullptr) {
    result.error = "the system has no XML reader (xmllite.dll)";
    return result;
  }
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    result.error = "the document is too large";
    return result;
  }
  if (const std::size_t bad = validUtf8Prefix(text); bad != text.size()) {
    result.line = lineAt(text, bad);
    result.error = "not well-formed (invalid UTF-8)";
    return result;
  }
  try {
    Owned<IStream> stream;
    stream.p = SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()),
                                 static_cast<UINT>(text.size()));
    Owned<IXmlReaderInput> input;
    Owned<IXmlReader> reader;
    // The text is UTF-8 whatever its declaration says, as the expat reader takes it.
    if (stream.p == nullptr ||
        FAILED(lite.createInput(stream.p, nullptr, L"utf-8", FALSE, nullptr, &input.p)) ||
        FAILED(lite.createReader(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.p),
                                 nullptr))) {
      result.error = "out of memory";
      return result;
    }
    // A document type declaration is read, not refused, as the expat reader reads it.
    reader.p->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    if (FAILED(reader.p->SetInput(input.p))) {
      result.error = "the reader refused its input";
      return result;
    }
    return Read(reader.p, events).run();
  } catch (const std::bad_alloc&) {
    result = XmlReadResult();
    result.error = "out of memory";
    return result;
  }
}

}  // namespace QentSim
