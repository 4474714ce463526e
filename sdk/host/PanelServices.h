// The host services behind the extension setup's window: the panel registry that loads a skin
// package and opens windows from its templates, the host window, the "Devices" menu, and the
// GUI values through which the skin's controls and the module's controller meet.
//
// The panel registry and the "Devices" menu are kernel services (IHostKernel::getService, asked
// for per use). GUI values are new objects made through the host context's create-instance
// operation (IHostClasses) with one of the value classes below as class and IGuiValue as
// interface; the caller owns the one reference it gets.
//
// The skin binds each of its controls by name to a value the controller offers
// (IPlugController::getValueByName). When a value is set with notification, by the user or by
// the module, the host calls its owner's valueChanged, whether or not the value changed. Every
// operation is called on the host thread. Texts to the user are UTF-16, terminated; names of
// controls and templates are the module's 8-bit ASCII texts.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt::Hox {

class IGuiValue;
class IHostWindow;

// The skin's controller: the window asks it for its values and tells it their changes.
// Made by the module, referenced by the window while it is open.
class IPlugController : public FUnknown {
 public:
  // Stores the value of that control name in *value (no reference added: the value lives as
  // long as the controller); kResultOk when there is one, kResultFalse and null otherwise.
  // [host thread]
  virtual tresult getValueByName(const char8* name, IGuiValue** value) noexcept = 0;
  // A value owned by this controller was set with notification; `tag` is the tag it was
  // attached with. Always kResultOk. The handler may set other values with notification from
  // inside this call. [host thread]
  virtual tresult valueChanged(IGuiValue* value, int32 tag) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("0466B781-A086-11D5-BECC-00A0C9A636BC");

 protected:
  ~IPlugController() = default;
};

// One value of a window: a switch (0 or 1), a number in a range, a text or a list whose value is
// the selected entry's index.
class IGuiValue : public FUnknown {
 public:
  // Attaches the owner told of changes and the tag it is told with; the owner is not
  // referenced: it detaches (null) or outlives the value. [host thread]
  virtual tresult setOwner(IPlugController* owner, int32 tag) noexcept = 0;
  // The tag given with the owner (0 before). [host thread]
  virtual int32 getTag() noexcept = 0;
  // The value: 0/1 for a switch, the number, the selected index of a list (-1: none).
  // [host thread]
  virtual int32 getValue() noexcept = 0;
  // Sets the value, clamped to the range (a list: -1..count-1); with `notify` non-zero the
  // owner's valueChanged is called, changed or not. [host thread]
  virtual tresult setValue(int32 value, int32 notify) noexcept = 0;
  // Writes the value's text (a text value's text, a list's selected entry, the number) into
  // `text`, at most `capacity` units with the terminating zero, cut when it does not fit.
  // [host thread]
  virtual tresult getText(char16* text, int32 capacity) noexcept = 0;
  // Sets a text value's text (others take the number at its start); with `notify` non-zero the
  // owner's valueChanged is called. [host thread]
  virtual tresult setText(const char16* text, int32 notify) noexcept = 0;
  // The range of a number (a switch is 0..1); the value is clamped into it. [host thread]
  virtual tresult setRange(int32 minimum, int32 maximum) noexcept = 0;
  // The value a reset of the control goes back to. [host thread]
  virtual tresult setDefault(int32 value) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("5E0C7A91-2B64-4D38-A1F7-93C2E8B4D6A0");

 protected:
  ~IGuiValue() = default;
};

// The entries of a list value (a menu), answered through queryInterface.
class IListValue : public FUnknown {
 public:
  // Removes every entry; the value becomes -1. [host thread]
  virtual tresult clear() noexcept = 0;
  // Appends an entry. [host thread]
  virtual tresult append(const char16* entry) noexcept = 0;
  // The number of entries. [host thread]
  virtual int32 count() noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("D96D547F-A0C4-4C71-B629-32490B911ACD");

 protected:
  ~IListValue() = default;
};

// A value's attribute flags, answered through queryInterface by every value.
class IValueAttributes : public FUnknown {
 public:
  // The control shows the value but the user cannot change it.
  static constexpr int32 kDisabled = 1;

  // The attribute flags (0: none). [host thread]
  virtual int32 getAttributes() noexcept = 0;
  // Replaces the attribute flags. [host thread]
  virtual tresult setAttributes(int32 flags) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("F9EAE1EF-6373-4416-8560-41B38BF8BB15");

 protected:
  ~IValueAttributes() = default;
};

// The value classes, made through IHostClasses::createInstance(class, IGuiValue::iid, ...).
constexpr FUID kBoolValueClass = FUID::fromDashed("D2D767F5-A3B7-4B44-8A8A-83FD04C1B489");
constexpr FUID kIntValueClass = FUID::fromDashed("037B1E33-F364-4539-92F2-09B82602C80B");
constexpr FUID kStringValueClass = FUID::fromDashed("96512EB9-2DE8-4960-B268-4A131CF7C5F8");
constexpr FUID kListValueClass = FUID::fromDashed("5730772A-32DA-4950-BD57-EC7C821EDC4E");

// Told when a window closes. Not reference counted: the listener removes itself before it goes
// away.
class ICloseWindowNotification {
 public:
  // The window closed; it is still valid during this call. [host thread]
  virtual void windowClosed(IHostWindow* window) noexcept = 0;

 protected:
  ~ICloseWindowNotification() = default;
};

// A window the registry opened.
class IHostWindow : public FUnknown {
 public:
  // Raises the window above the others. [host thread]
  virtual tresult bringToFront() noexcept = 0;
  // Makes the window visible. [host thread]
  virtual tresult show() noexcept = 0;
  // Adds a listener told when the window closes; not referenced. [host thread]
  virtual tresult addCloseNotification(ICloseWindowNotification* listener) noexcept = 0;
  // Removes it again; not called from inside windowClosed of another listener. [host thread]
  virtual tresult removeCloseNotification(ICloseWindowNotification* listener) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("2C8E5D14-7A39-4F60-B2D1-6E94A0C37F85");

 protected:
  ~IHostWindow() = default;
};

// Loads skin packages and opens windows from their templates.
class IPanelRegistry : public FUnknown {
 public:
  // Loads the skin package stored in `module`'s resources as raw data under `fileName`;
  // kResultOk when it was read and checked (again for a package already loaded). [host thread]
  virtual tresult loadSkinPackage(void* module, const char16* fileName) noexcept = 0;
  // Opens a window of the template `templateName` of a loaded package, bound to `controller`
  // (referenced by the window until it closes), and stores it, one reference for the caller,
  // in *window; kResultFalse and null when there is no such template. A control whose name the
  // controller does not answer stays unbound (the host reports it). The window is hidden until
  // shown. [host thread]
  virtual tresult openWindow(const char8* templateName, IPlugController* controller,
                             IHostWindow** window) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("83424C65-EFD3-4800-BD10-8C370499F9D4");

 protected:
  ~IPanelRegistry() = default;
};

// The host's "Devices" menu (and its other menus by name).
class IDevicesMenu : public FUnknown {
 public:
  // Adds the entry `title` to the menu `menu`; picking it runs the command (category, command)
  // through the command catalogue, which the host knows from then on. `flags` is 0.
  // kResultOk when added. [host thread]
  virtual tresult addEntry(void* module, const char16* menu, const char16* title, int32 flags,
                           const char16* category, const char16* command) noexcept = 0;
  // Removes every entry `module` added, and their commands. [host thread]
  virtual tresult removeEntries(void* module) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("A42A9119-161E-4547-98A2-6FB769140E24");

 protected:
  ~IDevicesMenu() = default;
};

}  // namespace Brennholt::Hox
