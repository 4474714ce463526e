// The simulated host's project as the module meets it: the tree through the host interfaces,
// with the kernel the stand-in module was given, the notices the host delivers, the value
// texts, the user's changes and the command catalogue. The test plays the module's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sdk/host/CommandServices.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"
#include "sdk/host/HostServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/HostText.h"
#include "sim/host/SimHost.h"
#include "tests/support/ArtifactPath.h"

using namespace QentSim;
using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

const char kProject[] = R"({
  "tracks": [
    { "name": "Lead", "kind": "instrument", "instrument": "Lead Synth", "selected": true,
      "quickControls": [ { "destination": "Cutoff", "value": 0.5 } ] },
    { "name": "Seq", "kind": "midi", "instrument": "Pads" },
    { "name": "Vox", "kind": "audio", "eq": "object" },
    { "name": "Strings", "kind": "folder",
      "tracks": [ { "name": "Violin", "kind": "midi", "instrument": "Bow" } ] },
    { "name": "Bare", "kind": "instrument", "slot": false },
    { "name": "Bus", "kind": "Group" }
  ],
  "instruments": [
    { "name": "Lead Synth", "effectType": "LeadSynth",
      "parameters": [ { "id": 100, "title": "Cutoff", "min": 0, "max": 100, "value": 25,
                        "default": 50, "format": "%.1f %%" } ],
      "objects": [ { "name": "Env", "parameters": [ { "id": 7, "title": "Attack", "max": 10 } ] } ] },
    { "name": "Pads" }, { "name": "Bow" },
    { "name": "VexelOne", "program": 1, "parameters": [ { "id": 7 } ],
      "programTitles": [ { "7": "Cutoff" }, { "7": "Bright" } ] }
  ],
  "translations": { "On": "Ein" }
})";

std::string title(IHostObject* object) {
  char16 buffer[300];
  object->getTitle(buffer, 300);
  return toUtf8(buffer);
}

std::string text(IHostValue* value) {
  char16 buffer[300];
  value->getText(buffer, 300);
  return toUtf8(buffer);
}

IPtr<IHostObject> child(IHostObject* object, int32 index) {
  IPtr<IHostObject> out;
  if (object == nullptr || object->getChild(index, out.put()) != kResultOk) out.reset();
  return out;
}

// The first child of that name at each level of a "\"-separated path.
IPtr<IHostObject> walk(IHostObject* start, const std::string& path) {
  IPtr<IHostObject> at = IPtr<IHostObject>::share(start);
  std::size_t from = 0;
  while (at && from <= path.size()) {
    const std::size_t end = std::min(path.find('\\', from), path.size());
    const std::string name = path.substr(from, end - from);
    IPtr<IHostObject> next;
    for (int32 i = 0; i < at->childCount() && !next; ++i) {
      IPtr<IHostObject> c = child(at.get(), i);
      if (c && name == c->name()) next = c;
    }
    at = next;
    from = end + 1;
  }
  return at;
}

IPtr<IHostValue> member(IHostObject* object, const char* key) {
  IPtr<IHostValue> out;
  if (object == nullptr || object->getMember(key, out.put()) != kResultOk) out.reset();
  return out;
}

std::vector<std::string> childNames(IHostObject* object) {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(object->childCount()));
  for (int32 i = 0; i < object->childCount(); ++i) names.emplace_back(child(object, i)->name());
  return names;
}

// What the module would be: a dependent and an idle handler that log what reaches them, and
// notice when the host calls one while the other runs.
class Watcher final : public HostObject<IDependent, IIdleHandler> {
 public:
  std::vector<std::string> log;
  std::vector<std::pair<FUnknown*, std::string>> names;  // what to call a notified object
  std::function<void()> onIdleDo;
  std::function<void(FUnknown*, int32)> onUpdateDo;

  void update(FUnknown* changed, int32 message) noexcept override {
    enter();
    std::string name = "?";
    for (const auto& [object, called] : names) {
      if (object == changed) name = called;
    }
    log.push_back(name + " " + std::to_string(message));
    if (onUpdateDo) onUpdateDo(changed, message);
    leave();
  }
  void onIdle() noexcept override {
    enter();
    log.emplace_back("idle");
    if (onIdleDo) onIdleDo();
    log.emplace_back("idle end");
    leave();
  }

 private:
  void enter() {
    if (busy_) log.emplace_back("REENTERED");
    busy_ = true;
  }
  void leave() { busy_ = false; }
  bool busy_ = false;
};

class Handler final : public HostObject<IActionHandler> {
 public:
  std::vector<std::string> calls;
  tresult onAction(const char16* category, const char16* name, int32 queryOnly) noexcept override {
    calls.push_back(toUtf8(category) + "/" + toUtf8(name) + (queryOnly ? " query" : " run"));
    return toUtf8(name) == "All EQs On" ? 0 : 1;
  }
};

class ProjectTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = QentTest::testFilePath("StubRemoteModule.hox3");
    module_ = Platform::loadModule(path.c_str());
    ASSERT_NE(module_, nullptr);
    kernelOf_ = reinterpret_cast<IHostKernel* (*)()>(Platform::findExport(module_, "stubKernel"));
    ASSERT_NE(kernelOf_, nullptr);
    host.setModulePath(path);
    ProjectDescription project;
    std::string error;
    ASSERT_TRUE(ProjectDescription::parse(kProject, "test", &project, &error)) << error;
    host.openProject(project);
  }
  void TearDown() override {
    host.stop();
    watcher->release();
    if (module_) Platform::unloadModule(module_);
  }
  void start() {
    std::string error;
    ASSERT_TRUE(host.start(&error)) << error;
    kernel = kernelOf_();
    ASSERT_NE(kernel, nullptr);
    tree = getService<IObjectTreeService>(kernel);
    dependencies = getService<IDependencyService>(kernel);
    ASSERT_TRUE(tree && dependencies);
    ASSERT_EQ(tree->getRoot(root.put()), kResultOk);
  }
  IPtr<IHostObject> channel(int32 index) { return child(walk(root.get(), "Mixer").get(), index); }
  // Watches `object` under `name` in the log.
  void watch(FUnknown* object, const std::string& name) {
    watcher->names.emplace_back(object, name);
    ASSERT_EQ(dependencies->addDependent(object, watcher), kResultOk);
  }

  SimHost host;
  IHostKernel* kernel = nullptr;
  IPtr<IObjectTreeService> tree;
  IPtr<IDependencyService> dependencies;
  IPtr<IHostObject> root;
  Watcher* watcher = new Watcher;

 private:
  Platform::ModuleHandle module_ = nullptr;
  IHostKernel* (*kernelOf_)() = nullptr;
};

TEST_F(ProjectTreeTest, MixerChannelsCarryTheirKindsMembersAndEqualisers) {
  start();
  EXPECT_EQ(childNames(root.get()), (std::vector<std::string>{"Mixer", "HOX Mixer"}));
  IPtr<IHostObject> mixer = walk(root.get(), "Mixer");
  // Track order, depth first, without the folder.
  EXPECT_EQ(childNames(mixer.get()),
            (std::vector<std::string>{"Synth", "MidiChannel", "AudioChannel", "MidiChannel",
                                      "Synth", "Group"}));
  EXPECT_EQ(member(mixer.get(), "selected")->intValue(), 0);

  IPtr<IHostObject> lead = channel(0);
  IPtr<IHostValue> name = member(lead.get(), "name");
  EXPECT_EQ(text(name.get()), "Lead");
  EXPECT_FALSE(queryInterface<IHostParameter>(name.get()));  // a text only
  EXPECT_EQ(text(member(walk(lead.get(), "Slot").get(), "effectType").get()), "LeadSynth");
  EXPECT_EQ(title(walk(lead.get(), "Slot\\").get()), "Lead Synth");
  EXPECT_FALSE(walk(channel(4).get(), "Slot"));  // "slot": false
  // The volume's title through its tag, from the channel.
  char16 buffer[64];
  IPtr<IHostValue> volume = member(lead.get(), "volume");
  ASSERT_EQ(lead->getTagTitle(volume->tag(), buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Volume");
  EXPECT_EQ(text(volume.get()), "0.0 dB");
  EXPECT_TRUE(member(walk(lead.get(), "Panner").get(), "panX"));
  IPtr<IHostObject> controls = walk(lead.get(), "Quick Controls");
  EXPECT_EQ(text(member(controls.get(), "QDestination1").get()), "Cutoff");
  EXPECT_EQ(text(member(controls.get(), "QDestination2").get()), "");
  double normalized = 0;
  EXPECT_EQ(queryInterface<IHostParameter>(member(controls.get(), "QuickControl1").get())
                ->getNormalized(&normalized),
            kResultOk);
  EXPECT_EQ(normalized, 0.5);

  // The equaliser: a "Channel EQ" plug-in by default, an "EQ" object when asked, none on MIDI.
  IPtr<IHostPluginList> plugins = queryInterface<IHostPluginList>(lead.get());
  ASSERT_TRUE(plugins);
  ASSERT_EQ(plugins->pluginCount(), 1);
  IPtr<IHostObject> eq;
  ASSERT_EQ(plugins->getPlugin(0, eq.put()), kResultOk);
  EXPECT_STREQ(eq->name(), "Channel EQ");
  IPtr<IHostValue> frequency = member(eq.get(), "band1:freq");
  EXPECT_EQ(text(frequency.get()), "100.0 Hz");
  ASSERT_EQ(eq->getTagTitle(frequency->tag(), buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "EQ 1 Freq.");
  IPtr<IHostObject> vox = channel(2);
  EXPECT_FALSE(queryInterface<IHostPluginList>(vox.get()));
  EXPECT_TRUE(member(walk(vox.get(), "EQ").get(), "band4:q"));
  IPtr<IHostObject> seq = channel(1);
  EXPECT_FALSE(queryInterface<IHostPluginList>(seq.get()));
  EXPECT_FALSE(walk(seq.get(), "EQ"));
  EXPECT_TRUE(member(seq.get(), "pan"));
  EXPECT_FALSE(walk(seq.get(), "Panner"));
}

TEST_F(ProjectTreeTest, InstrumentsAreFoundByOutputTextAndByConnection) {
  start();
  IPtr<IHostObject> seq = channel(1);
  IPtr<IHostObject> violin = channel(3);
  EXPECT_EQ(text(member(seq.get(), "output").get()), "2 - Pads");
  EXPECT_EQ(text(member(violin.get(), "output").get()), "3 - Bow");
  // The rack by path, as the older mixer model reads "n - TITLE".
  IPtr<IHostObject> rack = walk(root.get(), "HOX Mixer\\HOX Instruments");
  ASSERT_TRUE(rack);
  EXPECT_EQ(rack->childCount(), 4);
  IPtr<IHostObject> pads = walk(child(rack.get(), 1).get(), "");
  EXPECT_EQ(title(pads.get()), "Pads");
  // The instrument list, as the newer model asks each entry's first child for its channel.
  IPtr<IHostObject> list;
  ASSERT_EQ(tree->getInstrumentList(list.put()), kResultOk);
  EXPECT_EQ(list.get(), rack.get());
  auto connected = [&](int32 entry, IHostObject* to) {
    IPtr<IHostObject> first = child(child(list.get(), entry).get(), 0);
    return queryInterface<IHostInstrument>(first.get())->isConnectedTo(to) == kResultOk;
  };
  EXPECT_TRUE(connected(1, seq.get()));
  EXPECT_FALSE(connected(1, violin.get()));
  EXPECT_TRUE(connected(2, violin.get()));
  EXPECT_TRUE(connected(0, channel(0).get()));
  // One instrument object, in its slot and in the rack.
  EXPECT_EQ(walk(channel(0).get(), "Slot\\").get(), child(child(rack.get(), 0).get(), 0).get());

  // Parameters: the instrument's own, then its sub-objects'.
  IPtr<IHostParameterList> params =
      queryInterface<IHostParameterList>(child(child(rack.get(), 0).get(), 0).get());
  ASSERT_TRUE(params);
  ASSERT_EQ(params->parameterCount(), 1);
  EXPECT_EQ(params->parameterId(0), 100);
  IPtr<IHostValue> cutoff;
  ASSERT_EQ(params->getParameter(100, cutoff.put()), kResultOk);
  EXPECT_EQ(text(cutoff.get()), "25.0 %");
  double value = 0;
  EXPECT_EQ(queryInterface<IHostParameter>(cutoff.get())->getDefault(&value), kResultOk);
  EXPECT_EQ(value, 50);
  IPtr<IHostObject> env;
  ASSERT_EQ(params->getSubObject(0, env.put()), kResultOk);
  char16 buffer[64];
  ASSERT_EQ(queryInterface<IHostParameterList>(env.get())->getParameterTitle(7, buffer, 64),
            kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Attack");
  // VexelOne: "bayProg" and the "0" object's titles for the current program.
  IPtr<IHostObject> vexel = child(child(rack.get(), 3).get(), 0);
  EXPECT_EQ(member(vexel.get(), "bayProg")->intValue(), 1);
  ASSERT_EQ(walk(vexel.get(), "0")->getTagTitle(7, buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Bright");

  // The project's tracks, with their selection and channels.
  IPtr<IProjectService> projects = getService<IProjectService>(kernel);
  IPtr<IHostProject> project = queryInterface<IHostProject>(projects->activeProject());
  ASSERT_TRUE(project);
  IPtr<IHostObject> tracks;
  ASSERT_EQ(project->getTrackList(tracks.put()), kResultOk);
  EXPECT_EQ(childNames(tracks.get()),
            (std::vector<std::string>{"Lead", "Seq", "Vox", "Strings", "Bare", "Bus"}));
  EXPECT_EQ(child(tracks.get(), 0)->isClass("track"), kResultOk);
  EXPECT_EQ(queryInterface<IHostTrack>(child(tracks.get(), 0).get())->selectedState(), 1);
  IPtr<IHostObject> folder = child(tracks.get(), 3);
  IPtr<IHostObject> none;
  EXPECT_EQ(queryInterface<IHostTrack>(folder.get())->getChannel(none.put()), kResultFalse);
  IPtr<IHostObject> violinsChannel;
  ASSERT_EQ(
      queryInterface<IHostTrack>(child(folder.get(), 0).get())->getChannel(violinsChannel.put()),
      kResultOk);
  EXPECT_EQ(violinsChannel.get(), violin.get());
}

TEST_F(ProjectTreeTest, NoticesWaitForASafePointAndAllArriveBeforeTheNextIdle) {
  start();
  IPtr<IHostValue> volume = member(channel(0).get(), "volume");
  IPtr<IHostValue> pan = member(walk(channel(0).get(), "Panner").get(), "panX");
  IPtr<IHostParameter> volumeParameter = queryInterface<IHostParameter>(volume.get());
  IPtr<IHostParameter> panParameter = queryInterface<IHostParameter>(pan.get());
  watch(volume.get(), "volume");
  watch(pan.get(), "pan");
  // The module's reaction to a volume change moves the pan: a cascade.
  watcher->onUpdateDo = [&](FUnknown* changed, int32 message) {
    if (changed == volume.get() && message == IDependent::kChanged)
      panParameter->setPlainValue(panParameter->plainValue() + 0.25, 1);
  };
  std::string error;
  ASSERT_TRUE(host.setValue("track:Lead", "volume", -6, &error)) << error;
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"volume 1", "pan 1"}));

  // Writes inside an idle call are told after it, in order, cascade included, before the
  // next idle; a write without notify tells nobody; a watch removed before delivery hears
  // nothing.
  ASSERT_EQ(getService<IIdleService>(kernel)->addIdleHandler(watcher), kResultOk);
  watcher->log.clear();
  int round = 0;
  watcher->onIdleDo = [&] {
    if (++round != 1) return;
    panParameter->setPlainValue(-0.5, 1);
    volumeParameter->setPlainValue(-12, 1);
    volumeParameter->setPlainValue(-13, 0);
  };
  host.idleRound();
  host.idleRound();
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"idle", "idle end", "pan 1", "volume 1",
                                                    "pan 1", "idle", "idle end"}));
  watcher->log.clear();
  round = 0;
  watcher->onIdleDo = [&] {
    if (++round == 1) {
      volumeParameter->setPlainValue(-20, 1);
      dependencies->removeDependent(volume.get(), watcher);
    }
  };
  host.idleRound();
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"idle", "idle end"}));
  EXPECT_EQ(host.dependentCount(), 1);
  ASSERT_EQ(getService<IIdleService>(kernel)->removeIdleHandler(watcher), kResultOk);

  // The track goes: its values are going away; the module drops its watch when told.
  watcher->onUpdateDo = [&](FUnknown* changed, int32 message) {
    if (message == IDependent::kGoingAway) dependencies->removeDependent(changed, watcher);
  };
  watcher->log.clear();
  ASSERT_TRUE(host.removeTrack("Lead", &error)) << error;
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"pan 2"}));
  EXPECT_EQ(host.dependentCount(), 0);
  EXPECT_FALSE(host.setValue("track:Lead", "volume", 0, &error));
  EXPECT_EQ(error, "no track \"Lead\"");
  // A value the module still holds outlives its channel, and no longer leads to it.
  IPtr<IHostObject> owner;
  EXPECT_EQ(volume->getOwner(owner.put()), kResultFalse);
  EXPECT_FALSE(owner);
  EXPECT_EQ(text(volume.get()), "-20.0 dB");
}

TEST_F(ProjectTreeTest, TextsFollowTheValuesRulesAndTheHostsLanguage) {
  host.setLanguage("de");
  start();
  std::string error;
  ValueReading reading;
  auto shown = [&](const std::string& object, const std::string& key) {
    EXPECT_TRUE(host.readValue(object, key, &reading, &error)) << error;
    return reading.shown;
  };
  // An exact text, a number at the text's start, clamped; a text that means nothing.
  ASSERT_TRUE(host.setValueText("track:Lead", "volume", "-\u221E", &error)) << error;
  ASSERT_TRUE(host.readValue("track:Lead", "volume", &reading, &error));
  EXPECT_EQ(reading.plain, -60);
  EXPECT_EQ(reading.shown, "-\u221E");
  ASSERT_TRUE(host.setValueText("track:Lead", "volume", " 3.5 dB", &error)) << error;
  EXPECT_EQ(shown("track:Lead", "volume"), "3.5 dB");
  ASSERT_TRUE(host.setValueText("track:Lead", "volume", "99", &error));
  EXPECT_EQ(shown("track:Lead", "volume"), "6.0 dB");
  EXPECT_FALSE(host.setValueText("track:Lead", "volume", "loud", &error));
  EXPECT_EQ(error, "\"loud\" means nothing to \"volume\" of track:Lead");
  // Text values take the text as it stands and refuse a number.
  ASSERT_TRUE(host.setValueText("track:Seq", "output", "12-  VexelOne", &error));
  EXPECT_EQ(shown("track:Seq", "output"), "12-  VexelOne");
  EXPECT_FALSE(host.setValue("qc:Lead", "QDestination1", 3, &error));
  // The host's own words in its language, understood as shown; a user's texts as written.
  EXPECT_EQ(shown("eq:Lead", "band1:on"), "Aus");
  ASSERT_TRUE(host.setValueText("eq:Lead", "band1:on", "Ein", &error)) << error;
  EXPECT_EQ(shown("eq:Lead", "band1:on"), "Ein");
  EXPECT_EQ(shown("inst:Lead Synth", "100"), "25.0 %");
  // The module sets a frequency by its text.
  IPtr<IHostValue> frequency = member(walk(channel(2).get(), "EQ").get(), "band1:freq");
  ASSERT_EQ(queryInterface<IHostParameter>(frequency.get())->setFromText(u"100.1 Hz", 1),
            kResultOk);
  EXPECT_EQ(shown("eq:Vox", "band1:freq"), "100.1 Hz");

  // The translator: the project's words over the built-in German ones; none for the unknown.
  IPtr<ITranslator> translator = getService<ITranslator>(kernel);
  char16 buffer[64];
  ASSERT_EQ(translator->translate(u"Volume", buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Lautst\u00E4rke");
  EXPECT_EQ(translator->translate(u"Nonsense", buffer, 64), kResultFalse);
  EXPECT_EQ(toUtf8(buffer), "");
  host.setLanguage("US");
  ASSERT_EQ(translator->translate(u"Nonsense", buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Nonsense");
  ASSERT_EQ(translator->getLanguage(buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "US");
}

TEST_F(ProjectTreeTest, RoutingRemovalAndWhatTheModuleLeavesBehind) {
  start();
  IPtr<IHostObject> rack = walk(root.get(), "HOX Mixer\\HOX Instruments");
  IPtr<IHostValue> output = member(channel(1).get(), "output");
  IPtr<IHostValue> selected = member(walk(root.get(), "Mixer").get(), "selected");
  watch(output.get(), "output");
  watch(child(rack.get(), 1).get(), "Pads");
  watch(child(rack.get(), 2).get(), "Bow");
  watch(walk(root.get(), "Mixer").get(), "Mixer");
  watch(selected.get(), "selected");
  std::string error;
  ASSERT_TRUE(host.routeTrack("Seq", "Bow", &error)) << error;
  EXPECT_EQ(text(output.get()), "3 - Bow");
  IPtr<IHostObject> seq = channel(1);
  EXPECT_EQ(queryInterface<IHostInstrument>(child(rack.get(), 2).get())->isConnectedTo(seq.get()),
            kResultOk);
  EXPECT_EQ(queryInterface<IHostInstrument>(child(rack.get(), 1).get())->isConnectedTo(seq.get()),
            kResultFalse);
  EXPECT_FALSE(host.routeTrack("Vox", "Bow", &error));
  EXPECT_EQ(error, "track \"Vox\" is not a MIDI track");

  // Vox is channel 2; removing Seq before it moves the selection to 1.
  ASSERT_TRUE(host.selectTrack("Vox", &error)) << error;
  watcher->log.clear();
  ASSERT_TRUE(host.removeTrack("Seq", &error)) << error;
  EXPECT_EQ(watcher->log, (std::vector<std::string>{"output 2", "Mixer 1", "Bow 1", "selected 1"}));
  EXPECT_EQ(selected->intValue(), 1);
  ASSERT_TRUE(host.removeTrack("Strings", &error)) << error;
  EXPECT_EQ(childNames(walk(root.get(), "Mixer").get()),
            (std::vector<std::string>{"Synth", "AudioChannel", "Synth", "Group"}));
  EXPECT_EQ(queryInterface<IHostInstrument>(child(rack.get(), 2).get())->isConnectedTo(seq.get()),
            kResultFalse);

  // What the module still holds and watches when the host stops is reported.
  EXPECT_EQ(host.dependentCount(), 5);
  dependencies->removeDependent(child(rack.get(), 1).get(), watcher);
  dependencies->removeDependent(child(rack.get(), 2).get(), watcher);
  dependencies->removeDependent(walk(root.get(), "Mixer").get(), watcher);
  dependencies->removeDependent(selected.get(), watcher);
  rack.reset();
  selected.reset();
  root.reset();
  tree.reset();
  dependencies.reset();
  // The test holds the removed channel and the output value (the channel holds it too: one
  // reference of the module's each), and the watch on the output.
  EXPECT_EQ(host.heldReferences(), 2);
  host.stop();
  EXPECT_EQ(host.leftBehind(), "1 dependent and 2 references to host objects");
  output.reset();
  seq.reset();
}

TEST_F(ProjectTreeTest, CatalogueRunsTheModulesCommandsThroughItsHandlerAndKeepsQueriesApart) {
  start();
  IPtr<ICommandCatalogue> catalogue = getService<ICommandCatalogue>(kernel);
  IPtr<ICommandCategoryList> categories = getService<ICommandCategoryList>(kernel);
  ASSERT_TRUE(catalogue && categories);
  IPtr<Handler> handler = IPtr<Handler>::adopt(new Handler);
  ASSERT_EQ(catalogue->registerCommand(u"QENT6/QENT8", u"All EQs On"), kResultOk);
  EXPECT_EQ(catalogue->registerCommand(u"QENT6/QENT8", u"All EQs On"), kResultFalse);
  ASSERT_EQ(catalogue->addActionHandler(handler.get()), kResultOk);
  const int32 qent = catalogue->categoryIndex(u"QENT6/QENT8");
  ASSERT_GE(qent, 0);
  EXPECT_GE(catalogue->commandIndex(qent, u"QENT6/QENT8 Extension Setup"), 0);
  EXPECT_GE(catalogue->commandIndex(qent, u"All EQs On"), 0);
  char16 buffer[64];
  ASSERT_EQ(categories->getCategoryName(categories->categoryCount() - 1, buffer, 64), kResultOk);
  EXPECT_EQ(toUtf8(buffer), "Zoom");

  EXPECT_TRUE(host.query("QENT6/QENT8", "All EQs On"));
  std::int32_t answer = -1;
  ASSERT_TRUE(host.lastAnswer(&answer));
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(host.executedCommands().empty());
  // The setup panel's command is in the module's category: it reaches the handler too.
  EXPECT_TRUE(host.command("QENT6/QENT8", "QENT6/QENT8 Extension Setup"));
  ASSERT_TRUE(host.lastAnswer(&answer));
  EXPECT_EQ(answer, 1);
  EXPECT_TRUE(host.command("Zoom", "Zoom In"));
  EXPECT_FALSE(host.query("Zoom", "Zoom In"));  // the host's own: nobody to ask
  EXPECT_EQ(catalogue->executeCommand(u"Zoom", u"Zoom Sideways"), kResultFalse);
  EXPECT_EQ(handler->calls,
            (std::vector<std::string>{"QENT6/QENT8/All EQs On query",
                                      "QENT6/QENT8/QENT6/QENT8 Extension Setup run"}));
  EXPECT_EQ(host.queriedCommands(),
            (std::vector<std::pair<std::string, std::string>>{{"QENT6/QENT8", "All EQs On"}}));
  EXPECT_EQ(host.executedCommands(),
            (std::vector<std::pair<std::string, std::string>>{
                {"QENT6/QENT8", "QENT6/QENT8 Extension Setup"}, {"Zoom", "Zoom In"}}));
  EXPECT_EQ(host.refusedCommands(),
            (std::vector<std::pair<std::string, std::string>>{{"Zoom", "Zoom Sideways"}}));

  // Unregistered, the module's commands leave the catalogue and its category is the host's.
  ASSERT_EQ(catalogue->unregisterCommand(u"QENT6/QENT8", u"All EQs On"), kResultOk);
  EXPECT_LT(catalogue->commandIndex(qent, u"All EQs On"), 0);
  EXPECT_FALSE(host.query("QENT6/QENT8", "QENT6/QENT8 Extension Setup"));
  ASSERT_EQ(catalogue->removeActionHandler(handler.get()), kResultOk);
}

}  // namespace
