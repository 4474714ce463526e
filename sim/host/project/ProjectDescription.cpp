#include "sim/host/project/ProjectDescription.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>

#include <nlohmann/json.hpp>

#include "sim/host/project/ChannelDefaults.h"

namespace QentSim {

using Brennholt::int32;
using Json = nlohmann::json;

namespace {

constexpr std::streamoff kMaxFileSize = std::streamoff{16} * 1024 * 1024;
constexpr std::size_t kMaxQuickControls = 8;
// Folders in folders and objects in objects: the tree is built and walked recursively.
constexpr int kMaxDepth = 32;
const char kVexelOne[] = "VexelOne";

// Thrown inside the reader to end it with a refusal; never leaves this file.
struct Refusal {
  std::string message;
};

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

std::string typeOf(const Json& j) {
  switch (j.type()) {
    case Json::value_t::string:
      return "a text";
    case Json::value_t::boolean:
      return "true or false";
    case Json::value_t::object:
      return "an object";
    case Json::value_t::array:
      return "a list";
    case Json::value_t::null:
      return "null";
    default:
      return j.is_number_integer() ? "a whole number" : "a number";
  }
}

[[noreturn]] void refuse(const std::string& path, const std::string& what) {
  throw Refusal{path.empty() ? what : path + ": " + what};
}

std::string indexed(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

std::string keyed(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

// Refuses every key of `object` that is not in `allowed`.
void onlyKeys(const Json& object, const std::string& path,
              std::initializer_list<const char*> allowed) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char* key : allowed) known = known || it.key() == key;
    if (!known) refuse(path, "unknown key " + inQuotes(it.key()));
  }
}

const Json& expectObject(const Json& j, const std::string& path) {
  if (!j.is_object()) refuse(path, "expected an object, found " + typeOf(j));
  return j;
}

const Json& expectList(const Json& j, const std::string& path) {
  if (!j.is_array()) refuse(path, "expected a list, found " + typeOf(j));
  return j;
}

std::string text(const Json& j, const std::string& path) {
  if (!j.is_string()) refuse(path, "expected a text, found " + typeOf(j));
  return j.get<std::string>();
}

std::string name(const Json& j, const std::string& path) {
  std::string value = text(j, path);
  if (value.empty()) refuse(path, "is empty");
  return value;
}

bool flag(const Json& j, const std::string& path) {
  if (!j.is_boolean()) refuse(path, "expected true or false, found " + typeOf(j));
  return j.get<bool>();
}

double real(const Json& j, const std::string& path) {
  if (!j.is_number()) refuse(path, "expected a number, found " + typeOf(j));
  return j.get<double>();
}

int32 whole(const Json& j, const std::string& path) {
  if (!j.is_number_integer()) refuse(path, "expected a whole number, found " + typeOf(j));
  if (j.is_number_unsigned()
          ? j.get<std::uint64_t>() > 0x7FFFFFFFu
          : (j.get<std::int64_t>() < INT32_MIN || j.get<std::int64_t>() > INT32_MAX)) {
    refuse(path, "lies outside the 32-bit range");
  }
  return static_cast<int32>(j.get<std::int64_t>());
}

// A number written as a key ("-60"), or a refusal.
double numberKey(const std::string& key, const std::string& path) {
  double value = 0;
  const char* first = key.data();
  const char* last = first + key.size();
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || !std::isfinite(value))
    refuse(path, "key " + inQuotes(key) + " is not a number");
  return value;
}

int32 tagKey(const std::string& key, const std::string& path) {
  int32 value = 0;
  const char* last = key.data() + key.size();
  auto [end, error] = std::from_chars(key.data(), last, value);
  if (error != std::errc() || end != last || key.empty())
    refuse(path, "key " + inQuotes(key) + " is not a tag (a whole number)");
  return value;
}

// Lays the value fields of `j` over `base`. `id` is read (and required) only when not null.
ValueSpec valueFields(const Json& j, const std::string& path, ValueSpec base, int32* id) {
  expectObject(j, path);
  if (id != nullptr) {
    onlyKeys(j, path,
             {"id", "title", "tag", "min", "max", "value", "default", "kind", "format", "texts"});
    if (!j.contains("id")) refuse(path, "id is missing");
    *id = whole(j["id"], keyed(path, "id"));
  } else {
    onlyKeys(j, path,
             {"title", "tag", "min", "max", "value", "default", "kind", "format", "texts"});
  }
  ValueSpec spec = std::move(base);
  if (j.contains("title")) {
    spec.title = text(j["title"], keyed(path, "title"));
    spec.localizedTitle = false;
  }
  if (j.contains("tag")) spec.tag = whole(j["tag"], keyed(path, "tag"));
  if (j.contains("min")) spec.minimum = real(j["min"], keyed(path, "min"));
  if (j.contains("max")) spec.maximum = real(j["max"], keyed(path, "max"));
  if (j.contains("default")) spec.defaultValue = real(j["default"], keyed(path, "default"));
  if (j.contains("kind")) spec.kind = whole(j["kind"], keyed(path, "kind"));
  if (j.contains("format")) {
    spec.format = text(j["format"], keyed(path, "format"));
    if (!ValueSpec::isValidFormat(spec.format)) {
      refuse(
          keyed(path, "format"),
          inQuotes(spec.format) +
              " is not a format of one number (one %f, %e, %g or %a, \"%%\" for a percent sign)");
    }
  }
  if (j.contains("texts")) {
    const std::string where = keyed(path, "texts");
    const Json& texts = expectObject(j["texts"], where);
    spec.texts.clear();
    spec.localizedTexts = false;
    for (auto it = texts.begin(); it != texts.end(); ++it) {
      const double at = numberKey(it.key(), where);
      spec.texts.emplace_back(at, text(it.value(), keyed(where, it.key())));
    }
  }
  if (spec.maximum < spec.minimum)
    refuse(path, "max " + number(spec.maximum) + " lies below min " + number(spec.minimum));
  const std::string range = number(spec.minimum) + ".." + number(spec.maximum);
  if (spec.defaultValue && (*spec.defaultValue < spec.minimum || *spec.defaultValue > spec.maximum))
    refuse(path, "default " + number(*spec.defaultValue) + " lies outside " + range);
  if (j.contains("value")) {
    spec.value = real(j["value"], keyed(path, "value"));
    if (spec.value < spec.minimum || spec.value > spec.maximum)
      refuse(path, "value " + number(spec.value) + " lies outside " + range);
  } else {
    spec.value = spec.defaultValue ? *spec.defaultValue : spec.minimum;
  }
  return spec;
}

ValueSpec parameterBase() {
  ValueSpec spec;
  spec.minimum = 0;
  spec.maximum = 1;
  return spec;
}

class Reader {
 public:
  ProjectDescription read(const Json& root) {
    expectObject(root, "");
    onlyKeys(root, "", {"tracks", "instruments", "translations"});
    if (root.contains("instruments")) {
      const Json& list = expectList(root["instruments"], "instruments");
      for (std::size_t i = 0; i < list.size(); ++i)
        out_.instruments.push_back(instrument(list[i], indexed("instruments", i)));
    }
    if (root.contains("tracks")) {
      const Json& list = expectList(root["tracks"], "tracks");
      for (std::size_t i = 0; i < list.size(); ++i)
        out_.tracks.push_back(track(list[i], indexed("tracks", i)));
    }
    if (root.contains("translations")) {
      const Json& table = expectObject(root["translations"], "translations");
      for (auto it = table.begin(); it != table.end(); ++it)
        out_.translations.emplace_back(it.key(), text(it.value(), keyed("translations", it.key())));
    }
    return std::move(out_);
  }

 private:
  void parameters(const Json& j, const std::string& path, std::vector<ParameterDescription>* out) {
    const Json& list = expectList(j, path);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string where = indexed(path, i);
      ParameterDescription p;
      p.spec = valueFields(list[i], where, parameterBase(), &p.id);
      if (!ids_.insert(p.id).second)
        refuse(keyed(where, "id"),
               "parameter " + std::to_string(p.id) + " is already in this instrument");
      out->push_back(std::move(p));
    }
  }

  void objects(const Json& j, const std::string& path, std::vector<ObjectDescription>* out,
               int depth = 1) {
    if (depth > kMaxDepth) refuse(path, "objects nest deeper than " + std::to_string(kMaxDepth));
    const Json& list = expectList(j, path);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string where = indexed(path, i);
      const Json& o = expectObject(list[i], where);
      onlyKeys(o, where, {"name", "parameters", "objects"});
      ObjectDescription object;
      if (!o.contains("name")) refuse(where, "name is missing");
      object.name = text(o["name"], keyed(where, "name"));
      if (o.contains("parameters"))
        parameters(o["parameters"], keyed(where, "parameters"), &object.parameters);
      if (o.contains("objects"))
        objects(o["objects"], keyed(where, "objects"), &object.objects, depth + 1);
      out->push_back(std::move(object));
    }
  }

  InstrumentDescription instrument(const Json& j, const std::string& path) {
    expectObject(j, path);
    onlyKeys(j, path, {"name", "effectType", "parameters", "objects", "program", "programTitles"});
    InstrumentDescription d;
    if (!j.contains("name")) refuse(path, "name is missing");
    d.name = name(j["name"], keyed(path, "name"));
    for (const InstrumentDescription& other : out_.instruments) {
      if (other.name == d.name)
        refuse(keyed(path, "name"),
               "an instrument named " + inQuotes(d.name) + " is already there");
    }
    d.effectType =
        j.contains("effectType") ? text(j["effectType"], keyed(path, "effectType")) : d.name;
    d.vexelOne = d.name == kVexelOne;
    ids_.clear();
    if (j.contains("parameters"))
      parameters(j["parameters"], keyed(path, "parameters"), &d.parameters);
    if (j.contains("objects")) objects(j["objects"], keyed(path, "objects"), &d.objects);
    if (!d.vexelOne && (j.contains("program") || j.contains("programTitles")))
      refuse(path, std::string(j.contains("program") ? "program" : "programTitles") +
                       " belongs only to an instrument named \"VexelOne\"");
    if (j.contains("program")) {
      d.program = whole(j["program"], keyed(path, "program"));
      if (d.program < 0 || d.program > 127) refuse(keyed(path, "program"), "lies outside 0..127");
    }
    if (j.contains("programTitles"))
      d.programTitles = programTitles(j["programTitles"], keyed(path, "programTitles"));
    return d;
  }

  // "programTitles": one object a program, its texts by attribute tag.
  static std::vector<std::map<int32, std::string>> programTitles(const Json& j,
                                                                 const std::string& where) {
    std::vector<std::map<int32, std::string>> programs;
    const Json& list = expectList(j, where);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string entry = indexed(where, i);
      const Json& titles = expectObject(list[i], entry);
      std::map<int32, std::string> byTag;
      for (auto it = titles.begin(); it != titles.end(); ++it)
        byTag[tagKey(it.key(), entry)] = text(it.value(), keyed(entry, it.key()));
      programs.push_back(std::move(byTag));
    }
    return programs;
  }

  int instrumentIndex(const std::string& wanted, const std::string& path) const {
    for (std::size_t i = 0; i < out_.instruments.size(); ++i) {
      if (out_.instruments[i].name == wanted) return static_cast<int>(i);
    }
    refuse(path, "no instrument named " + inQuotes(wanted) + " in \"instruments\"");
  }

  // A track: its own fields in the order below, then its channel's values, quick controls and,
  // for a folder, the tracks inside. The first fault found is the one reported.
  TrackDescription track(const Json& j, const std::string& path, int depth = 1) {
    if (depth > kMaxDepth) refuse(path, "folders nest deeper than " + std::to_string(kMaxDepth));
    expectObject(j, path);
    onlyKeys(j, path,
             {"name", "kind", "instrument", "selected", "tracks", "slot", "output", "eq", "values",
              "quickControls"});
    TrackDescription t;
    trackName(j, path, &t);
    trackKind(j, path, &t);
    keysOfKind(j, path, t);
    if (j.contains("instrument"))
      t.instrument = instrumentIndex(text(j["instrument"], keyed(path, "instrument")),
                                     keyed(path, "instrument"));
    if (j.contains("selected")) trackSelected(j["selected"], keyed(path, "selected"), &t);
    if (j.contains("slot")) t.slot = flag(j["slot"], keyed(path, "slot"));
    if (j.contains("output")) {
      t.hasOutput = true;
      t.output = text(j["output"], keyed(path, "output"));
    }
    t.equaliser = equaliserOf(j, path, t);
    if (j.contains("values")) channelValues(j["values"], keyed(path, "values"), &t);
    if (j.contains("quickControls"))
      quickControls(j["quickControls"], keyed(path, "quickControls"), &t);
    if (j.contains("tracks")) {
      const Json& list = expectList(j["tracks"], keyed(path, "tracks"));
      for (std::size_t i = 0; i < list.size(); ++i)
        t.tracks.push_back(track(list[i], indexed(keyed(path, "tracks"), i), depth + 1));
    }
    return t;
  }

  // "name": present and unique among every track of the project.
  void trackName(const Json& j, const std::string& path, TrackDescription* t) {
    if (!j.contains("name")) refuse(path, "name is missing");
    t->name = name(j["name"], keyed(path, "name"));
    if (!trackNames_.insert(t->name).second)
      refuse(keyed(path, "name"), "a track named " + inQuotes(t->name) + " is already there");
  }

  // "kind", and the channel name that kind gives (an unknown kind names its own channel).
  static void trackKind(const Json& j, const std::string& path, TrackDescription* t) {
    using Kind = TrackDescription::Kind;
    if (!j.contains("kind")) refuse(path, "kind is missing");
    const std::string kind = name(j["kind"], keyed(path, "kind"));
    t->kind = kind == "instrument" ? Kind::kInstrument
              : kind == "midi"     ? Kind::kMidi
              : kind == "audio"    ? Kind::kAudio
              : kind == "folder"   ? Kind::kFolder
                                   : Kind::kOther;
    t->channelName = t->kind == Kind::kInstrument ? "Synth"
                     : t->kind == Kind::kMidi     ? "MidiChannel"
                     : t->kind == Kind::kAudio    ? "AudioChannel"
                                                  : kind;
  }

  // Refuses the keys that only other kinds of track take.
  static void keysOfKind(const Json& j, const std::string& path, const TrackDescription& t) {
    using Kind = TrackDescription::Kind;
    auto only = [&](const char* key, bool allowed, const char* which) {
      if (j.contains(key) && !allowed) refuse(path, std::string(key) + " belongs only to " + which);
    };
    only("instrument", t.kind == Kind::kInstrument || t.kind == Kind::kMidi,
         "instrument and midi tracks");
    only("slot", t.kind == Kind::kInstrument, "instrument tracks");
    only("output", t.kind == Kind::kMidi, "midi tracks");
    only("tracks", t.kind == Kind::kFolder, "folder tracks");
    for (const char* key : {"eq", "values", "quickControls"})
      only(key, t.hasChannel(), "tracks with a mixer channel (not folders)");
  }

  // "selected": at most one track of the project.
  void trackSelected(const Json& j, const std::string& path, TrackDescription* t) {
    t->selected = flag(j, path);
    if (t->selected && selectedSeen_) refuse(path, "another track is selected already");
    selectedSeen_ = selectedSeen_ || t->selected;
  }

  // "eq", or the kind's default: a plug-in equaliser on every channel but a MIDI one's.
  static TrackDescription::Equaliser equaliserOf(const Json& j, const std::string& path,
                                                 const TrackDescription& t) {
    using Equaliser = TrackDescription::Equaliser;
    if (!j.contains("eq"))
      return t.isMidi() || !t.hasChannel() ? Equaliser::kNone : Equaliser::kPlugin;
    const std::string eq = text(j["eq"], keyed(path, "eq"));
    if (eq == "plugin") return Equaliser::kPlugin;
    if (eq == "object") return Equaliser::kObject;
    if (eq == "none") return Equaliser::kNone;
    refuse(keyed(path, "eq"), inQuotes(eq) + " is none of \"plugin\", \"object\", \"none\"");
  }

  // "values": fields over the defaults of values this track's channel has.
  static void channelValues(const Json& j, const std::string& where, TrackDescription* t) {
    const bool equaliser = t->equaliser != TrackDescription::Equaliser::kNone;
    const Json& values = expectObject(j, where);
    for (auto it = values.begin(); it != values.end(); ++it) {
      ValueSpec base;
      if (!ChannelDefaults::spec(it.key(), t->isMidi(), equaliser, &base))
        refuse(where, "this track's channel has no value " + inQuotes(it.key()));
      if (base.textOnly) refuse(where, inQuotes(it.key()) + " is a text and takes no value fields");
      t->values.emplace_back(it.key(), valueFields(it.value(), keyed(where, it.key()), base, nullptr));
    }
  }

  // "quickControls": up to eight, each an optional destination text plus value fields of its
  // QuickControlN, which "values" may not give as well.
  static void quickControls(const Json& j, const std::string& where, TrackDescription* t) {
    const bool midi = t->isMidi();
    const bool equaliser = t->equaliser != TrackDescription::Equaliser::kNone;
    const Json& list = expectList(j, where);
    if (list.size() > kMaxQuickControls) refuse(where, "holds more than 8 quick controls");
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string entry = indexed(where, i);
      const Json& control = expectObject(list[i], entry);
      const std::string number = std::to_string(i + 1);
      ValueSpec destination;
      ChannelDefaults::spec("QDestination" + number, midi, equaliser, &destination);
      Json fields = control;
      if (control.contains("destination")) {
        destination.text = text(control["destination"], keyed(entry, "destination"));
        fields.erase("destination");
      }
      t->values.emplace_back("QDestination" + number, destination);
      const std::string key = "QuickControl" + number;
      for (const auto& [given, spec] : t->values) {
        if (given == key && !fields.empty()) refuse(entry, key + " is given in \"values\" too");
      }
      if (!fields.empty()) {
        ValueSpec base;
        ChannelDefaults::spec(key, midi, equaliser, &base);
        t->values.emplace_back(key, valueFields(fields, entry, base, nullptr));
      }
    }
  }

  ProjectDescription out_;
  std::set<int32> ids_;  // parameter identifiers of the instrument being read
  std::set<std::string> trackNames_;
  bool selectedSeen_ = false;
};

// The line of byte `offset` (1-based).
std::size_t lineOf(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') ++line;
  }
  return line;
}

// "syntax error while parsing ..." from the library's message, without its prefix and position.
std::string syntaxMessage(const std::string& what) {
  std::string message = what;
  const std::size_t column = message.find("column ");
  const std::size_t colon =
      column == std::string::npos ? std::string::npos : message.find(": ", column);
  if (colon != std::string::npos) {
    message = message.substr(colon + 2);
  } else if (const std::size_t bracket = message.find("] "); bracket != std::string::npos) {
    message = message.substr(bracket + 2);
  }
  return message;
}

}  // namespace

bool ProjectDescription::parse(std::string_view text, const std::string& origin,
                               ProjectDescription* out, std::string* error) {
  Json root;
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    const std::size_t at = e.byte > 0 ? e.byte - 1 : 0;
    if (error)
      *error = origin + ":" + std::to_string(lineOf(text, at)) + ": " + syntaxMessage(e.what());
    return false;
  } catch (const Json::exception& e) {
    // A number beyond what a double holds is refused while reading, without a position.
    if (error) *error = origin + ": " + syntaxMessage(e.what());
    return false;
  }
  try {
    ProjectDescription read = Reader().read(root);
    if (out) *out = std::move(read);
  } catch (const Refusal& refusal) {
    if (error) *error = origin + ": " + refusal.message;
    return false;
  } catch (const Json::exception& e) {
    if (error) *error = origin + ": " + syntaxMessage(e.what());
    return false;
  }
  return true;
}

bool ProjectDescription::readFile(const std::string& path, ProjectDescription* out,
                                  std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0 || size > kMaxFileSize) {
    if (error) *error = path + ": is not a project description (too large)";
    return false;
  }
  file.seekg(0, std::ios::beg);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !file.read(text.data(), size)) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
  return parse(text, path, out, error);
}

}  // namespace QentSim
