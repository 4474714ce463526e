#include "hostaccess/HostPaths.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/host/BareHost.h"
#include "sim/host/project/ProjectModel.h"
#include "sim/host/project/TreeValue.h"

namespace {

using Brennholt::findChannelValue;
using Brennholt::findInstrumentParameter;
using Brennholt::findPath;
using Brennholt::findSlotObject;
using Brennholt::findTrackInstrument;
using Brennholt::IPtr;
using Brennholt::targetName;
using Brennholt::Hox::IHostObject;
using QentSim::ProjectDescription;
using QentSim::TreeObject;
using QentSim::TreeValue;
using QentSim::ValueSpec;
using Role = QentSim::TreeObject::Role;

class HostPaths : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.treeReferences(), 0) << "a host reference was kept";
    EXPECT_EQ(host.kernelReferences(), 0) << "a host reference was kept";
  }

  // Objects and values of the host's kind in shapes of the test's own.
  TreeObject* object(const std::string& name, TreeObject* parent = nullptr,
                     Role role = Role::kPlain) {
    TreeObject* o = host.looseObject(name, {}, role);
    if (parent) parent->addChild(IPtr<TreeObject>::share(o));
    return o;
  }
  TreeValue* value(TreeObject* owner, const std::string& key, const std::string& title = {},
                   Brennholt::int32 tag = 0) {
    ValueSpec spec;
    spec.title = title;
    TreeValue* v = host.looseValue(spec, tag);
    owner->addMember(key, IPtr<TreeValue>::share(v));
    return v;
  }
  TreeValue* text(TreeObject* owner, const std::string& key) {
    ValueSpec spec;
    spec.textOnly = true;
    TreeValue* v = host.looseValue(spec);
    owner->addMember(key, IPtr<TreeValue>::share(v));
    return v;
  }
  void open(const char* json) {
    ProjectDescription project;
    std::string error;
    ASSERT_TRUE(ProjectDescription::parse(json, "test", &project, &error)) << error;
    host.openProject(project);
  }
  // Child `name` of `parent` in the open project (the first of that name).
  static TreeObject* child(const TreeObject* parent, const std::string& name) {
    for (const auto& c : parent->children()) {
      if (c->objectName() == name) return c.get();
    }
    ADD_FAILURE() << "no child " << name;
    return nullptr;
  }
  TreeObject* channel(int index) const { return host.project()->mixer()->children()[index].get(); }
  // A value of the open project that must be there.
  TreeValue* must(const std::string& object, const std::string& key) const {
    TreeValue* v = host.value(object, key);
    if (!v) ADD_FAILURE() << "no value " << object << " " << key;
    return v;
  }
  static IHostObject* asObject(TreeObject* o) { return o; }

  QentSim::BareHost host;
  Brennholt::Hox::IHostKernel* kernel = host.kernel();
};

TEST_F(HostPaths, PathsNameExactlyOneObject) {
  TreeObject* track = object("Track");
  TreeObject* slot = object("Slot", track);
  TreeObject* instrument = object("", slot);

  EXPECT_EQ(findPath(kernel, track, "Slot\\%BLANK%").get(), instrument);
  EXPECT_EQ(findPath(kernel, track, "\\Slot\\%BLANK%").get(), instrument);
  EXPECT_EQ(findPath(kernel, track, "\\\\Slot").get(), nullptr);  // empty first component
  EXPECT_EQ(findPath(kernel, track, "").get(), nullptr);
  EXPECT_EQ(findPath(kernel, track, "slot").get(), nullptr);

  // Two objects of one name: the name alone is ambiguous, but only one of them has the rest.
  object("Slot", track);
  EXPECT_EQ(findPath(kernel, track, "Slot").get(), nullptr);
  EXPECT_EQ(findPath(kernel, track, "Slot\\%BLANK%").get(), instrument);

  // From the root of the open project: two "Synth" channels, only one of them with a slot.
  open(R"({"tracks": [{"name": "Bare", "kind": "instrument", "slot": false},
                      {"name": "Lead", "kind": "instrument", "instrument": "Pads"}],
           "instruments": [{"name": "Pads"}]})");
  TreeObject* leadSlot = child(channel(1), "Slot");
  EXPECT_EQ(findPath(kernel, nullptr, "Mixer\\Synth\\Slot").get(), asObject(leadSlot));
  EXPECT_EQ(findPath(kernel, nullptr, "Mixer\\Synth").get(), nullptr);
  EXPECT_EQ(findPath(kernel, nullptr, "\\Mixer\\Synth\\Slot\\%BLANK%").get(),
            asObject(leadSlot->children()[0].get()));
}

TEST_F(HostPaths, ChannelValuesByIdentifier) {
  open(R"({"tracks": [{"name": "Seq", "kind": "midi"},
                      {"name": "Lead", "kind": "instrument"},
                      {"name": "Vox", "kind": "audio", "eq": "object"}]})");
  TreeObject* midi = channel(0);
  TreeObject* synth = channel(1);
  TreeObject* audio = channel(2);

  std::string name = "stale";
  EXPECT_EQ(findChannelValue(midi, 1, name).get(), must("track:Seq", "pan"));
  EXPECT_EQ(name, "Pan");
  EXPECT_EQ(findChannelValue(midi, 2, name).get(), nullptr);
  EXPECT_EQ(name, "");

  EXPECT_EQ(findChannelValue(synth, 1, name).get(), must("track:Lead", "panX"));
  EXPECT_EQ(name, "Pan Left-Right");
  EXPECT_EQ(findChannelValue(synth, 0, name).get(), must("track:Lead", "volume"));
  EXPECT_EQ(name, "Volume");
  EXPECT_EQ(findChannelValue(synth, 6, name).get(), must("qc:Lead", "QuickControl3"));
  EXPECT_EQ(name, "QuickControl3");
  EXPECT_EQ(findChannelValue(synth, 19, name).get(), must("qc:Lead", "QDestination8"));
  EXPECT_EQ(name, "QDestination8");
  EXPECT_EQ(findChannelValue(synth, 21, name).get(), nullptr);
  EXPECT_EQ(name, "");

  // The equaliser: the "Channel EQ" plug-in, else the "EQ" object.
  EXPECT_EQ(findChannelValue(synth, 4132, name).get(), must("eq:Lead", "band2:freq"));
  EXPECT_EQ(name, "EQ 2 Freq.");
  EXPECT_EQ(findChannelValue(synth, 4138, name).get(), must("eq:Lead", "band4:q"));
  EXPECT_EQ(findChannelValue(audio, 4119, name).get(), must("eq:Vox", "band1:on"));

  // A plug-in before the equaliser is passed over.
  TreeObject* group = object("Synth");
  group->enablePluginList();
  group->addPlugin(IPtr<TreeObject>::share(object("Reverb")));
  TreeObject* eq = object("Channel EQ");
  group->addPlugin(IPtr<TreeObject>::share(eq));
  TreeValue* freq2 = value(eq, "band2:freq", "EQ 2 Freq.", 3);
  EXPECT_EQ(findChannelValue(group, 4132, name).get(), freq2);
  EXPECT_EQ(name, "EQ 2 Freq.");

  name = "kept";
  EXPECT_EQ(findChannelValue(nullptr, 0, name).get(), nullptr);
  EXPECT_EQ(name, "kept");
}

TEST_F(HostPaths, InstrumentParametersDepthFirst) {
  // One identifier twice below the plug-in, which no project allows: the first depth first wins.
  TreeObject* plugin = object("Synth", nullptr, Role::kInstrument);
  TreeObject* osc = object("Osc");
  TreeObject* env = object("Env");
  TreeObject* filter = object("Filter");
  auto parameter = [&](TreeObject* owner, Brennholt::int32 id, const std::string& title) {
    ValueSpec spec;
    spec.title = title;
    TreeValue* v = host.looseValue(spec, id);
    owner->addParameter(id, IPtr<TreeValue>::share(v));
    return v;
  };
  TreeValue* cutoff = parameter(plugin, 1, "Cutoff");
  TreeValue* attack = parameter(env, 7, "Attack");
  parameter(filter, 7, "Drive");
  osc->addSubObject(IPtr<TreeObject>::share(env));
  plugin->addSubObject(IPtr<TreeObject>::share(osc));
  plugin->addSubObject(IPtr<TreeObject>::share(filter));

  std::string name;
  EXPECT_EQ(findInstrumentParameter(plugin, 7, name).get(), attack);
  EXPECT_EQ(name, "Attack");
  EXPECT_EQ(findInstrumentParameter(plugin, 1, name).get(), cutoff);
  EXPECT_EQ(name, "Cutoff");
  EXPECT_EQ(findInstrumentParameter(plugin, 8, name).get(), nullptr);
  EXPECT_EQ(name, "");
}

TEST_F(HostPaths, TrackInstrumentFromTheOutputText) {
  open(R"({"tracks": [{"name": "Seq", "kind": "midi"}],
           "instruments": [{"name": "Organ"}, {"name": "Pads"}, {"name": "I3"}, {"name": "I4"},
                           {"name": "I5"}, {"name": "I6"}, {"name": "I7"}, {"name": "I8"},
                           {"name": "I9"}, {"name": "I10"}, {"name": "I11"},
                           {"name": "VexelOne"}, {"name": "Strings"}]})");
  TreeObject* rack = host.project()->instrumentList();
  TreeObject* twelfth = rack->children()[11]->children()[0].get();
  TreeObject* second = rack->children()[1]->children()[0].get();
  TreeObject* midi = channel(0);
  TreeValue* output = must("track:Seq", "output");

  auto found = [&](const std::string& text) {
    output->setText(text);
    return findTrackInstrument(kernel, midi, output, false).get();
  };
  EXPECT_EQ(found("12-  VexelOne"), asObject(twelfth));
  EXPECT_EQ(found("2 - Pads"), asObject(second));
  EXPECT_EQ(found("1-Organ"), nullptr);     // '-' at position 1
  EXPECT_EQ(found("00002-Pads"), nullptr);  // '-' at position 5
  EXPECT_EQ(found("0 - Organ"), nullptr);
  EXPECT_EQ(found("14 - Pads"), nullptr);    // past the rack
  EXPECT_EQ(found("2 - Strings"), nullptr);  // the entry holds another instrument
}

TEST_F(HostPaths, TrackInstrumentAndSlotInTheNewMixer) {
  open(R"({"tracks": [{"name": "Seq", "kind": "midi", "instrument": "Mine"},
                      {"name": "Else", "kind": "midi", "instrument": "Other"},
                      {"name": "Lead", "kind": "instrument", "instrument": "Other"}],
           "instruments": [{"name": "Other"}, {"name": "Mine"}]})");
  TreeObject* midi = channel(0);
  TreeObject* list = host.project()->instrumentList();
  TreeObject* entries[2] = {list->children()[0].get(), list->children()[1].get()};
  TreeObject* instruments[2] = {entries[0]->children()[0].get(), entries[1]->children()[0].get()};
  list->addChild(IPtr<TreeObject>::share(host.looseObject("Empty", {}, Role::kRackEntry)));

  EXPECT_EQ(findTrackInstrument(kernel, midi, nullptr, true).get(), asObject(instruments[1]));
  EXPECT_EQ(findSlotObject(kernel, midi, instruments[1], true).get(), asObject(entries[1]));
  EXPECT_EQ(findSlotObject(kernel, midi, instruments[0], true).get(), nullptr);

  // The old mixer has slots only on instrument channels.
  TreeObject* synth = channel(2);
  EXPECT_EQ(findSlotObject(kernel, synth, nullptr, false).get(), asObject(child(synth, "Slot")));
  EXPECT_EQ(findSlotObject(kernel, midi, instruments[1], false).get(), nullptr);
}

TEST_F(HostPaths, TargetNames) {
  TreeObject* instrument = host.looseObject("", "Vexel One", Role::kInstrument);
  TreeObject* slot = object("Slot");
  TreeValue* effect = text(slot, "effectType");

  effect->setText("Lead Synth 2");
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "LeadSynth2");
  effect->setText("Caf\xC3\xA9");
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "Other Track");
  effect->setText("   ");
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "Other Track");
  EXPECT_EQ(targetName(nullptr, instrument, nullptr, false), "VexelOne");
  EXPECT_EQ(targetName(nullptr, instrument, nullptr, true), "Other Track");

  EXPECT_EQ(targetName(object("AudioChannel"), nullptr, nullptr, false), "Audio Track");
  EXPECT_EQ(targetName(object("MidiChannel"), nullptr, nullptr, false), "MIDI Track");
  EXPECT_EQ(targetName(object("Synth"), nullptr, nullptr, false), "Other Track");
}

}  // namespace
