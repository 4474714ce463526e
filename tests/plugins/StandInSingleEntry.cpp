// The dispatcher behind every stand-in single-entry plug-in.
#include "tests/plugins/StandInSingleEntry.h"

#include <cstring>
#include <new>
#include <string>

#include "tests/plugins/StandInSupport.h"

namespace StandIn {
namespace {

using namespace Brennholt;

constexpr int32 kOverlongNameLength = 300;
constexpr int32 kUnknownHostOpcode = 4711;

struct Plugin {
  SingleEntryDescriptor descriptor{};
  const SingleEntrySpec* spec = nullptr;
  std::intptr_t hostVersion = -1;
  std::intptr_t hostOther = -1;
};

std::string overlongName() {
  std::string name;
  for (int32 i = 0; i < kOverlongNameLength; ++i) name.push_back(static_cast<char>('a' + i % 26));
  return name;
}

std::intptr_t dispatch(SingleEntryDescriptor* descriptor, int32 opcode, int32 index, std::intptr_t,
                       void* data, float) {
  if (descriptor == nullptr) return 0;
  auto* plugin = static_cast<Plugin*>(descriptor->plugInData);
  const SingleEntrySpec& spec = *plugin->spec;
  bool validIndex = index >= 0 && index < spec.paramCount;
  switch (opcode) {
    case kSingleEntryOpen:
      trace(std::string(spec.tag) + " open");
      return 0;
    case kSingleEntryClose:
      trace(std::string(spec.tag) + " close");
      delete plugin;
      --liveObjects();
      return 0;
    case kSingleEntryGetCategory:
      trace(std::string(spec.tag) + " category");
      return spec.category;
    case kSingleEntryCanBeAutomated:
      return validIndex && spec.params[index].automatable ? 1 : 0;
    case kSingleEntryGetParameterName: {
      if (!validIndex || data == nullptr) return 0;
      descriptor->parameterCount = spec.paramCount;
      const SingleEntryParam& param = spec.params[index];
      std::string name = param.name;
      if (param.kind == NameKind::kOverlong) name = overlongName();
      if (param.kind == NameKind::kHostInfo)
        name =
            "Host " + std::to_string(plugin->hostVersion) + "/" + std::to_string(plugin->hostOther);
      // Written whole, whatever the buffer: that is what such plug-ins do.
      std::memcpy(data, name.c_str(), name.size() + 1);
      return 0;
    }
    default:
      return 0;
  }
}

struct ModuleLife {
  const char* tag = nullptr;
  ~ModuleLife() {
    if (tag) trace(std::string("unload ") + tag + " live=" + std::to_string(liveObjects().load()));
  }
};
ModuleLife moduleLife;

}  // namespace

SingleEntryDescriptor* createSingleEntryPlugin(const SingleEntrySpec& spec,
                                               SingleEntryHostCallback host) {
  trace(std::string(spec.tag) + " entry");
  auto* plugin = new (std::nothrow) Plugin;
  if (plugin == nullptr) return nullptr;
  ++liveObjects();
  plugin->spec = &spec;
  plugin->descriptor.magic = 0x51534550;
  plugin->descriptor.dispatcher = dispatch;
  plugin->descriptor.parameterCount = spec.countAtOpen >= 0 ? spec.countAtOpen : spec.paramCount;
  plugin->descriptor.plugInData = plugin;
  if (host != nullptr) {
    plugin->hostVersion = host(&plugin->descriptor, kSingleEntryHostVersion, 0, 0, nullptr, 0.0f);
    plugin->hostOther = host(&plugin->descriptor, kUnknownHostOpcode, 0, 0, nullptr, 0.0f);
  }
  return &plugin->descriptor;
}

void traceModuleLife(const char* tag) {
  moduleLife.tag = tag;
  trace(std::string("load ") + tag);
}

}  // namespace StandIn
