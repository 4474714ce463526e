#include "scanner/JUnitReport.h"

#include <cstdio>
#include <sstream>

namespace Brennholt::Scan {

namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t utf8Length(const std::string& text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::string escape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = utf8Length(text, i);
    char c = text[i];
    if (length == 0) {
      out += '?';
      ++i;
      continue;
    }
    if (length == 1) {
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
        default:
          // XML 1.0 allows no control characters but tab and line ends.
          out += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ? '?'
                                                                                               : c;
      }
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

std::string seconds(double milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", milliseconds / 1000.0);
  return text;
}

}  // namespace

std::string junitReport(const ScanRun& run) {
  std::size_t failures = 0;
  std::size_t skipped = 0;
  std::ostringstream cases;
  for (const ModuleOutcome& outcome : run.outcomes) {
    const std::string name = escape(outcome.module.path);
    if (!outcome.result) {
      ++skipped;
      cases << "    <testcase classname=\"plugscan\" name=\"" << name << "\" time=\"0.000\">\n"
            << "      <skipped message=\"not probed: the scan was interrupted\"/>\n"
            << "    </testcase>\n";
      continue;
    }
    const ProbeResult& result = *outcome.result;
    std::string state(stateName(result.state));
    std::string reason = escape(result.reason);
    cases << "    <testcase classname=\"plugscan." << state << "\" name=\"" << name << "\" time=\""
          << seconds(result.durationMs) << "\">\n";
    if (isProblem(result.state)) {
      ++failures;
      cases << "      <failure type=\"" << state << "\" message=\"" << reason << "\">" << state
            << ": " << reason << "</failure>\n";
    } else if (result.state == ModuleState::kExcluded || result.state == ModuleState::kDuplicate) {
      ++skipped;
      cases << "      <skipped message=\"" << state << ": " << reason << "\"/>\n";
    }
    cases << "      <system-out>" << state << ": " << reason
          << (outcome.fromCache ? " (from the cache)" : "")
          << (isSlow(outcome, run.options.slowMs) ? " (slow)" : "") << "</system-out>\n"
          << "    </testcase>\n";
  }
  std::ostringstream xml;
  std::string counts = "tests=\"" + std::to_string(run.outcomes.size()) + "\" failures=\"" +
                       std::to_string(failures) + "\" errors=\"0\" skipped=\"" +
                       std::to_string(skipped) + "\" time=\"" + seconds(run.elapsedMs) + "\"";
  xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<testsuites name=\"plugscan\" " << counts << ">\n"
      << "  <testsuite name=\"plugscan\" " << counts << ">\n"
      << cases.str() << "  </testsuite>\n"
      << "</testsuites>\n";
  return xml.str();
}

}  // namespace Brennholt::Scan
