#include "sim/host/project/ProjectModel.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "sim/host/project/ChannelDefaults.h"

namespace QentSim {

using namespace Brennholt;
using Hox::IDependent;
using Kind = TrackDescription::Kind;
using Equaliser = TrackDescription::Equaliser;

namespace {

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

ValueSpec selectedSpec() {
  ValueSpec spec;
  spec.title = "Selected";
  spec.minimum = -1;
  spec.maximum = 1023;
  spec.value = -1;
  spec.kind = 1;
  spec.format = "%.0f";
  return spec;
}

// Members numbered from 1 in the order they are added, unless the description gives a tag.
class Tagger {
 public:
  int32 next(const ValueSpec& spec) {
    ++count_;
    return spec.tag.value_or(count_);
  }

 private:
  int32 count_ = 0;
};

}  // namespace

ProjectModel::ProjectModel(const ProjectDescription& description,
                           std::shared_ptr<DependencyRegistry> registry,
                           std::shared_ptr<const HostLanguage> language)
    : registry_(std::move(registry)), language_(std::move(language)) {
  project_ = TreeObject::make(registry_, "Project", "Project", TreeObject::Role::kProject);
  IPtr<TreeObject> root = TreeObject::make(registry_, "", "");
  IPtr<TreeObject> tracks = TreeObject::make(registry_, "Tracks", "Tracks");
  IPtr<TreeObject> mixer = TreeObject::make(registry_, "Mixer", "Mixer");
  IPtr<TreeValue> selected = makeValue(selectedSpec(), 1);
  mixer_ = mixer.get();
  selected_ = selected.get();
  mixer->addMember("selected", std::move(selected));
  IPtr<TreeObject> hoxMixer = TreeObject::make(registry_, "HOX Mixer", "HOX Mixer");
  IPtr<TreeObject> rack = TreeObject::make(registry_, "HOX Instruments", "HOX Instruments");
  rack_ = rack.get();
  hoxMixer->addChild(std::move(rack));
  root->addChild(std::move(mixer));
  root->addChild(std::move(hoxMixer));
  TreeObject* trackList = tracks.get();
  project_->setProjectParts(std::move(root), std::move(tracks));

  for (const InstrumentDescription& d : description.instruments) buildInstrument(d);
  for (const TrackDescription& d : description.tracks) buildTrack(d, trackList);
  for (const auto& t : tracks_) {
    if (t->object->selected() && t->channel != nullptr)
      selected_->setPlainQuietly(channelIndex(t->channel));
  }
  selected_->setObserver(this);
}

ProjectModel::~ProjectModel() {
  // The module may hold "selected" past the project; it must not reach back here.
  selected_->setObserver(nullptr);
}

IPtr<TreeValue> ProjectModel::makeValue(ValueSpec spec, int32 tag) const {
  return TreeValue::make(registry_, language_, std::move(spec), tag);
}

// ---- building ----

void ProjectModel::buildParameters(TreeObject* owner,
                                   const std::vector<ParameterDescription>& parameters) {
  for (const ParameterDescription& p : parameters) {
    const int32 tag = p.spec.tag.value_or(p.id);
    owner->addParameter(p.id, makeValue(p.spec, tag));
  }
}

void ProjectModel::buildObjects(TreeObject* owner, const std::vector<ObjectDescription>& objects) {
  for (const ObjectDescription& d : objects) {
    IPtr<TreeObject> object = TreeObject::make(registry_, d.name, d.name);
    buildParameters(object.get(), d.parameters);
    buildObjects(object.get(), d.objects);
    owner->addSubObject(std::move(object));
  }
}

void ProjectModel::buildInstrument(const InstrumentDescription& d) {
  // Instruments are named "" in the tree ("%BLANK%" in paths); their title is their name.
  IPtr<TreeObject> instrument =
      TreeObject::make(registry_, "", d.name, TreeObject::Role::kInstrument);
  buildParameters(instrument.get(), d.parameters);
  buildObjects(instrument.get(), d.objects);
  // Parameters carry their identifiers as tags; the instrument's own members stay clear of them.
  instrument->addMember("writeEnable", makeValue(ChannelDefaults::writeEnable(), -1));
  if (d.vexelOne) {
    IPtr<TreeValue> program = makeValue(ChannelDefaults::program(d.program), -2);
    IPtr<TreeObject> titles = TreeObject::make(registry_, "0", "0");
    titles->setProgramTitles(program, d.programTitles);
    instrument->addMember("bayProg", std::move(program));
    instrument->addChild(std::move(titles));
  }
  IPtr<TreeObject> entry =
      TreeObject::make(registry_, d.name, d.name, TreeObject::Role::kRackEntry);
  entry->addMember("effectType", makeValue(ChannelDefaults::effectType(d.effectType), 1));
  instruments_.push_back({d.name, instrument.get(), entry.get()});
  entry->addChild(std::move(instrument));
  rack_->addChild(std::move(entry));
}

std::string ProjectModel::outputText(int instrument) const {
  if (instrument < 0) return "Not Connected";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d - ", instrument + 1);
  return buffer + instruments_[static_cast<std::size_t>(instrument)].name;
}

void ProjectModel::buildChannel(const TrackDescription& d, Track* t) {
  IPtr<TreeObject> channel = TreeObject::make(registry_, d.channelName, d.name);
  const bool midi = d.isMidi();
  const bool hasEqualiser = d.equaliser != Equaliser::kNone;
  IPtr<TreeObject> panner;
  if (!midi) panner = TreeObject::make(registry_, "Panner", "Panner");
  IPtr<TreeObject> quickControls = TreeObject::make(registry_, "Quick Controls", "Quick Controls");
  IPtr<TreeObject> equaliser;
  if (d.equaliser == Equaliser::kPlugin)
    equaliser = TreeObject::make(registry_, "Channel EQ", "Channel EQ");
  if (d.equaliser == Equaliser::kObject) equaliser = TreeObject::make(registry_, "EQ", "EQ");

  Tagger channelTags, pannerTags, controlTags, equaliserTags;
  for (const ChannelDefaults::Key& key : ChannelDefaults::keys(midi, hasEqualiser)) {
    ValueSpec spec;
    ChannelDefaults::spec(key.key, midi, hasEqualiser, &spec);
    for (const auto& [given, resolved] : d.values) {
      if (given == key.key) spec = resolved;
    }
    if (key.key == "name") spec.text = d.name;
    if (key.key == "output") spec.text = d.hasOutput ? d.output : outputText(d.instrument);
    switch (key.place) {
      case ChannelDefaults::Place::kChannel:
        channel->addMember(key.key, makeValue(spec, channelTags.next(spec)));
        break;
      case ChannelDefaults::Place::kPanner:
        panner->addMember(key.key, makeValue(spec, pannerTags.next(spec)));
        break;
      case ChannelDefaults::Place::kQuickControls:
        quickControls->addMember(key.key, makeValue(spec, controlTags.next(spec)));
        break;
      case ChannelDefaults::Place::kEqualiser:
        equaliser->addMember(key.key, makeValue(spec, equaliserTags.next(spec)));
        break;
    }
  }
  t->panner = panner.get();
  t->quickControls = quickControls.get();
  t->equaliser = equaliser.get();
  if (panner) channel->addChild(std::move(panner));
  channel->addChild(std::move(quickControls));
  if (d.kind == Kind::kInstrument && d.slot) {
    IPtr<TreeObject> slot = TreeObject::make(registry_, "Slot", "Slot");
    const Instrument* played =
        d.instrument >= 0 ? &instruments_[static_cast<std::size_t>(d.instrument)] : nullptr;
    slot->addMember("effectType",
                    makeValue(ChannelDefaults::effectType(
                                  played ? played->entry->member("effectType")->text() : ""),
                              1));
    if (played != nullptr) {
      slot->addChild(IPtr<TreeObject>::share(played->object));
      played->object->connect(channel.get());
    }
    channel->addChild(std::move(slot));
  }
  if (midi && d.instrument >= 0)
    instruments_[static_cast<std::size_t>(d.instrument)].object->connect(channel.get());
  if (d.equaliser == Equaliser::kPlugin) {
    channel->addPlugin(std::move(equaliser));
  } else if (d.equaliser == Equaliser::kObject) {
    channel->addChild(std::move(equaliser));
  }
  t->channel = channel.get();
  t->object->setChannel(channel);
  mixer_->addChild(std::move(channel));
}

void ProjectModel::buildTrack(const TrackDescription& d, TreeObject* parentList) {
  IPtr<TreeObject> object = TreeObject::make(registry_, d.name, d.name, TreeObject::Role::kTrack);
  auto record = std::make_unique<Track>();
  Track* t = record.get();
  t->name = d.name;
  t->kind = d.kind;
  t->object = object.get();
  t->parentList = parentList;
  t->instrument = d.instrument;
  object->setSelected(d.selected);
  tracks_.push_back(std::move(record));
  if (d.hasChannel()) buildChannel(d, t);
  TreeObject* folder = object.get();
  parentList->addChild(std::move(object));
  for (const TrackDescription& child : d.tracks) buildTrack(child, folder);
}

// ---- lookups ----

ProjectModel::Track* ProjectModel::track(const std::string& name, std::string* error) const {
  for (const auto& t : tracks_) {
    if (t->name == name) return t.get();
  }
  if (error) *error = "no track " + inQuotes(name);
  return nullptr;
}

const ProjectModel::Instrument* ProjectModel::instrument(const std::string& name,
                                                         std::string* error) const {
  for (const Instrument& i : instruments_) {
    if (i.name == name) return &i;
  }
  if (error) *error = "no instrument " + inQuotes(name);
  return nullptr;
}

int ProjectModel::channelIndex(const TreeObject* channel) const {
  const auto& channels = mixer_->children();
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (channels[i].get() == channel) return static_cast<int>(i);
  }
  return -1;
}

namespace {

// Depth first through the parameter lists: the object's own, then each sub-object's.
TreeValue* findParameter(const TreeObject* object, int32 id) {
  if (TreeValue* found = object->parameter(id)) return found;
  for (const auto& sub : object->subObjects()) {
    if (TreeValue* found = findParameter(sub.get(), id)) return found;
  }
  return nullptr;
}

}  // namespace

TreeValue* ProjectModel::findValue(const std::string& object, const std::string& key,
                                   std::string* error) const {
  auto missing = [&](const std::string& what) -> TreeValue* {
    if (error) *error = what + " has no value " + inQuotes(key);
    return nullptr;
  };
  if (object == "Mixer") {
    return key == "selected" ? selected_ : missing("the mixer");
  }
  const std::size_t colon = object.find(':');
  const std::string prefix = colon == std::string::npos ? object : object.substr(0, colon);
  const std::string name = colon == std::string::npos ? std::string() : object.substr(colon + 1);
  if (prefix == "inst" && colon != std::string::npos) {
    const Instrument* i = instrument(name, error);
    if (i == nullptr) return nullptr;
    int32 id = 0;
    const char* last = key.data() + key.size();
    auto [end, failed] = std::from_chars(key.data(), last, id);
    TreeValue* found = nullptr;
    if (failed == std::errc() && end == last && !key.empty()) {
      found = findParameter(i->object, id);
    } else {
      found = i->object->member(key);
    }
    return found ? found : missing("instrument " + inQuotes(name));
  }
  if ((prefix != "track" && prefix != "eq" && prefix != "qc") || colon == std::string::npos) {
    if (error) {
      *error = "no object " + inQuotes(object) +
               " (objects are track:NAME, eq:NAME, qc:NAME, inst:NAME and Mixer)";
    }
    return nullptr;
  }
  Track* t = track(name, error);
  if (t == nullptr) return nullptr;
  const std::string what = "track " + inQuotes(name);
  if (t->channel == nullptr) {
    if (error) *error = what + " is a folder and has no mixer channel";
    return nullptr;
  }
  TreeValue* found = nullptr;
  if (prefix == "track") {
    found = t->channel->member(key);
    if (found == nullptr && t->panner != nullptr) found = t->panner->member(key);
  } else if (prefix == "eq") {
    if (t->equaliser == nullptr) {
      if (error) *error = what + " has no equaliser";
      return nullptr;
    }
    found = t->equaliser->member(key);
  } else {
    found = t->quickControls->member(key);
  }
  return found ? found
               : missing(prefix == "track" ? what + "'s channel"
                         : prefix == "eq"  ? what + "'s equaliser"
                                           : what + "'s quick controls");
}

// ---- selection ----

void ProjectModel::markSelected(const Track* chosen) noexcept {
  for (const auto& t : tracks_) {
    const bool selected = t.get() == chosen;
    if (t->object->selected() == selected) continue;
    t->object->setSelected(selected);
    registry_->notify(t->object, IDependent::kChanged);
  }
}

void ProjectModel::showSelected(int index) { selected_->setPlain(index); }

bool ProjectModel::select(const std::string& name, std::string* error) {
  Track* t = track(name, error);
  if (t == nullptr) return false;
  markSelected(t);
  if (t->channel != nullptr) showSelected(channelIndex(t->channel));
  return true;
}

void ProjectModel::selectNone() {
  markSelected(nullptr);
  showSelected(-1);
}

void ProjectModel::moduleWrote(TreeValue& value) noexcept {
  if (&value != selected_) return;
  // The module moved the mixer's selection: the track of that channel is selected now.
  const int index = value.intValue();
  const Track* chosen = nullptr;
  for (const auto& t : tracks_) {
    if (t->channel != nullptr && channelIndex(t->channel) == index) chosen = t.get();
  }
  markSelected(chosen);
}

// ---- values ----

bool ProjectModel::setValue(const std::string& object, const std::string& key, double value,
                            std::string* error) {
  TreeValue* found = findValue(object, key, error);
  if (found == nullptr) return false;
  if (found == selected_) {
    const int index = static_cast<int>(value);
    const int count = static_cast<int>(mixer_->children().size());
    const Track* chosen = nullptr;
    for (const auto& t : tracks_) {
      if (t->channel != nullptr && channelIndex(t->channel) == index) chosen = t.get();
    }
    markSelected(chosen);
    showSelected(index >= 0 && index < count ? index : -1);
    return true;
  }
  if (found->isText()) {
    if (error) *error = inQuotes(key) + " is a text: give it as \"TEXT\"";
    return false;
  }
  found->setPlain(value);
  return true;
}

bool ProjectModel::setValueText(const std::string& object, const std::string& key,
                                const std::string& text, std::string* error) {
  TreeValue* found = findValue(object, key, error);
  if (found == nullptr) return false;
  if (found == selected_) {
    double index = 0;
    if (!found->spec().plainFromText(text, &index)) {
      if (error) *error = inQuotes(text) + " is no channel index";
      return false;
    }
    return setValue(object, key, index, error);
  }
  if (!found->setText(text)) {
    if (error) *error = inQuotes(text) + " means nothing to " + inQuotes(key) + " of " + object;
    return false;
  }
  return true;
}

// ---- routing and removal ----

bool ProjectModel::route(const std::string& trackName, const std::string& instrumentName,
                         std::string* error) {
  Track* t = track(trackName, error);
  if (t == nullptr) return false;
  if (t->kind != Kind::kMidi) {
    if (error) *error = "track " + inQuotes(trackName) + " is not a MIDI track";
    return false;
  }
  const Instrument* target = instrument(instrumentName, error);
  if (target == nullptr) return false;
  const int index = static_cast<int>(target - instruments_.data());
  const int old = t->instrument;
  if (old != index) {
    if (old >= 0) instruments_[static_cast<std::size_t>(old)].object->disconnect(t->channel);
    target->object->connect(t->channel);
    t->instrument = index;
  }
  t->channel->member("output")->setText(outputText(index));
  if (old != index) {
    if (old >= 0)
      registry_->notify(instruments_[static_cast<std::size_t>(old)].entry, IDependent::kChanged);
    registry_->notify(target->entry, IDependent::kChanged);
  }
  return true;
}

bool ProjectModel::remove(const std::string& name, std::string* error) {
  Track* t = track(name, error);
  if (t == nullptr) return false;
  // Held until the end: the notices are queued while everything that goes is still alive.
  const IPtr<TreeObject> keep = IPtr<TreeObject>::share(t->object);
  std::vector<TreeItem*> going;
  t->object->collect(&going, false);
  for (TreeItem* item : going) registry_->notify(item, IDependent::kGoingAway);

  const int selectedBefore = selected_->intValue();
  const TreeObject* selectedChannel =
      selectedBefore >= 0 && selectedBefore < static_cast<int>(mixer_->children().size())
          ? mixer_->children()[static_cast<std::size_t>(selectedBefore)].get()
          : nullptr;
  TreeObject* parent = t->parentList;  // not inside: only what goes is erased below
  std::vector<TreeObject*> entries;    // rack entries whose instrument played a removed channel
  bool mixerChanged = false;
  for (auto it = tracks_.begin(); it != tracks_.end();) {
    Track* r = it->get();
    const bool inside =
        std::find(going.begin(), going.end(), static_cast<TreeItem*>(r->object)) != going.end();
    if (!inside) {
      ++it;
      continue;
    }
    if (r->channel != nullptr) {
      for (const Instrument& i : instruments_) {
        if (!i.object->isConnected(r->channel)) continue;
        i.object->disconnect(r->channel);
        if (std::find(entries.begin(), entries.end(), i.entry) == entries.end())
          entries.push_back(i.entry);
      }
      if (selectedChannel == r->channel) selectedChannel = nullptr;
      mixerChanged = mixer_->removeChild(r->channel) || mixerChanged;
    }
    it = tracks_.erase(it);
  }
  parent->removeChild(keep.get());
  registry_->notify(parent, IDependent::kChanged);
  if (mixerChanged) registry_->notify(mixer_, IDependent::kChanged);
  for (TreeObject* entry : entries) registry_->notify(entry, IDependent::kChanged);
  showSelected(selectedChannel != nullptr ? channelIndex(selectedChannel) : -1);
  return true;
}

void ProjectModel::goingAway() {
  std::vector<TreeItem*> all;
  project_->collect(&all, true);
  for (TreeItem* item : all) registry_->notify(item, IDependent::kGoingAway);
}

}  // namespace QentSim
