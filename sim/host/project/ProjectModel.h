// The open project as the host keeps it: the object tree built from a description, and the
// changes a user of the host makes to it.
//
// The tree, as the module sees it from the object tree service's root:
//   "Mixer"                    member "selected" (index of the selected channel, -1 for none);
//                              children: the channels in track order, depth first, no folders
//     channel                  named "Synth", "MidiChannel", "AudioChannel" or the kind's word;
//                              members "name", "volume" (MIDI also "pan", "output"); children
//                              "Panner" (not MIDI: "panX", "panX2", "stereoPanType"), "Quick
//                              Controls", "Slot" (instrument tracks: "effectType", child "" the
//                              instrument), "EQ" (equaliser as an object); or a "Channel EQ"
//                              plug-in in its insert list
//   "HOX Mixer"
//     "HOX Instruments"        the rack, also the root's instrument list: one entry per
//                              instrument ("effectType", child "" the instrument)
// The project object (IHostProject) holds the root and the track list, whose children are the
// top-level tracks; a folder's children are its tracks.
//
// Every change queues its notices with the registry; the caller delivers them at its next safe
// point. Host thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/host/project/DependencyRegistry.h"
#include "sim/host/project/HostLanguage.h"
#include "sim/host/project/ProjectDescription.h"
#include "sim/host/project/TreeObject.h"
#include "sim/host/project/TreeValue.h"

namespace QentSim {

class ProjectModel final : private ValueObserver {
 public:
  // Builds the tree; throws std::bad_alloc.
  ProjectModel(const ProjectDescription& description, std::shared_ptr<DependencyRegistry> registry,
               std::shared_ptr<const HostLanguage> language);
  ~ProjectModel();
  ProjectModel(const ProjectModel&) = delete;
  ProjectModel& operator=(const ProjectModel&) = delete;

  // What the project service reports as the active project (the project object's identity).
  Brennholt::FUnknown* activeProject() const { return project_->identity(); }
  TreeObject* root() const { return project_->root(); }
  TreeObject* instrumentList() const { return rack_; }
  TreeObject* mixer() const { return mixer_; }

  // ---- what a user does; false and the reason when the track, object or key does not exist ----
  // Selects the track (a folder too) and no other; the mixer's "selected" follows when the
  // track has a channel.
  bool select(const std::string& track, std::string* error);
  void selectNone();
  // OBJECT is "track:NAME" (the track's channel and panner: "volume", "pan", "panX", "panX2",
  // "stereoPanType", "name", "output"), "eq:NAME" ("band1:on".."band4:q"), "qc:NAME"
  // ("QuickControl1".."8", "QDestination1".."8"), "inst:NAME" (a parameter by decimal
  // identifier, its sub-objects' too, "bayProg", "writeEnable") or "Mixer" ("selected").
  TreeValue* findValue(const std::string& object, const std::string& key, std::string* error) const;
  // A plain value (clamped); text values refuse a number. "Mixer" "selected" selects the track
  // of that channel (-1: none).
  bool setValue(const std::string& object, const std::string& key, double value,
                std::string* error);
  // A text: text values take it as it stands, numbers the value it means.
  bool setValueText(const std::string& object, const std::string& key, const std::string& text,
                    std::string* error);
  // A MIDI track plays `instrument` now: its output text becomes "n - TITLE" and the
  // instruments' connections change (notices: "output", both rack entries).
  bool route(const std::string& track, const std::string& instrument, std::string* error);
  // The track (with a folder's tracks) and its channel leave the tree: going-away notices for
  // each of their objects and values, then changes of the mixer, the track list, the rack
  // entries that played them and, when it moves, "selected".
  bool remove(const std::string& track, std::string* error);
  // Going-away notices for every object and value of the project, as it closes.
  void goingAway();

 private:
  struct Track {
    std::string name;
    TrackDescription::Kind kind = TrackDescription::Kind::kAudio;
    TreeObject* object = nullptr;   // held by its parent list
    TreeObject* channel = nullptr;  // held by the mixer and the track; null for a folder
    TreeObject* panner = nullptr;
    TreeObject* quickControls = nullptr;
    TreeObject* equaliser = nullptr;
    TreeObject* parentList = nullptr;  // the track list or the folder's track object
    int instrument = -1;
  };
  struct Instrument {
    std::string name;
    TreeObject* object = nullptr;
    TreeObject* entry = nullptr;
  };

  void moduleWrote(TreeValue& value) noexcept override;

  Brennholt::IPtr<TreeValue> makeValue(ValueSpec spec, Brennholt::int32 tag) const;
  void buildInstrument(const InstrumentDescription& d);
  void buildParameters(TreeObject* owner, const std::vector<ParameterDescription>& parameters);
  void buildObjects(TreeObject* owner, const std::vector<ObjectDescription>& objects);
  void buildTrack(const TrackDescription& d, TreeObject* parentList);
  void buildChannel(const TrackDescription& d, Track* track);
  std::string outputText(int instrument) const;

  Track* track(const std::string& name, std::string* error) const;
  const Instrument* instrument(const std::string& name, std::string* error) const;
  int channelIndex(const TreeObject* channel) const;
  // Marks `chosen` (or none) selected, every other track not; notices for those that changed.
  void markSelected(const Track* chosen) noexcept;
  void showSelected(int index);

  std::shared_ptr<DependencyRegistry> registry_;
  std::shared_ptr<const HostLanguage> language_;
  Brennholt::IPtr<TreeObject> project_;  // the host's one handle on the tree
  TreeObject* mixer_ = nullptr;
  TreeValue* selected_ = nullptr;
  TreeObject* rack_ = nullptr;
  std::vector<std::unique_ptr<Track>> tracks_;  // depth first, in track order
  std::vector<Instrument> instruments_;
};

}  // namespace QentSim
