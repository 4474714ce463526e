// The built-in project of `project demo` and `qentsim demo`: an instrument track selected, a
// MIDI track on a rack instrument, an audio track with its equaliser as an object, a folder,
// and a VexelOne whose parameter names follow its program.
#include "sim/host/project/ProjectDescription.h"

namespace QentSim {

std::string_view ProjectDescription::demoText() {
  return R"json({
  "tracks": [
    { "name": "Lead", "kind": "instrument", "instrument": "Lead Synth", "selected": true,
      "quickControls": [ { "destination": "Cutoff" }, { "destination": "Resonance" } ] },
    { "name": "Seq", "kind": "midi", "instrument": "Pads" },
    { "name": "Vox", "kind": "audio", "eq": "object",
      "values": { "band1:on": { "value": 1 }, "band2:gain": { "value": 3 } } },
    { "name": "Strings", "kind": "folder",
      "tracks": [ { "name": "Violin", "kind": "midi", "instrument": "Bow" } ] },
    { "name": "Keys", "kind": "instrument", "instrument": "VexelOne" }
  ],
  "instruments": [
    { "name": "Lead Synth", "effectType": "LeadSynth",
      "parameters": [
        { "id": 100, "title": "Cutoff", "min": 0, "max": 100, "value": 25, "default": 50,
          "format": "%.1f %%" },
        { "id": 101, "title": "Resonance", "min": 0, "max": 100, "value": 10, "format": "%.0f %%" },
        { "id": 102, "title": "Drive", "min": 0, "max": 10, "kind": 1, "format": "%.0f" },
        { "id": 103, "title": "Mode", "min": 0, "max": 2, "kind": 2,
          "texts": { "0": "Mono", "1": "Poly", "2": "Legato" } }
      ],
      "objects": [ { "name": "Env", "parameters": [
        { "id": 7, "title": "Attack", "min": 0, "max": 10, "kind": 1, "format": "%.0f ms" },
        { "id": 8, "title": "Release", "min": 0, "max": 10, "value": 4, "kind": 1,
          "format": "%.0f ms" } ] } ] },
    { "name": "Pads", "effectType": "PadBox",
      "parameters": [ { "id": 1, "title": "Brightness", "min": 0, "max": 100, "value": 60,
                        "format": "%.0f %%" } ] },
    { "name": "Bow" },
    { "name": "VexelOne", "program": 0,
      "parameters": [ { "id": 7, "title": "Macro 1", "min": 0, "max": 127, "kind": 1,
                        "format": "%.0f" } ],
      "programTitles": [ { "7": "Cutoff" }, { "7": "Bright" } ] }
  ],
  "translations": { "On": "Ein", "Off": "Aus" }
}
)json";
}

ProjectDescription ProjectDescription::demo() {
  ProjectDescription demo;
  std::string error;
  // The text above is checked by the tests; a refusal here would be a build fault.
  parse(demoText(), "demo", &demo, &error);
  return demo;
}

}  // namespace QentSim
