#include "hostaccess/HostPaths.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/hostaccess/FakeHostTree.h"

namespace {

using Brennholt::findChannelValue;
using Brennholt::findInstrumentParameter;
using Brennholt::findPath;
using Brennholt::findSlotObject;
using Brennholt::findTrackInstrument;
using Brennholt::targetName;
using Brennholt::Test::FakeObject;
using Brennholt::Test::FakeTree;
using Brennholt::Test::FakeValue;

class HostPaths : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(tree.references, 0) << "a host reference was kept"; }

  FakeTree tree;
};

TEST_F(HostPaths, PathsNameExactlyOneObject) {
  FakeObject* track = tree.object("Track", tree.root);
  track->children.push_back(nullptr);  // a child the host cannot give is passed over
  FakeObject* slot = tree.object("Slot", track);
  FakeObject* instrument = tree.object("", slot);

  EXPECT_EQ(findPath(&tree, track, "Slot\\%BLANK%").get(), instrument);
  EXPECT_EQ(findPath(&tree, track, "\\Slot\\%BLANK%").get(), instrument);
  EXPECT_EQ(findPath(&tree, nullptr, "Track\\Slot").get(), slot);  // from the root
  EXPECT_EQ(findPath(&tree, track, "\\\\Slot").get(), nullptr);    // empty first component
  EXPECT_EQ(findPath(&tree, track, "").get(), nullptr);
  EXPECT_EQ(findPath(&tree, track, "slot").get(), nullptr);

  // Two objects of one name: the name alone is ambiguous, but only one of them has the rest.
  tree.object("Slot", track);
  EXPECT_EQ(findPath(&tree, track, "Slot").get(), nullptr);
  EXPECT_EQ(findPath(&tree, track, "Slot\\%BLANK%").get(), instrument);
}

TEST_F(HostPaths, ChannelValuesByIdentifier) {
  FakeObject* midi = tree.object("MidiChannel");
  FakeValue* pan = tree.value(midi, "pan");
  pan->tagNumber = 5;
  midi->tagTitles[5] = u"Pan";
  FakeObject* panner = tree.object("Panner", midi);
  tree.value(panner, "panX2");

  std::string name = "stale";
  EXPECT_EQ(findChannelValue(midi, 1, name).get(), pan);
  EXPECT_EQ(name, "Pan");
  EXPECT_EQ(findChannelValue(midi, 2, name).get(), nullptr);
  EXPECT_EQ(name, "");

  FakeObject* synth = tree.object("Synth");
  tree.object("Inserts", synth);
  FakeObject* stereo = tree.object("Panner", synth);
  FakeValue* panX = tree.value(stereo, "panX");
  panX->tagNumber = 2;
  stereo->tagTitles[2] = u"Pan Left-Right";
  FakeValue* volume = tree.value(synth, "volume");
  volume->tagNumber = 9;
  synth->tagTitles[9] = u"Volume";
  FakeObject* controls = tree.object("Quick Controls", synth);
  FakeValue* qc3 = tree.value(controls, "QuickControl3");
  FakeValue* qd8 = tree.value(controls, "QDestination8");

  EXPECT_EQ(findChannelValue(synth, 1, name).get(), panX);
  EXPECT_EQ(name, "Pan Left-Right");
  EXPECT_EQ(findChannelValue(synth, 0, name).get(), volume);
  EXPECT_EQ(name, "Volume");
  EXPECT_EQ(findChannelValue(synth, 6, name).get(), qc3);
  EXPECT_EQ(name, "QuickControl3");
  EXPECT_EQ(findChannelValue(synth, 19, name).get(), qd8);
  EXPECT_EQ(name, "QDestination8");
  EXPECT_EQ(findChannelValue(synth, 21, name).get(), nullptr);
  EXPECT_EQ(name, "");

  // The equaliser: the "Channel EQ" plug-in, else the "EQ" object.
  synth->hasPluginList = true;
  synth->plugins = {tree.object("Reverb"), tree.object("Channel EQ")};
  FakeValue* freq2 = tree.value(synth->plugins[1], "band2:freq");
  FakeValue* q4 = tree.value(synth->plugins[1], "band4:q");
  freq2->tagNumber = 3;
  synth->plugins[1]->tagTitles[3] = u"EQ 2 Freq.";
  EXPECT_EQ(findChannelValue(synth, 4132, name).get(), freq2);
  EXPECT_EQ(name, "EQ 2 Freq.");
  EXPECT_EQ(findChannelValue(synth, 4138, name).get(), q4);

  FakeObject* audio = tree.object("AudioChannel");
  FakeValue* on1 = tree.value(tree.object("EQ", audio), "band1:on");
  EXPECT_EQ(findChannelValue(audio, 4119, name).get(), on1);

  name = "kept";
  EXPECT_EQ(findChannelValue(nullptr, 0, name).get(), nullptr);
  EXPECT_EQ(name, "kept");
}

TEST_F(HostPaths, InstrumentParametersDepthFirst) {
  auto withList = [&](const char* name) {
    FakeObject* o = tree.object(name);
    o->hasParameterList = true;
    return o;
  };
  FakeObject* plugin = withList("Synth");
  FakeObject* osc = withList("Osc");
  FakeObject* env = withList("Env");
  FakeObject* filter = withList("Filter");
  plugin->parameters = {{1, tree.value(), u"Cutoff"}};
  plugin->subObjects = {osc, filter};
  osc->subObjects = {env};
  FakeValue* attack = tree.value();
  env->parameters = {{7, attack, u"Attack"}};
  filter->parameters = {{7, tree.value(), u"Drive"}};

  std::string name;
  EXPECT_EQ(findInstrumentParameter(plugin, 7, name).get(), attack);
  EXPECT_EQ(name, "Attack");
  EXPECT_EQ(findInstrumentParameter(plugin, 1, name).get(), plugin->parameters[0].value);
  EXPECT_EQ(name, "Cutoff");
  EXPECT_EQ(findInstrumentParameter(plugin, 8, name).get(), nullptr);
  EXPECT_EQ(name, "");
}

TEST_F(HostPaths, TrackInstrumentFromTheOutputText) {
  FakeObject* rack = tree.object("HOX Instruments", tree.object("HOX Mixer", tree.root));
  for (int i = 0; i < 12; ++i) {
    tree.object("", tree.object("Entry", rack))->title = i == 11 ? u"VexelOne" : u"Pads";
  }
  FakeObject* twelfth = rack->children[11]->children[0];
  FakeObject* second = rack->children[1]->children[0];
  FakeObject* midi = tree.object("MidiChannel");
  FakeValue* output = tree.value(midi, "output");

  auto found = [&](const char16_t* text) {
    output->text = text;
    return findTrackInstrument(&tree, midi, output, false).get();
  };
  EXPECT_EQ(found(u"12-  VexelOne"), twelfth);
  EXPECT_EQ(found(u"2 - Pads"), second);
  EXPECT_EQ(found(u"1-Pads"), nullptr);      // '-' at position 1
  EXPECT_EQ(found(u"00002-Pads"), nullptr);  // '-' at position 5
  EXPECT_EQ(found(u"0 - Pads"), nullptr);
  EXPECT_EQ(found(u"13 - Pads"), nullptr);    // past the rack
  EXPECT_EQ(found(u"2 - Strings"), nullptr);  // the entry holds another instrument
}

TEST_F(HostPaths, TrackInstrumentAndSlotInTheNewMixer) {
  FakeObject* midi = tree.object("MidiChannel");
  FakeObject* other = tree.object("MidiChannel");
  FakeObject* entries[2];
  FakeObject* instruments[2];
  for (int i = 0; i < 2; ++i) {
    entries[i] = tree.object("Rack", tree.instruments);
    instruments[i] = tree.object("", entries[i]);
    instruments[i]->isInstrument = true;
  }
  tree.object("Empty", tree.instruments);
  instruments[0]->connectedTo = {other};
  instruments[1]->connectedTo = {midi};

  EXPECT_EQ(findTrackInstrument(&tree, midi, nullptr, true).get(), instruments[1]);
  EXPECT_EQ(findSlotObject(&tree, midi, instruments[1], true).get(), entries[1]);
  EXPECT_EQ(findSlotObject(&tree, midi, instruments[0], true).get(), nullptr);

  // The old mixer has slots only on instrument channels.
  FakeObject* synth = tree.object("Synth");
  FakeObject* slot = tree.object("Slot", synth);
  EXPECT_EQ(findSlotObject(&tree, synth, nullptr, false).get(), slot);
  EXPECT_EQ(findSlotObject(&tree, midi, instruments[1], false).get(), nullptr);
}

TEST_F(HostPaths, TargetNames) {
  FakeObject* instrument = tree.object("");
  instrument->title = u"Vexel One";
  FakeObject* slot = tree.object("Slot");
  FakeValue* effect = tree.value(slot, "effectType");

  effect->text = u"Lead Synth 2";
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "LeadSynth2");
  effect->text = u"Caf\u00e9";
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "Other Track");
  effect->text = u"   ";
  EXPECT_EQ(targetName(nullptr, instrument, slot, true), "Other Track");
  EXPECT_EQ(targetName(nullptr, instrument, nullptr, false), "VexelOne");
  EXPECT_EQ(targetName(nullptr, instrument, nullptr, true), "Other Track");

  EXPECT_EQ(targetName(tree.object("AudioChannel"), nullptr, nullptr, false), "Audio Track");
  EXPECT_EQ(targetName(tree.object("MidiChannel"), nullptr, nullptr, false), "MIDI Track");
  EXPECT_EQ(targetName(tree.object("Synth"), nullptr, nullptr, false), "Other Track");
}

}  // namespace
