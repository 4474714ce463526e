// The control names of the setup window's skin (template "QENTExtSetupPanel" and its views) with
// the value class each binds to, for test controllers that stand in for the module's panel.
#pragma once

#include <string>

#include "sdk/host/PanelServices.h"

namespace QentTest {

// Calls add(name, valueClass) once per control of the window.
template <class Add>
void forEachSkinControl(Add&& add) {
  using namespace Brennholt::Hox;
  add(std::string("ResetButton"), kBoolValueClass);
  add(std::string("ResetButtons"), kIntValueClass);
  for (const char* name : {"PictureViewTab", "TableViewTab", "OptionViewTab", "LoadButton",
                           "SaveButton", "JogStopFlag"})
    add(std::string(name), kBoolValueClass);
  add(std::string("MainView"), kIntValueClass);
  for (int i = 1; i <= 6; ++i) {
    const std::string n = std::to_string(i);
    add("Page" + n, kBoolValueClass);
    add("Button" + n, kBoolValueClass);
    add("ButtonName" + n, kStringValueClass);
    add("Category" + n, kListValueClass);
    add("Action" + n, kListValueClass);
    add("DisplayName" + n, kStringValueClass);
  }
  add(std::string("PageName"), kStringValueClass);
  add(std::string("ButtonName"), kStringValueClass);
  add(std::string("Category"), kListValueClass);
  add(std::string("Action"), kListValueClass);
  add(std::string("DisplayName"), kStringValueClass);
}

}  // namespace QentTest
