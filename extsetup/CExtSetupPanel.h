// The setup window's controller, as the host's skin engine sees it (IPlugController): it makes
// the window's values, offers them by the skin's control names, and turns their changes into
// changes of the assignment model, which it reports to the monitor.
//
// Made by CExtSetupPanelController::openPanel and shared by reference count with the host's
// window; it lives until the last reference goes after the window closed. The model and the
// monitor belong to the controller, which cuts the panel loose (detach) before they go away.
// Everything here runs on the host thread; the host calls valueChanged from inside setValue
// and setText with notification, including the panel's own, which the panel relies on to fill
// dependent menus.
#pragma once

#include "base/String.h"
#include "base/TRefCounted.h"
#include "core/FUnknown.h"
#include "core/Types.h"
#include "extsetup/CExtSetupInfo.h"
#include "extsetup/IExtSetupInfoMonitor.h"
#include "extsetup/PValueContainer.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/PanelServices.h"

namespace Brennholt {

class CExtSetupPanel final : public TRefCounted<Hox::IPlugController> {
 public:
  // The values' tags; b is the 0-based button, m the 0-based memory.
  enum Tag : int32 {
    kResetButton = 0,
    kResetButtons = 1,       // which reset image shows: the current memory
    kButtonNameBase = 10,    // + b, table view labels (shown only)
    kCategoryBase = 60,      // + b, table view category menus
    kActionBase = 110,       // + b, table view command menus
    kDisplayNameBase = 160,  // + b, table view display texts
    kButtonBase = 210,       // + b, picture view button switches
    kPageBase = 270,         // + m, memory switches
    kButtonName = 290,       // single-button area label (shown only)
    kCategory = 291,
    kAction = 292,
    kDisplayName = 293,
    kJogStopFlag = 295,
    kLoadButton = 296,
    kSaveButton = 297,
    kPageName = 298,
    kPictureViewTab = 299,
    kTableViewTab = 300,
    kOptionViewTab = 301,
    kMainView = 302,
  };

  // A new panel (reference count 1, the caller's) with every value made and shown: the current
  // page, button and view of the model. `displayNameLength` 0 makes no display-text fields.
  // host, setupInfo and monitor are not owned; monitor may be null. Null when memory runs out.
  // [host thread]
  static CExtSetupPanel* create(Hox::IHostKernel* host, CExtSetupInfo* setupInfo,
                                uint8 displayNameLength, uint8 memoryNameLength,
                                IExtSetupInfoMonitor* monitor);

  // --- IPlugController -----------------------------------------------------------------------

  // The value of that control name (no reference added); kResultFalse and null for an unknown
  // name. [host thread]
  tresult getValueByName(const char8* name, Hox::IGuiValue** value) noexcept override;
  // One of the panel's values was set with notification: applies it to the model. Always
  // kResultOk; nothing happens after detach. [host thread]
  tresult valueChanged(Hox::IGuiValue* value, int32 tag) noexcept override;

  // --- for the controller --------------------------------------------------------------------

  // Shows page `memory` and makes it the model's current memory; the monitor hears
  // memoryChanged only with `tellMonitor`. Ignored outside the memories. [host thread]
  void selectPage(int32 memory, bool tellMonitor);
  // Forgets the model and the monitor: the window's later changes are ignored. Called before
  // they go away. [host thread]
  void detach();

 private:
  CExtSetupPanel(Hox::IHostKernel* host, CExtSetupInfo* setupInfo, uint8 displayNameLength,
                 uint8 memoryNameLength, IExtSetupInfoMonitor* monitor);
  ~CExtSetupPanel() override = default;

  // Makes the values in their order and shows the model's page, button and view.
  void build();
  void makeValues();
  void handleChange(Hox::IGuiValue* value, int32 tag);

  Hox::IGuiValue* value(int32 tag) const { return values_.findByTag(tag); }
  bool isOn(int32 tag) const;
  // Switches off the first switch of tags first..first+count-1 other than `except` that is on.
  void switchOffOther(int32 first, int32 count, int32 except);
  // Sets a text value without notification.
  void showText(int32 tag, const char8* text);
  // Sets a value with notification that the panel causes itself: text fields and category
  // menus then leave the model as it is.
  void setOwnValue(Hox::IGuiValue* target, int32 tag, int32 number);
  void setOwnText(Hox::IGuiValue* target, int32 tag, const char16* text);

  void showView(int32 view);
  void showDisplayName(int32 tag, int32 button);
  void refreshButton(int32 categoryTag, int32 displayTag, int32 button);
  void tellEveryLabel();

  // The host's categories, counted once when a category menu is first filled.
  int32 categoryCount();
  // The catalogue's index of `button`'s category; -1 for none, "---", or one it does not know.
  int32 knownCategory(int32 button) const;
  void fillCategoryMenu(int32 tag);
  void fillCommandMenu(int32 tag, int32 button);
  // Selects the button's category (with notification, which refills its command menu) or "---".
  void selectCategory(int32 tag, int32 button);
  // Selects the button's command without notification, or "---".
  void selectCommand(int32 tag, int32 button);
  void categoryEdited(Hox::IGuiValue* menu, int32 button, int32 commandTag, bool byUser);
  void commandEdited(Hox::IGuiValue* menu, int32 button);
  // Reads a name field: 7-bit ASCII cut to `limit` (the field shows the cut text) into `out`;
  // anything else clears the field. False when the field was cleared.
  bool readName(Hox::IGuiValue* field, int32 tag, int32 limit, String& out);
  void buttonPressed(int32 button);
  void pagePressed(int32 memory);
  void tabPressed(int32 tag);
  void resetPressed();
  void loadPressed();
  bool confirmReset() const;

  static constexpr int32 kNoTag = -1;

  IPtr<Hox::IHostKernel> host_;
  PValueContainer values_;
  CExtSetupInfo* setupInfo_;  // not owned; null after detach
  int32 buttonCount_;
  int32 memoryCount_;
  uint8 displayNameLength_;
  uint8 memoryNameLength_;
  IExtSetupInfoMonitor* monitor_;  // not owned; null after detach
  int32 categoryCount_ = 0;
  // The tag whose notification the panel is causing itself, and whether page selections inside
  // the current one keep quiet towards the monitor.
  int32 ownTag_ = kNoTag;
  bool quietPages_ = false;
};

}  // namespace Brennholt
