#include "sim/scenario/ArgumentReader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "sim/keyboard/KeyboardElements.h"

namespace QentSim {

namespace {

// A byte repeated more often than this is a typing error, not a message.
constexpr std::int64_t kMaxRepeat = 100000;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseReal(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

}  // namespace

ArgumentReader::ArgumentReader(const std::vector<ScenarioToken>& tokens, std::size_t first,
                               std::string usage, std::string directory)
    : tokens_(tokens), next_(first), usage_(std::move(usage)), directory_(std::move(directory)) {}

bool ArgumentReader::parseInteger(const std::string& text, std::int64_t& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  int base = 10;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    first += 2;
    base = 16;
  }
  auto [end, ec] = std::from_chars(first, last, out, base);
  return ec == std::errc() && end == last;
}

bool ArgumentReader::parseValue32(const std::string& text, std::int32_t& out) {
  std::int64_t read = 0;
  if (!parseInteger(text, read) || read < std::numeric_limits<std::int32_t>::min() ||
      read > std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  out = static_cast<std::int32_t>(static_cast<std::uint32_t>(read));
  return true;
}

bool ArgumentReader::takeWord(std::string_view word) {
  if (atEnd() || tokens_[next_].quoted || tokens_[next_].text != word) return false;
  ++next_;
  return true;
}

bool ArgumentReader::fail(const std::string& why) {
  error_ = why + "; usage: " + usage_;
  return false;
}

bool ArgumentReader::text(std::string& out, const char* what) {
  if (atEnd()) return fail(std::string("missing ") + what);
  out = tokens_[next_++].text;
  return true;
}

bool ArgumentReader::path(std::string& out, const char* what) {
  if (!text(out, what)) return false;
  if (out.empty()) return fail(std::string(what) + " is empty");
  const std::filesystem::path given(out);
  if (!directory_.empty() && given.is_relative())
    out = (std::filesystem::path(directory_) / given).string();
  return true;
}

bool ArgumentReader::word(std::string& out, const char* what) {
  if (atEnd()) return fail(std::string("missing ") + what);
  if (tokens_[next_].quoted) return fail(std::string(what) + " is a word, not a quoted text");
  out = tokens_[next_++].text;
  return true;
}

bool ArgumentReader::integer(std::int64_t& out, const char* what, std::int64_t low,
                             std::int64_t high) {
  std::string token;
  if (!word(token, what)) return false;
  if (!parseInteger(token, out))
    return fail(std::string(what) + " \"" + token + "\" is not a whole number");
  if (out < low || out > high)
    return fail(std::string(what) + " " + token + " is outside " + std::to_string(low) + ".." +
                std::to_string(high));
  return true;
}

bool ArgumentReader::value32(std::int32_t& out, const char* what) {
  std::string token;
  if (!word(token, what)) return false;
  if (!parseValue32(token, out))
    return fail(std::string(what) + " \"" + token +
                "\" is not a 32-bit whole number (-2147483648..4294967295 or 0x0..0xFFFFFFFF)");
  return true;
}

bool ArgumentReader::real(double& out, const char* what) {
  std::string token;
  if (!word(token, what)) return false;
  if (!parseReal(token, out)) return fail(std::string(what) + " \"" + token + "\" is not a number");
  return true;
}

bool ArgumentReader::onOff(bool& out, const char* what) {
  std::string token;
  if (!word(token, what)) return false;
  if (token != "on" && token != "off")
    return fail(std::string(what) + " must be on or off, not \"" + token + "\"");
  out = token == "on";
  return true;
}

bool ArgumentReader::element(int& out) {
  std::string name;
  if (!text(name, "ELEMENT")) return false;
  out = KeyboardElements::find(name);
  if (out < 0) return fail("unknown element \"" + name + "\"");
  return true;
}

bool ArgumentReader::knob(int& out) {
  std::string name;
  if (!text(name, "KNOB")) return false;
  out = KeyboardElements::knobFromText(name);
  if (out < 0) return fail("\"" + name + "\" is no knob (1..24, AsgnKnob1..12 or EQKnob1..12)");
  return true;
}

bool ArgumentReader::bytes(BytePattern& out, std::size_t keep) {
  while (left() > keep) {
    const ScenarioToken& token = tokens_[next_++];
    if (token.quoted) {
      for (char c : token.text) out.append(static_cast<unsigned char>(c));
    } else if (!hexItem(token.text, out)) {
      return false;
    }
    if (out.size() > BytePattern::kMaxLength)
      return fail("more than " + std::to_string(BytePattern::kMaxLength) + " bytes");
  }
  if (out.empty()) return fail("missing HEX bytes");
  return true;
}

bool ArgumentReader::end() {
  if (atEnd()) return true;
  return fail("unexpected \"" + tokens_[next_].text + "\"");
}

bool ArgumentReader::hexItem(const std::string& token, BytePattern& out) {
  std::string byteText = token;
  std::int64_t repeat = 1;
  const std::size_t star = token.find('*');
  if (star != std::string::npos) {
    byteText = token.substr(0, star);
    if (!parseInteger(token.substr(star + 1), repeat) || repeat < 1 || repeat > kMaxRepeat)
      return fail("bad repeat in \"" + token + "\" (XX*N, N = 1.." + std::to_string(kMaxRepeat) +
                  ")");
  }
  int value = 0;
  if (byteText == "??") {
    value = BytePattern::kAny;
  } else if (byteText.size() == 2 && hexDigit(byteText[0]) >= 0 && hexDigit(byteText[1]) >= 0) {
    value = hexDigit(byteText[0]) * 16 + hexDigit(byteText[1]);
  } else {
    return fail("\"" + token + "\" is not a hex byte (two digits, e.g. F0)");
  }
  if (static_cast<std::size_t>(repeat) > BytePattern::kMaxLength)
    return fail("more than " + std::to_string(BytePattern::kMaxLength) + " bytes");
  for (std::int64_t i = 0; i < repeat; ++i) out.append(value);
  return true;
}

}  // namespace QentSim
