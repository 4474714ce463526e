// The scenario commands of the module's window, run on the reference host with a stand-in
// module that opens the real skin's window from the "Devices" menu (StubPanelModule).
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/Platform.h"
#include "sim/scenario/ScenarioRunner.h"
#include "tests/support/ArtifactPath.h"

using QentSim::ScenarioResult;
using QentSim::ScenarioRunner;

namespace {

class PanelScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = QentTest::testFilePath("StubPanelModule.hox3");
    // Our own handle keeps the stand-in, and its record, across the runners' hosts.
    module_ = Brennholt::Platform::loadModule(path_.c_str());
    ASSERT_NE(module_, nullptr) << path_;
    events_ = reinterpret_cast<const char* (*)()>(
        Brennholt::Platform::findExport(module_, "stubPanelEvents"));
    ASSERT_NE(events_, nullptr);
  }
  void TearDown() override {
    if (module_) Brennholt::Platform::unloadModule(module_);
  }
  // Runs the scenario on a fresh host; what it printed goes to `printed`.
  ScenarioResult run(const std::string& text) {
    printed.str("");
    ScenarioRunner runner(path_, printed);
    return runner.runText(text);
  }
  std::string events() const { return events_(); }

  std::ostringstream printed;

 private:
  std::string path_;
  Brennholt::Platform::ModuleHandle module_ = nullptr;
  const char* (*events_)() = nullptr;
};

}  // namespace

TEST_F(PanelScenario, TheUserWorksInTheWindowOpenedFromTheDevicesMenu) {
  const ScenarioResult result =
      run("start\n"
          "expect panel-open no\n"
          "menu \"Stub Setup\"\n"
          "expect panel-open yes\n"
          "expect panel MainView \"0\"\n"
          "expect panel-entries Category 2\n"
          // The category's handler fills the command menu and selects in it, nested.
          "panel choose Category \"Transport\"\n"
          "expect panel Action \"Stop\"\n"
          "expect panel-entries Action 3\n"
          "panel press Button4\n"
          "expect panel Button4 \"on\"\n"
          "expect panel Button1 \"off\"\n"
          "panel press Page3\n"
          "expect panel ResetButtons \"2\"\n"
          "expect panel PageName \"Memory 3\"\n"
          "panel press TableViewTab\n"
          "expect panel MainView \"1\"\n"
          "expect panel PictureViewTab \"off\"\n"
          // The handler cuts the text and writes it back, told again.
          "panel type DisplayName2 \"ABCDEFGH\"\n"
          "expect panel DisplayName2 \"ABCDEF\"\n"
          "panel press ResetButton\n"
          "expect panel ResetButton \"off\"\n"
          "panel press OptionViewTab\n"
          "panel press JogStopFlag\n"
          "expect panel JogStopFlag \"on\"\n"
          // Values of controls the visible view does not show can be looked at.
          "expect panel Category \"Transport\"\n"
          "panel show\n"
          "menu \"Stub Setup\"\n"
          "panel close\n"
          "expect panel-open no\n"
          "menu \"Stub Setup\"\n"
          "expect panel MainView \"0\"\n"
          "stop\n");
  ASSERT_TRUE(result.passed) << result.line << ": " << result.message;
  const std::string shown = printed.str();
  EXPECT_NE(shown.find("window \"QENT6/QENT8 Extension Setup\" (QENTExtSetupPanel), view "
                       "QENTExtSetupPanel > OptionView"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("JogStopFlag     checkbox    on  \"Jog stops without gradual slowdown.\""),
            std::string::npos)
      << shown;
  const std::string record = events();
  EXPECT_NE(record.find("changed ResetButton 1\nchanged ResetButton 0\n"), std::string::npos)
      << "a push switch goes on and off again";
  EXPECT_NE(record.find("window to front"), std::string::npos);
  // Stopping with the window open closes it first, as the user's close does, and the window
  // lets go of the controller before the module is terminated.
  const std::size_t lastOpen = record.rfind("window opened");
  const std::size_t closed = record.find("window closed", lastOpen);
  const std::size_t released = record.find("controller released", lastOpen);
  const std::size_t terminated = record.find("service terminate", lastOpen);
  ASSERT_NE(terminated, std::string::npos) << record;
  EXPECT_LT(closed, released) << record;
  EXPECT_LT(released, terminated) << record;
}

TEST_F(PanelScenario, WhatTheUserCannotReachFailsWithTheReason) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"menu \"Nothing\"",
       "has no entry \"Nothing\"; entries: \"Stub Setup\", \"Stub Broken Setup\""},
      {"panel press Button1", "no window is open"},
      {"expect panel-open yes", "expected a window to be open"},
  };
  for (const auto& c : cases) {
    const ScenarioResult result = run(std::string("start\n") + c.line + "\n");
    EXPECT_FALSE(result.passed) << c.line;
    EXPECT_EQ(result.line, 2) << c.line;
    EXPECT_NE(result.message.find(c.reason), std::string::npos)
        << c.line << " -> " << result.message;
  }
  const struct {
    const char* line;
    const char* reason;
  } inWindow[] = {
      {"panel press Category1", "control \"Category1\" is not in the visible view"},
      {"panel press Knob", "has no control \"Knob\""},
      {"panel press Category", "is a menu: pick an entry with panel choose"},
      {"panel choose Category \"Edit\"", "has no entry \"Edit\"; entries: \"Transport\", \"---\""},
      {"panel type Category \"x\"", "is a menu, not a edit"},
      {"expect panel Button1 \"off\"", "expected \"Button1\" to be \"off\", it is \"on\""},
      {"expect panel-entries Button1 2", "is a switch, not a menu"},
  };
  for (const auto& c : inWindow) {
    const ScenarioResult result = run(std::string("start\nmenu \"Stub Setup\"\n") + c.line + "\n");
    EXPECT_FALSE(result.passed) << c.line;
    EXPECT_EQ(result.line, 3) << c.line << " -> " << result.message;
    EXPECT_NE(result.message.find(c.reason), std::string::npos)
        << c.line << " -> " << result.message;
  }
  // Entries the module leaves in the menu when it stops would run commands nobody handles.
  const ScenarioResult kept = run("start\nservice devices-menu off\nstop\n");
  EXPECT_FALSE(kept.passed);
  EXPECT_EQ(kept.line, 3);
  EXPECT_NE(kept.message.find("left 2 menu entries behind"), std::string::npos) << kept.message;
  // A window whose controller does not offer a control fails the step that opened it.
  const ScenarioResult broken = run("start\nmenu \"Stub Broken Setup\"\n");
  EXPECT_FALSE(broken.passed);
  EXPECT_EQ(broken.line, 2);
  EXPECT_NE(broken.message.find("control \"Action4\" (menu): the controller offers no value"),
            std::string::npos)
      << broken.message;
}
