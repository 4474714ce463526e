// The host's XML reader through its one contract; the same cases run against expat (Linux) and
// the system's XmlLite (Windows, under Wine). Not covered: a character reference to a tab or
// line end inside an attribute value, which Wine's XmlLite turns into a blank.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/xml/XmlStream.h"

using QentSim::readXml;
using QentSim::XmlEvents;
using QentSim::XmlReadResult;

namespace {

// Records every callback as one line; answers false once `stopAfter` callbacks were made.
struct Recorder final : XmlEvents {
  std::vector<std::string> seen;
  int stopAfter = 1000;

  bool startElement(const char* name, int count, const char* const* names,
                    const char* const* values, int line) override {
    std::string entry("<");
    entry.append(name).append("@").append(std::to_string(line));
    for (int i = 0; i < count; ++i)
      entry.append(" ").append(names[i]).append("=").append(values[i]);
    seen.push_back(entry);
    return static_cast<int>(seen.size()) < stopAfter;
  }
  bool endElement(const char* name) override {
    seen.push_back(std::string("/").append(name));
    return static_cast<int>(seen.size()) < stopAfter;
  }
  void characterData(const char* text, int length) override {
    // Text may come in pieces: join neighbouring ones.
    if (!seen.empty() && seen.back().rfind("#", 0) == 0) {
      seen.back().append(text, static_cast<std::size_t>(length));
    } else {
      seen.push_back(std::string("#").append(text, static_cast<std::size_t>(length)));
    }
  }
};

}  // namespace

TEST(XmlReader, ElementsAttributesAndTextInDocumentOrder) {
  Recorder r;
  const XmlReadResult result = readXml(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<root b=\"2\" a=\"&lt;&amp;&quot;&#65;\xC3\xA9\">\n"
      "  <empty x=\"1\"/>t&gt;<![CDATA[<raw>]]></root>",
      r);
  EXPECT_TRUE(result.complete) << result.error;
  EXPECT_FALSE(result.stopped);
  const std::vector<std::string> expected = {
      "<root@2 b=2 a=<&\"A\xC3\xA9", "#\n  ", "<empty@3 x=1", "/empty", "#t><raw>", "/root"};
  EXPECT_EQ(r.seen, expected);
}

TEST(XmlReader, ACallbackStopsTheReadAtOnce) {
  Recorder r;
  r.stopAfter = 2;
  const XmlReadResult result = readXml("<a><b/><c/></a>", r);
  EXPECT_FALSE(result.complete);
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(result.error.empty());
  EXPECT_EQ(r.seen, (std::vector<std::string>{"<a@1", "<b@1"}));
}

TEST(XmlReader, MalformedDocumentsFailWithTheirLineAndNeverHang) {
  struct Case {
    const char* text;
    int line;
  };
  for (const Case& c :
       {Case{"", 0}, Case{"<a>", 1}, Case{"<a>\n<b x=\"1\"/>", 2}, Case{"<a>\n</b>", 2},
        Case{"<a x=\"1\" x=\"2\"/>", 1}, Case{"<a>\n\n<b n=\"\xE9\"/></a>", 3}, Case{"<a/><b/>", 1},
        Case{"text", 1}}) {
    Recorder r;
    const XmlReadResult result = readXml(c.text, r);
    EXPECT_FALSE(result.complete) << c.text;
    EXPECT_FALSE(result.stopped) << c.text;
    EXPECT_FALSE(result.error.empty()) << c.text;
    if (c.line > 0) {
      EXPECT_EQ(result.line, c.line) << c.text << ": " << result.error;
    }
  }
}
