// A project as a JSON description: its tracks, instruments and translations, read and checked
// in full before the host builds anything from it. README.md documents the format.
//
// Every value comes out resolved: the defaults of its place (ChannelDefaults, or min 0, max 1,
// "%.2f" for instrument parameters) with what the description gives laid over them.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Types.h"
#include "sim/host/project/ValueSpec.h"

namespace QentSim {

struct ParameterDescription {
  Brennholt::int32 id = 0;
  ValueSpec spec;
};

// A sub-object of an instrument, with parameters (and sub-objects) of its own.
struct ObjectDescription {
  std::string name;
  std::vector<ParameterDescription> parameters;
  std::vector<ObjectDescription> objects;
};

struct InstrumentDescription {
  std::string name;        // also its title
  std::string effectType;  // the text its slot and rack entry show; default: the name
  std::vector<ParameterDescription> parameters;
  std::vector<ObjectDescription> objects;
  bool vexelOne = false;  // titled "VexelOne": "bayProg" and the "0" object
  Brennholt::int32 program = 0;
  std::vector<std::map<Brennholt::int32, std::string>> programTitles;  // by program, by tag
};

struct TrackDescription {
  enum class Kind { kInstrument, kMidi, kAudio, kFolder, kOther };
  enum class Equaliser { kPlugin, kObject, kNone };

  std::string name;
  Kind kind = Kind::kAudio;
  std::string channelName;  // "Synth", "MidiChannel", "AudioChannel" or the kind's word
  int instrument = -1;      // index in ProjectDescription::instruments; -1 for none
  bool selected = false;
  bool slot = true;  // instrument tracks: the channel has "Slot"
  bool hasOutput = false;
  std::string output;  // MIDI tracks: the output text when it is not the instrument's
  Equaliser equaliser = Equaliser::kNone;
  // Channel values that differ from ChannelDefaults, resolved, by key.
  std::vector<std::pair<std::string, ValueSpec>> values;
  std::vector<TrackDescription> tracks;  // a folder's tracks

  bool hasChannel() const { return kind != Kind::kFolder; }
  bool isMidi() const { return kind == Kind::kMidi; }
};

struct ProjectDescription {
  std::vector<TrackDescription> tracks;
  std::vector<InstrumentDescription> instruments;
  std::vector<std::pair<std::string, std::string>> translations;

  // Reads a description. On refusal *error names `origin` and the line (syntax) or the key
  // (content) and what is wrong: "FILE:3: syntax error ...", "FILE: tracks[1].instrument: no
  // instrument named \"Padz\"". *out is only written on success.
  static bool parse(std::string_view text, const std::string& origin, ProjectDescription* out,
                    std::string* error);
  // Reads the file at `path` (at most 16 MiB) and parses it with the path as origin.
  static bool readFile(const std::string& path, ProjectDescription* out, std::string* error);
  // The built-in demonstration project.
  static ProjectDescription demo();
  static std::string_view demoText();
};

}  // namespace QentSim
