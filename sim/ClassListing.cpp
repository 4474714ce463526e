#include "sim/ClassListing.h"

#include <cstring>
#include <iterator>

#include "platform/Platform.h"

namespace QentSim {

using namespace Brennholt;

namespace {

// A fixed 8-bit field may be full to its last byte.
std::string fieldText(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

// A fixed 16-bit field as 8-bit text; units the system cannot convert become "?".
std::string fieldText(const char16* field, std::size_t units) {
  std::size_t length = 0;
  while (length < units && field[length] != 0) ++length;
  if (length == 0) return {};
  auto count = static_cast<int32>(length);
  int32 needed = Platform::wideToMultiByte(0, field, count, nullptr, 0);
  if (needed > 0) {
    std::string text(static_cast<std::size_t>(needed), '\0');
    if (Platform::wideToMultiByte(0, field, count, text.data(), needed) == needed) return text;
  }
  std::string text;
  for (std::size_t i = 0; i < length; ++i)
    text += field[i] < 0x80 ? static_cast<char>(field[i]) : '?';
  return text;
}

template <class Info>
void takeCommon(const Info& info, ClassDescription& out) {
  out.cid = FUID::fromTUID(info.cid);
  out.cardinality = info.cardinality;
  out.category = fieldText(info.category, sizeof(info.category));
  out.name = fieldText(info.name, std::size(info.name));
}

bool readWide(IPluginFactory3* factory, int32 index, ClassDescription& out) {
  PClassInfoW info{};
  if (factory == nullptr || factory->getClassInfoUnicode(index, &info) != kResultOk) return false;
  takeCommon(info, out);
  out.version = fieldText(info.version, PClassInfoW::kVersionSize);
  out.form = InfoForm::kWide;
  return true;
}

bool readExtended(IPluginFactory2* factory, int32 index, ClassDescription& out) {
  PClassInfo2 info{};
  if (factory == nullptr || factory->getClassInfo2(index, &info) != kResultOk) return false;
  takeCommon(info, out);
  out.version = fieldText(info.version, sizeof(info.version));
  out.form = InfoForm::kExtended;
  return true;
}

bool readBasic(IPluginFactory* factory, int32 index, ClassDescription& out) {
  PClassInfo info{};
  if (factory->getClassInfo(index, &info) != kResultOk) return false;
  takeCommon(info, out);
  out.form = InfoForm::kBasic;
  return true;
}

void printQuoted(std::ostream& out, const std::string& text) { out << '"' << text << '"'; }

}  // namespace

const char* infoFormName(InfoForm form) {
  switch (form) {
    case InfoForm::kWide:
      return "wide";
    case InfoForm::kExtended:
      return "extended";
    case InfoForm::kBasic:
      break;
  }
  return "basic";
}

FactoryDescription describeFactory(IPluginFactory* factory) {
  FactoryDescription description;
  if (factory == nullptr) return description;
  PFactoryInfo info{};
  if (factory->getFactoryInfo(&info) == kResultOk) {
    description.vendor = fieldText(info.vendor, sizeof(info.vendor));
    description.url = fieldText(info.url, sizeof(info.url));
    description.email = fieldText(info.email, sizeof(info.email));
    description.flags = info.flags;
  }
  IPtr<IPluginFactory3> factory3 = queryInterface<IPluginFactory3>(factory);
  IPtr<IPluginFactory2> factory2 = queryInterface<IPluginFactory2>(factory);
  int32 count = factory->countClasses();
  for (int32 index = 0; index < count; ++index) {
    ClassDescription entry;
    entry.index = index;
    if (readWide(factory3.get(), index, entry) || readExtended(factory2.get(), index, entry) ||
        readBasic(factory, index, entry)) {
      description.classes.push_back(entry);
    }
  }
  return description;
}

void printFactory(const FactoryDescription& description, std::ostream& out) {
  out << "factory: vendor ";
  printQuoted(out, description.vendor);
  out << ", url ";
  printQuoted(out, description.url);
  out << ", email ";
  printQuoted(out, description.email);
  out << ", flags " << description.flags << '\n';
  out << "classes: " << description.classes.size() << '\n';
  for (const ClassDescription& entry : description.classes) {
    char cid[33];
    entry.cid.toMemoryHex(cid);
    out << "  [" << entry.index << "] category ";
    printQuoted(out, entry.category);
    out << ", name ";
    printQuoted(out, entry.name);
    out << ", cid " << cid << ", cardinality " << entry.cardinality;
    if (entry.form != InfoForm::kBasic) {
      out << ", version ";
      printQuoted(out, entry.version);
    }
    out << " (" << infoFormName(entry.form) << " information)\n";
  }
}

}  // namespace QentSim
