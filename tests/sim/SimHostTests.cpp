// The simulated host against a stand-in module that records every call it receives: the order
// the host drives a module in, how it matches keyboard MIDI to elements, how it runs bindings,
// its clock, and the features it can withdraw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/host/SimHost.h"
#include "tests/support/ArtifactPath.h"

using namespace QentSim;
using Bytes = std::vector<std::uint8_t>;

namespace {

// What the host sent to one keyboard.
struct KeyboardWire : IMidiReceiver {
  std::vector<Bytes> received;
  void receiveMidi(const std::uint8_t* bytes, std::size_t length) override {
    received.emplace_back(bytes, bytes + length);
  }
  bool got(const Bytes& message) const {
    return std::find(received.begin(), received.end(), message) != received.end();
  }
};

class SimHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = QentTest::testFilePath("StubRemoteModule.hox3");
    // Our own handle keeps the stand-in loaded, and its record readable, across host restarts.
    module_ = Brennholt::Platform::loadModule(path_.c_str());
    ASSERT_NE(module_, nullptr);
    events_ =
        reinterpret_cast<const char* (*)()>(Brennholt::Platform::findExport(module_, "stubEvents"));
    clear_ =
        reinterpret_cast<void (*)()>(Brennholt::Platform::findExport(module_, "stubClearEvents"));
    ASSERT_TRUE(events_ && clear_);
    clear_();
    host.setModulePath(path_);
  }
  void TearDown() override {
    host.stop();
    if (module_) Brennholt::Platform::unloadModule(module_);
  }

  void start() {
    std::string error;
    ASSERT_TRUE(host.start(&error)) << error;
    host.connectKeyboard(1, &keyboard1);
    host.connectKeyboard(2, &keyboard2);
  }
  std::vector<std::string> events() const {
    std::vector<std::string> lines;
    std::string all = events_();
    for (std::size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1) {
      lines.push_back(all.substr(at, end - at));
    }
    return lines;
  }
  bool saw(const std::string& line) const {
    auto lines = events();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  void send(int keyboard, const Bytes& message) {
    host.sendFromKeyboard(keyboard, message.data(), message.size());
    host.idleRound();
  }

  SimHost host;
  KeyboardWire keyboard1;
  KeyboardWire keyboard2;

 private:
  std::string path_;
  Brennholt::Platform::ModuleHandle module_ = nullptr;
  const char* (*events_)() = nullptr;
  void (*clear_)() = nullptr;
};

// Element indices of the stand-in's table.
enum { kKnob, kPlay, kRecord, kStop, kDial, kTop, kMute };

TEST_F(SimHostTest, DrivesTheModuleInASequencersOrderAndShutsDownInReverse) {
  host.setKeyboardCount(2);
  start();
  EXPECT_TRUE(host.serviceAccepted());
  ASSERT_EQ(host.devices().size(), 2u);
  EXPECT_EQ(host.devices()[0].inputPort, "Talvane QENT6/QENT8-2");
  EXPECT_EQ(host.devices()[1].outputPort, "2- Talvane QENT6/QENT8-2");
  EXPECT_EQ(host.devices()[1].pairIndex, 1);
  EXPECT_TRUE(host.devices()[1].active);
  EXPECT_EQ(host.portNames(true),
            (std::vector<std::string>{"Talvane QENT6/QENT8-1", "Talvane QENT6/QENT8-2",
                                      "2- Talvane QENT6/QENT8-1", "2- Talvane QENT6/QENT8-2"}));

  host.stop();
  const std::vector<std::string> expected = {"InitDll",
                                             "service initialize Tessaly Studio",
                                             "remote attach",
                                             "remote activate",
                                             "remote attach",
                                             "remote activate",
                                             "detect 0",
                                             "remote deactivate",
                                             "remote detach",
                                             "remote terminate",
                                             "remote deactivate",
                                             "remote detach",
                                             "remote terminate",
                                             "service terminate",
                                             "ExitDll"};
  EXPECT_EQ(events(), expected);
  // What a remote flushes on deactivate still reaches its keyboard.
  EXPECT_TRUE(keyboard1.got({0xF0, 0x7D, 0x01, 0xF7}));
  EXPECT_TRUE(keyboard2.got({0xF0, 0x7D, 0x01, 0xF7}));
  EXPECT_FALSE(host.isRunning());
}

TEST_F(SimHostTest, RefusedServiceLeavesDetectionUnrun) {
  host.setHostIdentity("Refused", "1.0", "Build 1");
  start();
  EXPECT_FALSE(host.serviceAccepted());
  EXPECT_TRUE(host.devices().empty());
  EXPECT_FALSE(host.detect().ran);
  host.stop();
  // Refused: released without terminate.
  EXPECT_FALSE(saw("service terminate"));
  EXPECT_FALSE(saw("remote attach"));
}

TEST_F(SimHostTest, MatchesKeyboardMessagesToElementsByStatusAndNumber) {
  start();
  send(1, {0xB0, 16, 65});   // knob: the value as it stands
  send(1, {0x90, 94, 100});  // Play: velocity
  send(1, {0x80, 94, 64});   // note-off: value 0 whatever its velocity
  send(1, {0x90, 16, 127});  // "Mute": note 16, not the knob's controller 16
  send(1, {0x91, 94, 100});  // another channel: no element
  send(1, {0xA0, 94, 100});  // not a status the elements use
  send(1, {0xF0, 0x01, 0x02, 0x03, 0xF7});
  std::vector<std::string> values;
  for (const std::string& line : events()) {
    if (line.rfind("value", 0) == 0 || line.rfind("sysex", 0) == 0) values.push_back(line);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"value 0 65", "value 1 100", "value 1 0",
                                              "value 6 127", "sysex 5"}));
  // The remote's echo went out of the device's output port to the same keyboard.
  EXPECT_TRUE(keyboard1.got({0xF0, 0x01, 0x02, 0x03, 0xF7}));
  // Nothing reaches a device from a keyboard that has none.
  std::uint64_t before = host.activity();
  send(2, {0x90, 94, 100});
  EXPECT_GT(host.activity(), before);
  auto lines = events();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("value 1 100")), 1);
}

TEST_F(SimHostTest, RunsTheModePageBindingBeforeDefaultAndSwitchesPagesByCommand) {
  start();
  EXPECT_EQ(host.currentPage(1), "");
  send(1, {0x90, 88, 127});  // "Top" on "Default"
  EXPECT_TRUE(host.wasExecuted("Transport", "Return to Zero"));

  host.clearRecords();
  host.page("Jog Mode");
  EXPECT_TRUE(saw("page Jog Mode"));
  send(1, {0x90, 88, 127});  // "Top" on "Jog Mode" switches to the hover page
  send(1, {0x80, 88, 0});    // a release runs no command
  EXPECT_EQ(host.executedCommands(),
            (std::vector<std::pair<std::string, std::string>>{{"Remote", "Hover Knob Mode"}}));
  EXPECT_EQ(host.currentPage(1), "Hover Knob Mode");
  EXPECT_TRUE(saw("page Hover Knob Mode"));

  send(1, {0x90, 88, 127});  // nothing bound on the hover page: "Default" again
  EXPECT_TRUE(host.wasExecuted("Transport", "Return to Zero"));
}

TEST_F(SimHostTest, TransportBindingsChangeStateAndLightTheLamps) {
  start();
  send(1, {0x90, 94, 127});  // Play
  EXPECT_TRUE(host.playing());
  EXPECT_TRUE(saw("feedback 1 127"));
  EXPECT_TRUE(keyboard1.got({0x90, 94, 127}));
  send(1, {0x80, 94, 0});
  EXPECT_TRUE(host.playing());
  send(1, {0x90, 95, 127});  // Record toggles
  EXPECT_TRUE(host.recording());
  send(1, {0x90, 93, 127});  // Stop ends both
  EXPECT_FALSE(host.playing());
  EXPECT_FALSE(host.recording());
  EXPECT_TRUE(keyboard1.got({0x90, 94, 0}));
  EXPECT_TRUE(keyboard1.got({0x90, 95, 0}));
  send(1, {0x90, 16, 127});  // Mute toggles the selected channel's value
  EXPECT_EQ(host.mixerValue("mute"), 1);
  send(1, {0x90, 16, 127});
  EXPECT_EQ(host.mixerValue("mute"), 0);
}

TEST_F(SimHostTest, JogWheelTicksMoveThePositionWhichStopsAtZero) {
  start();
  host.page("Jog Mode");
  send(1, {0xB0, 60, 3});
  EXPECT_EQ(host.position(), 3);
  send(1, {0xB0, 60, 126});  // two back
  send(1, {0xB0, 60, 125});  // three back: stops at 0
  send(1, {0xB0, 60, 127});
  EXPECT_EQ(host.position(), 0);
  int last = 0;
  ASSERT_TRUE(host.lastParameterValue("wheel", &last));
  EXPECT_EQ(last, 127);
  EXPECT_EQ(host.parameterValues().size(), 4u);
  host.page("Default");  // off the jog page the dial reaches nothing
  send(1, {0xB0, 60, 3});
  EXPECT_EQ(host.parameterValues().size(), 4u);
}

TEST_F(SimHostTest, ClockMovesOnlyWhenToldAndWrapsLikeTheHostCounter) {
  start();
  host.setClock(0xFFFFFFF0u);
  host.advance(35);  // three rounds, the last 5 ms without one
  std::vector<std::string> idles;
  for (const std::string& line : events()) {
    if (line.rfind("idle", 0) == 0) idles.push_back(line);
  }
  EXPECT_EQ(idles, (std::vector<std::string>{"idle 4294967290", "idle 4", "idle 14"}));
  EXPECT_EQ(host.clock(), 19u);
}

TEST_F(SimHostTest, WithdrawnServicesAreMissingToTheModule) {
  host.setServiceEnabled(HostService::kIdle, false);
  host.setServiceEnabled(HostService::kMixerTarget, false);
  start();
  host.advance(50);
  EXPECT_FALSE(saw("idle 1010"));
  ASSERT_EQ(host.elements(1).size(), 7u);
  EXPECT_TRUE(host.bindings(1).empty());
  send(1, {0x90, 94, 127});
  EXPECT_FALSE(host.playing());
  host.stop();

  host.setServiceEnabled(HostService::kIdle, true);
  host.setServiceEnabled(HostService::kDeviceRegistry, false);
  start();
  EXPECT_TRUE(host.devices().empty());
  EXPECT_TRUE(saw("detect 1"));
}

TEST_F(SimHostTest, UnplugShutsDownOnlyThatKeyboardsDevice) {
  host.setKeyboardCount(2);
  start();
  ASSERT_TRUE(host.unplug(1));
  EXPECT_FALSE(host.unplug(1));
  ASSERT_EQ(host.devices().size(), 1u);
  EXPECT_EQ(host.devices()[0].keyboard, 2);
  EXPECT_EQ(host.portNames(false),
            (std::vector<std::string>{"2- Talvane QENT6/QENT8-1", "2- Talvane QENT6/QENT8-2"}));
  auto lines = events();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("remote detach")), 1);
  send(2, {0x90, 94, 127});
  EXPECT_TRUE(host.playing());
  EXPECT_TRUE(keyboard2.got({0x90, 94, 127}));
  EXPECT_FALSE(keyboard1.got({0x90, 94, 127}));
}

TEST_F(SimHostTest, ARunsObjectsGoWithItAndWhatItShowedStaysUntilTheNextStart) {
  host.setKeyboardCount(2);
  start();
  ASSERT_TRUE(host.unplug(2));
  send(1, {0x90, 94, 127});  // Play
  send(1, {0x90, 88, 127});  // "Top": Return to Zero
  host.setPosition(7);
  host.stop();
  EXPECT_FALSE(host.serviceAccepted());
  EXPECT_EQ(host.service(), nullptr);
  EXPECT_TRUE(host.devices().empty());
  EXPECT_TRUE(host.portNames(true).empty());
  EXPECT_TRUE(host.playing());
  EXPECT_EQ(host.position(), 7);

  // A start that fails leaves all of that as it was.
  const std::string module = host.modulePath();
  host.setModulePath(module + ".missing");
  std::string error;
  EXPECT_FALSE(host.start(&error));
  EXPECT_FALSE(host.isRunning());
  EXPECT_EQ(host.lifecycleLog().back(), "load failed");
  EXPECT_TRUE(host.playing());
  EXPECT_EQ(host.position(), 7);

  // The next run begins afresh from the set-up: the unplugged keyboard is back, the transport
  // stands; the records stay until cleared.
  host.setModulePath(module);
  start();
  EXPECT_FALSE(host.playing());
  EXPECT_EQ(host.position(), 0);
  EXPECT_EQ(host.devices().size(), 2u);
  EXPECT_TRUE(host.wasExecuted("Transport", "Return to Zero"));
  host.clearRecords();
  EXPECT_TRUE(host.executedCommands().empty());
}

}  // namespace
