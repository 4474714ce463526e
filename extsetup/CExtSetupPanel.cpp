#include "extsetup/CExtSetupPanel.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/StringConversion.h"
#include "extsetup/HostMessages.h"
#include "sdk/host/CommandServices.h"

namespace Brennholt {

namespace {

// The last entry of every category and command menu, and what the model stores for "none".
constexpr const char8* kNone = "---";
constexpr int32 kViews = 3;

bool isNone(const char8* text) { return !text || text[0] == '\0' || std::strcmp(text, kNone) == 0; }

// A control name with a 1-based number ("Page3").
struct NumberedName {
  char8 text[32] = {};
  NumberedName(const char8* prefix, int32 index) {
    std::snprintf(text, sizeof(text), "%s%d", prefix, static_cast<int>(index + 1));
  }
};

// A 16-bit copy of an 8-bit text for one call to the host.
String wide(const char8* text) {
  String converted(text ? text : "");
  converted.text16();
  return converted;
}

IPtr<Hox::IListValue> listOf(Hox::IGuiValue* value) {
  return Brennholt::queryInterface<Hox::IListValue>(value);
}

int32 entryCount(Hox::IGuiValue* value) {
  IPtr<Hox::IListValue> list = listOf(value);
  return list ? list->count() : 0;
}

}  // namespace

CExtSetupPanel* CExtSetupPanel::create(Hox::IHostKernel* host, CExtSetupInfo* setupInfo,
                                       uint8 displayNameLength, uint8 memoryNameLength,
                                       IExtSetupInfoMonitor* monitor) {
  auto* panel = new (std::nothrow)
      CExtSetupPanel(host, setupInfo, displayNameLength, memoryNameLength, monitor);
  if (!panel) return nullptr;
  try {
    panel->build();
  } catch (const std::bad_alloc&) {
    panel->release();
    return nullptr;
  }
  return panel;
}

CExtSetupPanel::CExtSetupPanel(Hox::IHostKernel* host, CExtSetupInfo* setupInfo,
                               uint8 displayNameLength, uint8 memoryNameLength,
                               IExtSetupInfoMonitor* monitor)
    : host_(IPtr<Hox::IHostKernel>::share(host)),
      values_(host, this),
      setupInfo_(setupInfo),
      buttonCount_(setupInfo ? setupInfo->buttonCount() : 0),
      memoryCount_(setupInfo ? setupInfo->memoryCount() : 0),
      displayNameLength_(displayNameLength),
      memoryNameLength_(memoryNameLength),
      monitor_(monitor) {}

tresult CExtSetupPanel::getValueByName(const char8* name, Hox::IGuiValue** value) noexcept {
  if (!value) return kInvalidArgument;
  *value = values_.findByName(name);
  return *value ? kResultOk : kResultFalse;
}

tresult CExtSetupPanel::valueChanged(Hox::IGuiValue* value, int32 tag) noexcept {
  if (!value || !setupInfo_) return kResultOk;
  try {
    handleChange(value, tag);
  } catch (const std::bad_alloc&) {
    // The change is dropped; the window goes on with what the model has.
  }
  return kResultOk;
}

void CExtSetupPanel::detach() {
  setupInfo_ = nullptr;
  monitor_ = nullptr;
}

// ---- building ------------------------------------------------------------------------------

void CExtSetupPanel::makeValues() {
  using namespace Hox;
  auto make = [this](const FUID& kind, int32 tag, const char8* name) {
    IGuiValue* made = values_.add(kind, tag, name);
    if (made) {
      if (IPtr<IValueAttributes> attributes = Brennholt::queryInterface<IValueAttributes>(made)) {
        attributes->setAttributes(0);
      }
    }
    return made;
  };
  auto makeInt = [&](int32 tag, const char8* name, int32 maximum) {
    if (IGuiValue* made = make(kIntValueClass, tag, name)) {
      made->setRange(0, maximum);
      made->setDefault(0);
      made->setValue(0, 0);
    }
  };
  auto makeText = [&](int32 tag, const char8* name, const char8* text) {
    if (IGuiValue* made = make(kStringValueClass, tag, name)) {
      const String shown = wide(text);
      made->setText(shown.text16(), 0);
    }
  };

  make(kBoolValueClass, kResetButton, "ResetButton");
  makeInt(kResetButtons, "ResetButtons", memoryCount_ > 0 ? memoryCount_ - 1 : 0);
  make(kBoolValueClass, kPictureViewTab, "PictureViewTab");
  make(kBoolValueClass, kTableViewTab, "TableViewTab");
  make(kBoolValueClass, kOptionViewTab, "OptionViewTab");
  makeInt(kMainView, "MainView", kViews - 1);
  make(kBoolValueClass, kLoadButton, "LoadButton");
  make(kBoolValueClass, kSaveButton, "SaveButton");
  for (int32 m = 0; m < memoryCount_; ++m) {
    make(kBoolValueClass, kPageBase + m, NumberedName("Page", m).text);
  }
  makeText(kPageName, "PageName", "");
  for (int32 b = 0; b < buttonCount_; ++b) {
    makeText(kButtonNameBase + b, NumberedName("ButtonName", b).text, setupInfo_->buttonName(b));
    make(kListValueClass, kCategoryBase + b, NumberedName("Category", b).text);
    make(kListValueClass, kActionBase + b, NumberedName("Action", b).text);
    make(kBoolValueClass, kButtonBase + b, NumberedName("Button", b).text);
    if (displayNameLength_ > 0) {
      makeText(kDisplayNameBase + b, NumberedName("DisplayName", b).text, "");
    }
  }
  makeText(kButtonName, "ButtonName", setupInfo_->buttonName(0));
  make(kListValueClass, kCategory, "Category");
  make(kListValueClass, kAction, "Action");
  if (displayNameLength_ > 0) makeText(kDisplayName, "DisplayName", "");
  if (IGuiValue* jogStop = make(kBoolValueClass, kJogStopFlag, "JogStopFlag")) {
    bool flag = true;
    setupInfo_->option(CExtOption::kJogStop, flag);
    jogStop->setValue(flag ? 1 : 0, 0);
  }
}

void CExtSetupPanel::build() {
  if (!setupInfo_) return;
  makeValues();
  selectPage(setupInfo_->currentMemory(), false);
  for (int32 b = 0; b < buttonCount_; ++b) {
    fillCategoryMenu(kCategoryBase + b);
    selectCategory(kCategoryBase + b, b);
    showDisplayName(kDisplayNameBase + b, b);
  }
  fillCategoryMenu(kCategory);
  const int32 current = setupInfo_->currentButton();
  if (Hox::IGuiValue* button = value(kButtonBase + current)) button->setValue(1, 1);
  selectCategory(kCategory, current);
  showDisplayName(kDisplayName, current);
  const int32 view = setupInfo_->mainView();
  if (Hox::IGuiValue* tab = value(kPictureViewTab + view)) tab->setValue(1, 0);
  if (Hox::IGuiValue* mainView = value(kMainView)) mainView->setValue(view, 1);
}

// ---- value helpers -------------------------------------------------------------------------

bool CExtSetupPanel::isOn(int32 tag) const {
  Hox::IGuiValue* target = value(tag);
  return target && target->getValue() > 0;
}

void CExtSetupPanel::switchOffOther(int32 first, int32 count, int32 except) {
  for (int32 tag = first; tag < first + count; ++tag) {
    if (tag != except && isOn(tag)) {
      value(tag)->setValue(0, 0);
      return;
    }
  }
}

void CExtSetupPanel::showText(int32 tag, const char8* text) {
  if (Hox::IGuiValue* target = value(tag)) {
    const String shown = wide(text);
    target->setText(shown.text16(), 0);
  }
}

void CExtSetupPanel::setOwnValue(Hox::IGuiValue* target, int32 tag, int32 number) {
  const int32 outer = ownTag_;
  ownTag_ = tag;
  target->setValue(number, 1);
  ownTag_ = outer;
}

void CExtSetupPanel::setOwnText(Hox::IGuiValue* target, int32 tag, const char16* text) {
  const int32 outer = ownTag_;
  ownTag_ = tag;
  target->setText(text, 1);
  ownTag_ = outer;
}

// ---- views ---------------------------------------------------------------------------------

void CExtSetupPanel::showView(int32 view) {
  if (!setupInfo_) return;
  if (view < 0 || view >= kViews) view = setupInfo_->mainView();
  if (IPtr<Hox::IValueAttributes> reset =
          Brennholt::queryInterface<Hox::IValueAttributes>(value(kResetButton))) {
    const int32 flags = reset->getAttributes();
    const bool disabled = (flags & Hox::IValueAttributes::kDisabled) != 0;
    // Nothing to reset from the option view.
    if (view == CExtSetupInfo::kOptionView && !disabled) {
      reset->setAttributes(flags | Hox::IValueAttributes::kDisabled);
    } else if (view != CExtSetupInfo::kOptionView && disabled) {
      reset->setAttributes(flags & ~Hox::IValueAttributes::kDisabled);
    }
  }
  if (view == CExtSetupInfo::kPictureView) {
    refreshButton(kCategory, kDisplayName, setupInfo_->currentButton());
  } else if (view == CExtSetupInfo::kTableView) {
    for (int32 b = 0; b < buttonCount_; ++b) {
      refreshButton(kCategoryBase + b, kDisplayNameBase + b, b);
    }
  }
  showText(kPageName, setupInfo_->memoryName());
}

void CExtSetupPanel::refreshButton(int32 categoryTag, int32 displayTag, int32 button) {
  if (entryCount(value(categoryTag)) > 0) selectCategory(categoryTag, button);
  showDisplayName(displayTag, button);
}

void CExtSetupPanel::showDisplayName(int32 tag, int32 button) {
  if (displayNameLength_ > 0 && setupInfo_) showText(tag, setupInfo_->displayName(button));
}

void CExtSetupPanel::tellEveryLabel() {
  // The keyboard follows the labels only while the picture view is up.
  if (!setupInfo_ || setupInfo_->mainView() != CExtSetupInfo::kPictureView) return;
  for (int32 b = 0; b < buttonCount_ && monitor_; ++b) monitor_->displayNameChanged(b);
}

// ---- menus ---------------------------------------------------------------------------------

int32 CExtSetupPanel::categoryCount() {
  if (categoryCount_ == 0) {
    if (auto list = Hox::getService<Hox::ICommandCategoryList>(host_.get())) {
      const int32 count = list->categoryCount();
      categoryCount_ = count > 0 ? count : 0;
    }
  }
  return categoryCount_;
}

int32 CExtSetupPanel::knownCategory(int32 button) const {
  if (!setupInfo_) return -1;
  const char8* category = setupInfo_->category(button);
  if (isNone(category)) return -1;
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_.get());
  if (!catalogue) return -1;
  const String name = wide(category);
  const int32 index = catalogue->categoryIndex(name.text16());
  return index >= 0 && index < categoryCount_ ? index : -1;
}

void CExtSetupPanel::fillCategoryMenu(int32 tag) {
  IPtr<Hox::IListValue> menu = listOf(value(tag));
  if (!menu) return;
  menu->clear();
  const int32 count = categoryCount();
  if (auto list = Hox::getService<Hox::ICommandCategoryList>(host_.get())) {
    for (int32 i = 0; i < count; ++i) {
      char16 name[kHostTextUnits] = {};
      list->getCategoryName(i, name, kHostTextUnits);
      name[kHostTextUnits - 1] = 0;
      menu->append(name);
    }
  }
  menu->append(stableText16(kNone));
}

void CExtSetupPanel::fillCommandMenu(int32 tag, int32 button) {
  IPtr<Hox::IListValue> menu = listOf(value(tag));
  if (!menu) return;
  menu->clear();
  const int32 category = knownCategory(button);
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_.get());
  if (category >= 0 && catalogue) {
    const int32 count = catalogue->commandCount(category);
    for (int32 i = 0; i < count; ++i) {
      char16 name[kHostTextUnits] = {};
      catalogue->getCommandName(category, i, name, kHostTextUnits);
      name[kHostTextUnits - 1] = 0;
      menu->append(name);
    }
  }
  menu->append(stableText16(kNone));
}

void CExtSetupPanel::selectCategory(int32 tag, int32 button) {
  Hox::IGuiValue* menu = value(tag);
  if (!menu) return;
  const int32 category = knownCategory(button);
  // The notification refills the command menu; the model keeps what it has.
  setOwnValue(menu, tag, category >= 0 ? category : categoryCount_);
}

void CExtSetupPanel::selectCommand(int32 tag, int32 button) {
  Hox::IGuiValue* menu = value(tag);
  if (!menu || !setupInfo_) return;
  const int32 category = knownCategory(button);
  if (category < 0) {
    menu->setValue(0, 0);
    return;
  }
  auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_.get());
  int32 index = -1;
  if (catalogue) {
    const String command = wide(setupInfo_->action(button));
    index = catalogue->commandIndex(category, command.text16());
    if (index < 0) index = catalogue->commandCount(category);
  }
  menu->setValue(index < 0 ? 0 : index, 0);
}

void CExtSetupPanel::categoryEdited(Hox::IGuiValue* menu, int32 button, int32 commandTag,
                                    bool byUser) {
  if (byUser) {
    // The command stays: the refilled command menu shows "---" when it is not in the new
    // category.
    setupInfo_->setCategory(button, nullptr);
    const int32 index = menu->getValue();
    if (index >= 0 && index < categoryCount_) {
      if (auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_.get())) {
        char16 name[kHostTextUnits] = {};
        if (catalogue->getCategoryName(index, name, kHostTextUnits) == kResultOk) {
          name[kHostTextUnits - 1] = 0;
          setupInfo_->setCategory(button, toText8(name).c_str());
        }
      }
    }
    if (setupInfo_->category(button)[0] == '\0') setupInfo_->setCategory(button, kNone);
  }
  fillCommandMenu(commandTag, button);
  selectCommand(commandTag, button);
}

void CExtSetupPanel::commandEdited(Hox::IGuiValue* menu, int32 button) {
  setupInfo_->setAction(button, nullptr);
  const int32 index = menu->getValue();
  const int32 category = knownCategory(button);
  if (index >= 0 && category >= 0) {
    if (auto catalogue = Hox::getService<Hox::ICommandCatalogue>(host_.get())) {
      char16 name[kHostTextUnits] = {};
      // The "---" entry has no name in the catalogue.
      if (catalogue->getCommandName(category, index, name, kHostTextUnits) == kResultOk) {
        name[kHostTextUnits - 1] = 0;
        setupInfo_->setAction(button, toText8(name).c_str());
      }
    }
  }
  if (setupInfo_->action(button)[0] == '\0') setupInfo_->setAction(button, kNone);
}

// ---- texts ---------------------------------------------------------------------------------

bool CExtSetupPanel::readName(Hox::IGuiValue* field, int32 tag, int32 limit, String& out) {
  char16 text[kHostTextUnits] = {};
  field->getText(text, kHostTextUnits);
  text[kHostTextUnits - 1] = 0;
  int32 length = 0;
  bool ascii = true;
  for (; text[length] != 0; ++length) {
    if (text[length] >= 128) ascii = false;
  }
  if (!ascii) {
    // The field's own notification of the clearing must not store the empty text.
    setOwnText(field, tag, u"");
    return false;
  }
  if (length > limit) {
    text[limit] = 0;
    setOwnText(field, tag, text);
  }
  return out.assign(toText8(text).c_str());
}

// ---- changes -------------------------------------------------------------------------------

void CExtSetupPanel::handleChange(Hox::IGuiValue* changed, int32 tag) {
  const bool byPanel = tag == ownTag_;
  const bool pressed = changed->getValue() > 0;
  const int32 current = setupInfo_->currentButton();

  if (tag >= kPictureViewTab && tag <= kOptionViewTab) {
    if (pressed) tabPressed(tag);
  } else if (tag == kMainView) {
    setupInfo_->setMainView(changed->getValue());
    showView(changed->getValue());
  } else if (tag == kResetButton) {
    if (pressed) resetPressed();
  } else if (tag == kLoadButton) {
    if (pressed) loadPressed();
  } else if (tag == kSaveButton) {
    if (pressed) setupInfo_->saveFile();
  } else if (tag >= kPageBase && tag < kPageBase + memoryCount_) {
    if (pressed) pagePressed(tag - kPageBase);
  } else if (tag == kPageName) {
    String name;
    if (!byPanel && readName(changed, tag, memoryNameLength_, name)) {
      setupInfo_->setMemoryName(name.text8());
    }
  } else if (tag >= kCategoryBase && tag < kCategoryBase + buttonCount_) {
    const int32 b = tag - kCategoryBase;
    categoryEdited(changed, b, kActionBase + b, !byPanel);
  } else if (tag >= kActionBase && tag < kActionBase + buttonCount_) {
    commandEdited(changed, tag - kActionBase);
  } else if (tag >= kDisplayNameBase && tag < kDisplayNameBase + buttonCount_) {
    const int32 b = tag - kDisplayNameBase;
    String name;
    if (!byPanel && readName(changed, tag, displayNameLength_, name) &&
        setupInfo_->setDisplayName(b, name.text8()) && monitor_) {
      monitor_->displayNameChanged(b);
    }
  } else if (tag >= kButtonBase && tag < kButtonBase + buttonCount_) {
    if (pressed) buttonPressed(tag - kButtonBase);
  } else if (tag == kCategory) {
    categoryEdited(changed, current, kAction, !byPanel);
  } else if (tag == kAction) {
    commandEdited(changed, current);
  } else if (tag == kDisplayName) {
    String name;
    if (!byPanel && readName(changed, tag, displayNameLength_, name) &&
        setupInfo_->setDisplayName(current, name.text8()) && monitor_) {
      monitor_->displayNameChanged(current);
    }
  } else if (tag == kJogStopFlag) {
    setupInfo_->setOption(CExtOption::kJogStop, pressed);
    if (monitor_) monitor_->jogStopChanged(pressed);
  }
  // The labels (kResetButtons, kButtonNameBase + b, kButtonName) are shown only.
}

void CExtSetupPanel::tabPressed(int32 tag) {
  const int32 previous = kPictureViewTab + setupInfo_->mainView();
  if (previous != tag && isOn(previous)) value(previous)->setValue(0, 0);
  if (Hox::IGuiValue* mainView = value(kMainView)) mainView->setValue(tag - kPictureViewTab, 1);
}

void CExtSetupPanel::buttonPressed(int32 button) {
  switchOffOther(kButtonBase, buttonCount_, kButtonBase + button);
  setupInfo_->selectButton(button);
  showText(kButtonName, setupInfo_->buttonName(button));
  selectCategory(kCategory, button);
  selectCommand(kAction, button);
  showDisplayName(kDisplayName, button);
}

void CExtSetupPanel::pagePressed(int32 memory) {
  selectPage(memory, !quietPages_);
  showView(-1);
  if (Hox::IGuiValue* resetImage = value(kResetButtons)) resetImage->setValue(memory, 1);
}

void CExtSetupPanel::selectPage(int32 memory, bool tellMonitor) {
  if (!setupInfo_ || memory < 0 || memory >= memoryCount_ || memoryCount_ <= 1) return;
  const bool outer = quietPages_;
  // The page switch's own notification selects the page again: it must keep quiet too.
  if (!tellMonitor) quietPages_ = true;
  Hox::IGuiValue* page = value(kPageBase + memory);
  if (page && page->getValue() <= 0) page->setValue(1, 1);
  switchOffOther(kPageBase, memoryCount_, kPageBase + memory);
  const bool changed = setupInfo_->selectMemory(memory);
  quietPages_ = outer;
  if (changed && tellMonitor && monitor_) monitor_->memoryChanged(memory);
}

void CExtSetupPanel::resetPressed() {
  if (!confirmReset()) return;
  setupInfo_->resetCurrentMemory();
  showView(-1);
  tellEveryLabel();
}

void CExtSetupPanel::loadPressed() {
  setupInfo_->openFile();
  showView(-1);
  tellEveryLabel();
}

bool CExtSetupPanel::confirmReset() const {
  String message;
  String reset;
  String cancel;
  if (!translateText(host_.get(), "This will reset the command assignment to the factory default.",
                     message) ||
      !translateText(host_.get(), "Reset", reset) ||
      !translateText(host_.get(), "Cancel", cancel)) {
    return false;
  }
  return showAlert(host_.get(), message, reset, &cancel) == 1;
}

}  // namespace Brennholt
