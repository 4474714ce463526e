// The host's XML writer and reader. The writer writes UTF-8 with the declaration, one element a
// line, indented by depth, attribute values escaped (&, <, >, quotes, tab, line ends) so that the
// reader gives back exactly what was written. The reader is the host's streaming reader
// (sim/xml: expat, or XmlLite on Windows), which calls the module's callback per element.
// [host thread]
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sdk/host/SetupServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

class XmlWriter final : public HostObject<Brennholt::Hox::IXmlWriter> {
 public:
  using Interface = Brennholt::Hox::IXmlWriter;
  explicit XmlWriter(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult open(const Brennholt::char16* path) noexcept override;
  Brennholt::tresult startElement(const Brennholt::char8* name, Brennholt::int32 count,
                                  const Brennholt::char8* const* names,
                                  const Brennholt::char8* const* values,
                                  Brennholt::int32 closeAtOnce) noexcept override;
  Brennholt::tresult endElement(const Brennholt::char8* name) noexcept override;

 private:
  ~XmlWriter() override;  // closes the file
  bool put(const std::string& text);

  Connection connection_;
  std::FILE* file_ = nullptr;
  std::vector<std::string> open_;  // the elements not yet closed, outermost first
};

class XmlReader final : public HostObject<Brennholt::Hox::IXmlReader> {
 public:
  using Interface = Brennholt::Hox::IXmlReader;
  explicit XmlReader(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult parse(const Brennholt::char16* path,
                           Brennholt::Hox::IXmlParserDef* callback) noexcept override;
  Brennholt::tresult detach() noexcept override;

  // Reads a document held in memory; what parse does once the file is read. Also the fuzz
  // targets' way in.
  static Brennholt::tresult parseText(const char* text, std::size_t length,
                                      Brennholt::Hox::IXmlParserDef* callback) noexcept;

 private:
  Connection connection_;
  Brennholt::Hox::IXmlParserDef* callback_ = nullptr;  // not referenced
};

// XML text of an attribute value or character data, escaped as the writer writes it.
std::string escapeXml(const std::string& text);

}  // namespace QentSim
