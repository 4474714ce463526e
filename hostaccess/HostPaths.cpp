#include "hostaccess/HostPaths.h"

#include <cstdio>

#include "base/StringConversion.h"
#include "hostaccess/HostText.h"

namespace Brennholt {

using Hox::IHostObject;
using Hox::IHostValue;

namespace {

constexpr std::string_view kBlank = "%BLANK%";
constexpr std::string_view kInstrumentRack = "HOX Mixer\\HOX Instruments";
// Parameter lists nest only a few levels; a host whose sub-objects loop must not exhaust the
// stack.
constexpr int32 kMaxParameterDepth = 16;

IPtr<IHostObject> rootObject(Hox::IHostKernel* kernel) {
  IPtr<IHostObject> root;
  if (auto tree = Hox::getService<Hox::IObjectTreeService>(kernel)) {
    if (tree->getRoot(root.put()) != kResultOk) root.reset();
  }
  return root;
}

IPtr<IHostObject> instrumentList(Hox::IHostKernel* kernel) {
  IPtr<IHostObject> list;
  if (auto tree = Hox::getService<Hox::IObjectTreeService>(kernel)) {
    if (tree->getInstrumentList(list.put()) != kResultOk) list.reset();
  }
  return list;
}

IPtr<IHostObject> child(IHostObject* parent, int32 index) {
  IPtr<IHostObject> result;
  if (parent->getChild(index, result.put()) != kResultOk) result.reset();
  return result;
}

IPtr<IHostValue> member(IHostObject* object, const char* key) {
  IPtr<IHostValue> value;
  if (object && object->getMember(key, value.put()) != kResultOk) value.reset();
  return value;
}

std::string tagTitle(IHostObject* object, IHostValue* value) {
  if (!object || !value) return {};
  return toText8(hostTagTitle(object, value->tag()).c_str());
}

std::string ownerTagTitle(IHostValue* value) {
  IPtr<IHostObject> owner;
  if (value->getOwner(owner.put()) != kResultOk) owner.reset();
  return tagTitle(owner.get(), value);
}

// What a path lookup found: the first match and how many there were, counted up to two (a
// lookup with more than one result fails anyway). Kept off the heap: the selection is looked up
// on idle calls.
struct PathMatches {
  IPtr<IHostObject> first;
  int32 count = 0;
};

// Collects the objects `path` names below `start`; stops once two are found.
void collect(IHostObject* start, std::string_view path, PathMatches& found) {
  const auto separator = path.find('\\');
  std::string_view component = path.substr(0, separator);
  const std::string_view rest =
      separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
  if (component.empty()) return;
  if (component == kBlank) component = {};
  const int32 count = start->childCount();
  for (int32 i = 0; i < count && found.count < 2; ++i) {
    auto candidate = child(start, i);
    if (!candidate) continue;
    const char* name = candidate->name();
    if (!name || component != name) continue;
    if (rest.empty()) {
      if (found.count++ == 0) found.first = std::move(candidate);
    } else {
      collect(candidate.get(), rest, found);
    }
  }
}

// Member `key` of the first child of `channel` that has one.
IPtr<IHostValue> firstChildMember(IHostObject* channel, const char* key) {
  const int32 count = channel->childCount();
  for (int32 i = 0; i < count; ++i) {
    auto candidate = child(channel, i);
    if (!candidate) continue;
    if (auto value = member(candidate.get(), key)) return value;
  }
  return {};
}

// Identifier `identifier` of the fixed channel functions, without the name rules of the callers.
IPtr<IHostValue> channelValue(IHostObject* channel, int32 identifier, std::string& name) {
  using namespace ChannelId;
  char key[32];
  if (identifier == kVolume || identifier == kName) {
    auto value = member(channel, identifier == kVolume ? "volume" : "name");
    if (value) name = tagTitle(channel, value.get());
    return value;
  }
  if (identifier >= kPan && identifier <= kStereoPanType) {
    const bool midi = channelKind(channel) == ChannelKind::kMidiChannel;
    if (midi && identifier != kPan) return {};
    const char* keys[] = {"panX", "panX2", "stereoPanType"};
    auto value = midi ? member(channel, "pan") : firstChildMember(channel, keys[identifier - kPan]);
    if (value) name = ownerTagTitle(value.get());
    return value;
  }
  if (identifier >= kQuickControlFirst && identifier < kName) {
    const bool destination = identifier >= kQDestinationFirst;
    std::snprintf(key, sizeof key, destination ? "QDestination%d" : "QuickControl%d",
                  destination ? identifier - 11 : identifier - 3);
    auto controls = findPath(nullptr, channel, "Quick Controls");
    auto value = member(controls.get(), key);
    if (value) name = key;
    return value;
  }
  if (identifier >= kEqOnFirst && identifier <= kEqLast) {
    const char* fields[] = {"on", "type", "gain", "freq", "q"};
    const int32 offset = identifier - kEqOnFirst;
    std::snprintf(key, sizeof key, "band%d:%s", offset % 4 + 1, fields[offset / 4]);
    auto equalizer = findEqualizer(channel);
    auto value = member(equalizer.get(), key);
    if (value) name = tagTitle(equalizer.get(), value.get());
    return value;
  }
  return {};
}

IPtr<Hox::IHostValue> searchParameters(IHostObject* object, int32 identifier, std::string& name,
                                       int32 depth) {
  auto list = queryInterface<Hox::IHostParameterList>(object);
  if (!list) return {};
  const int32 count = list->parameterCount();
  for (int32 i = 0; i < count; ++i) {
    if (list->parameterId(i) != identifier) continue;
    IPtr<IHostValue> value;
    if (list->getParameter(identifier, value.put()) != kResultOk || !value) continue;
    name = toText8(readHostText16([&](char16* text, int32 capacity) {
                     return list->getParameterTitle(identifier, text, capacity);
                   }).c_str());
    return value;
  }
  if (depth >= kMaxParameterDepth) return {};
  const int32 subCount = list->subObjectCount();
  for (int32 i = 0; i < subCount; ++i) {
    IPtr<IHostObject> sub;
    if (list->getSubObject(i, sub.put()) != kResultOk || !sub) continue;
    if (auto value = searchParameters(sub.get(), identifier, name, depth + 1)) return value;
  }
  return {};
}

// The rack number n of an output text "n - NAME" and the NAME after the '-' without its leading
// spaces; false unless the '-' sits at position 2, 3 or 4 behind a number of at least 1.
bool parseOutput(const std::u16string& text, int32& number, std::u16string& name) {
  const auto dash = text.find(u'-');
  if (dash == std::u16string::npos || dash < 2 || dash > 4) return false;
  std::size_t pos = 0;
  while (pos < dash && text[pos] == u' ') ++pos;
  int32 n = 0;
  bool digits = false;
  for (; pos < dash && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
    n = n * 10 + (text[pos] - u'0');
    digits = true;
  }
  while (pos < dash && text[pos] == u' ') ++pos;
  if (!digits || pos != dash || n < 1) return false;
  pos = dash + 1;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  number = n;
  name = text.substr(pos);
  return true;
}

bool isConnected(IHostObject* instrument, IHostObject* channel) {
  auto connection = queryInterface<Hox::IHostInstrument>(instrument);
  return connection && connection->isConnectedTo(channel) == kResultOk;
}

// The first child of each entry of the instrument list that plays `channel`, with its entry.
bool findConnected(Hox::IHostKernel* kernel, IHostObject* channel, IPtr<IHostObject>& entry,
                   IPtr<IHostObject>& instrument) {
  auto list = instrumentList(kernel);
  if (!list) return false;
  const int32 count = list->childCount();
  for (int32 i = 0; i < count; ++i) {
    auto candidate = child(list.get(), i);
    if (!candidate || candidate->childCount() < 1) continue;
    auto first = child(candidate.get(), 0);
    if (first && isConnected(first.get(), channel)) {
      entry = std::move(candidate);
      instrument = std::move(first);
      return true;
    }
  }
  return false;
}

}  // namespace

IPtr<IHostObject> findPath(Hox::IHostKernel* kernel, IHostObject* start,
                           std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  IPtr<IHostObject> root;
  if (!start) {
    root = rootObject(kernel);
    if (!root) return {};
    start = root.get();
  }
  PathMatches found;
  collect(start, path, found);
  if (found.count != 1) return {};
  return std::move(found.first);
}

ChannelKind channelKind(IHostObject* object) noexcept {
  const char* name = object ? object->name() : nullptr;
  if (!name) return ChannelKind::kOther;
  const std::string_view kind = name;
  if (kind == "Synth") return ChannelKind::kSynth;
  if (kind == "MidiChannel") return ChannelKind::kMidiChannel;
  if (kind == "AudioChannel") return ChannelKind::kAudioChannel;
  return ChannelKind::kOther;
}

IPtr<IHostObject> findEqualizer(IHostObject* channel) {
  if (!channel) return {};
  if (auto plugins = queryInterface<Hox::IHostPluginList>(channel)) {
    const int32 count = plugins->pluginCount();
    for (int32 i = 0; i < count; ++i) {
      IPtr<IHostObject> plugin;
      if (plugins->getPlugin(i, plugin.put()) != kResultOk || !plugin) continue;
      const char* name = plugin->name();
      if (name && std::string_view(name) == "Channel EQ") return plugin;
    }
  }
  // A channel whose plug-in list holds no equaliser may still carry it as an object.
  return findPath(nullptr, channel, "EQ");
}

IPtr<IHostValue> findChannelValue(IHostObject* channel, int32 identifier,
                                  std::string& name) {
  if (!channel) return {};
  std::string found;
  auto value = channelValue(channel, identifier, found);
  name = value ? std::move(found) : std::string();
  return value;
}

IPtr<IHostValue> findInstrumentParameter(IHostObject* plugin, int32 identifier,
                                         std::string& name) {
  name.clear();
  if (!plugin) return {};
  return searchParameters(plugin, identifier, name, 0);
}

IPtr<IHostObject> findTrackInstrument(Hox::IHostKernel* kernel, IHostObject* channel,
                                      IHostValue* output, bool newMixerModel) {
  if (!channel) return {};
  if (newMixerModel) {
    IPtr<IHostObject> entry, instrument;
    findConnected(kernel, channel, entry, instrument);
    return instrument;
  }
  if (!output) return {};
  const std::u16string text = hostValueText(output);
  int32 number = 0;
  std::u16string name;
  if (!parseOutput(text, number, name)) return {};
  auto rack = findPath(kernel, nullptr, kInstrumentRack);
  if (!rack || number - 1 >= rack->childCount()) return {};
  auto entry = child(rack.get(), number - 1);
  if (!entry) return {};
  auto instrument = findPath(kernel, entry.get(), kBlank);
  if (!instrument) return {};
  if (name.find(hostTitle(instrument.get())) == std::u16string::npos) return {};
  return instrument;
}

IPtr<IHostObject> findTargetInstrument(Hox::IHostKernel* kernel, IHostObject* channel,
                                       IHostValue* output, bool newMixerModel) {
  switch (channelKind(channel)) {
    case ChannelKind::kMidiChannel:
      return findTrackInstrument(kernel, channel, output, newMixerModel);
    case ChannelKind::kSynth:
      return findPath(kernel, channel, "Slot\\%BLANK%");
    default:
      return {};
  }
}

IPtr<IHostObject> findSlotObject(Hox::IHostKernel* kernel, IHostObject* channel,
                                 IHostObject* instrument, bool newMixerModel) {
  const ChannelKind kind = channelKind(channel);
  if (newMixerModel) {
    if (!instrument || (kind != ChannelKind::kSynth && kind != ChannelKind::kMidiChannel)) {
      return {};
    }
    auto list = instrumentList(kernel);
    if (!list) return {};
    const int32 count = list->childCount();
    for (int32 i = 0; i < count; ++i) {
      auto entry = child(list.get(), i);
      if (!entry || entry->childCount() < 1) continue;
      auto first = child(entry.get(), 0);
      if (first.get() == instrument && isConnected(first.get(), channel)) return entry;
    }
    return {};
  }
  if (kind != ChannelKind::kSynth) return {};
  return findPath(kernel, channel, "Slot");
}

std::string targetName(IHostObject* channel, IHostObject* instrument, IHostObject* slot,
                       bool newMixerModel) {
  if (instrument) {
    std::u16string text;
    if (slot) {
      text = hostValueText(member(slot, "effectType").get());
    } else if (!newMixerModel) {
      text = hostTitle(instrument);
    }
    std::string name;
    bool ascii = true;
    for (char16 c : text) {
      if (c >= 128) ascii = false;
      if (c != u' ') name.push_back(static_cast<char>(c));
    }
    // A text of spaces alone names nothing; an empty name would read as "no selection".
    if (ascii && !name.empty()) return name;
    return "Other Track";
  }
  switch (channelKind(channel)) {
    case ChannelKind::kAudioChannel:
      return "Audio Track";
    case ChannelKind::kMidiChannel:
      return "MIDI Track";
    default:
      return "Other Track";
  }
}

}  // namespace Brennholt
