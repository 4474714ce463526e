#include "hostaccess/DisplayText.h"

#include <cstdio>

#include "base/StringConversion.h"
#include "hostaccess/HostPaths.h"
#include "hostaccess/HostText.h"
#include "sdk/host/CommandServices.h"

namespace Brennholt {

namespace {

constexpr char16 kInfinity = u'\u221E';
constexpr char16 kMinusSign = u'\u2212';

// The host's word for an English one; empty when it has none.
std::u16string translate(Hox::ITranslator* translator, const char16* english) {
  return readHostText16(
      [&](char16* text, int32 capacity) { return translator->translate(english, text, capacity); });
}

// The host speaks the English of the "us" language code; its other languages (the English of
// "en" too) may word things differently.
bool isUsLanguage(Hox::ITranslator* translator) {
  const std::u16string code = readHostText16(
      [&](char16* text, int32 capacity) { return translator->getLanguage(text, capacity); });
  return code.size() == 2 && (code[0] | 0x20) == u'u' && (code[1] | 0x20) == u's';
}

void replaceFirst(std::u16string& text, const std::u16string& what, std::u16string_view with) {
  if (what.empty()) return;
  const auto pos = text.find(what);
  if (pos != std::u16string::npos) text.replace(pos, what.size(), with);
}

std::u16string englishName16(Hox::IHostKernel* kernel, std::u16string name) {
  if (auto translator = Hox::getService<Hox::ITranslator>(kernel)) {
    const std::u16string eq = translate(translator.get(), u"EQ");
    if (!eq.empty() && name.find(eq) != std::u16string::npos) {
      replaceFirst(name, translate(translator.get(), u"Quality"), u"Q");
    }
    if (!isUsLanguage(translator.get())) {
      static constexpr const char16* kWords[] = {u"Volume",     u"Pan Left-Right", u"Pan",
                                                 u"Left-Right", u"EQ 1 Gain",      u"EQ 2 Gain",
                                                 u"EQ 3 Gain",  u"EQ 4 Gain",      u"EQ 1 Freq.",
                                                 u"EQ 2 Freq.", u"EQ 3 Freq.",     u"EQ 4 Freq."};
      for (const char16* word : kWords) {
        replaceFirst(name, translate(translator.get(), word), word);
      }
    }
  }
  if (name.starts_with(u"EQ - ")) {
    for (auto pos = name.find(u"EQ", 1); pos != std::u16string::npos;
         pos = name.find(u"EQ", pos + 2)) {
      if (pos + 2 < name.size() && name[pos + 2] >= u'1' && name[pos + 2] <= u'4') {
        name.insert(pos + 2, 1, u' ');
      }
    }
  }
  return name;
}

std::u16string destinationName(Hox::IHostKernel* kernel, Hox::IHostValue* destination) {
  return englishName16(kernel, hostValueText(destination));
}

}  // namespace

std::string displayValue(Hox::IHostKernel* kernel, std::u16string_view text) {
  if (text.size() == 2 && text[1] == kInfinity && (text[0] == u'-' || text[0] == kMinusSign)) {
    return "-oo";
  }
  if (text.size() == 2 && text[1] == kInfinity && text[0] == u'+') return "+oo";
  if (text.size() == 1 && text[0] == kInfinity) return "oo";
  std::u16string shown(text);
  auto translator = Hox::getService<Hox::ITranslator>(kernel);
  if (translator && !isUsLanguage(translator.get())) {
    if (!shown.empty() && shown == translate(translator.get(), u"On")) return "On";
    if (!shown.empty() && shown == translate(translator.get(), u"Off")) return "Off";
  }
  return toText8(shown.c_str());
}

std::string englishName(Hox::IHostKernel* kernel, std::string_view name) {
  const std::string copy(name);
  return toText8(englishName16(kernel, toText16(copy.c_str())).c_str());
}

std::string quickControlName(Hox::IHostKernel* kernel, int32 index,
                             Hox::IHostValue* destination) {
  if (!destination || index < 0) return {};
  const std::string text = toText8(destinationName(kernel, destination).c_str());
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "Q%d:", index + 1);
  return prefix + text;
}

std::string quickControlRename(Hox::IHostKernel* kernel, std::string_view name,
                               Hox::IHostValue* destination) {
  return std::string(name.substr(0, 3)) + toText8(destinationName(kernel, destination).c_str());
}

namespace {

// A quick control whose destination is empty controls nothing: its name is "Q" digit ":" alone.
bool isIdleQuickControl(Hox::IHostValue* secondary, std::string_view name) {
  return secondary && name.size() == 3 && name[0] == 'Q' && name[1] >= '0' && name[1] <= '9' &&
         name[2] == ':';
}

}  // namespace

std::string valueText(const ParameterController& controller, Hox::IHostValue* secondary,
                      std::string_view name) {
  if (!controller.isBound() || isIdleQuickControl(secondary, name)) return {};
  double normalized = 0;
  if (!controller.value(normalized, true)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "(%.3f)", normalized);
  return text;
}

std::string knobValueText(Hox::IHostKernel* kernel, const ParameterController& controller,
                          Hox::IHostValue* secondary, std::string_view name) {
  // The host still gives such a control a value text; the keyboard shows none.
  if (isIdleQuickControl(secondary, name)) return {};
  const std::u16string text = controller.parameterText();
  if (text.empty()) return valueText(controller, secondary, name);
  return displayValue(kernel, text);
}

bool vexelOneName(Hox::IHostObject* instrument, Hox::IHostValue* parameter,
                  std::string& name) {
  if (!instrument || !parameter) return false;
  auto titles = findPath(nullptr, instrument, "0");
  if (!titles) return false;
  std::string title = toText8(hostTagTitle(titles.get(), parameter->tag()).c_str());
  if (title.empty() || title == name) return false;
  name = std::move(title);
  return true;
}

}  // namespace Brennholt
