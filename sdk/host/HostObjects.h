// The host's object tree: projects, tracks, the mixer and its channels, instruments and their
// parameters, as named objects whose members are keyed values, and the dependency service that
// reports their changes.
//
// Ownership: every operation that answers an object or a value through an out-pointer hands the
// caller one reference, which the caller releases (IPtr). Texts the host hands back are written
// into caller buffers of a stated capacity (in characters, terminating zero included) and are
// always terminated; a text that does not fit is cut. Names and keys are 8-bit and compared
// exactly; titles and value texts are UTF-16.
//
// Every operation is called on the host thread.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt::Hox {

class IHostValue;

// One object of the tree.
class IHostObject : public FUnknown {
 public:
  // The object's identifier in the tree, compared with path components and channel kinds;
  // valid while the caller holds the object. Never null. [host thread]
  virtual const char* name() noexcept = 0;
  // Writes the display title; 0 when the object has one (an empty text otherwise). [host thread]
  virtual tresult getTitle(char16* text, int32 capacity) noexcept = 0;
  // Number of children. [host thread]
  virtual int32 childCount() noexcept = 0;
  // Child `index` (0-based) or null and 1 when there is none. [host thread]
  virtual tresult getChild(int32 index, IHostObject** child) noexcept = 0;
  // The member value of that key or null and 1. [host thread]
  virtual tresult getMember(const char* key, IHostValue** value) noexcept = 0;
  // The display text the object gives for a value's tag; 1 (and an empty text) when none.
  // [host thread]
  virtual tresult getTagTitle(int32 tag, char16* text, int32 capacity) noexcept = 0;
  // 0 when the object is of the class named by `word` ("track"), else 1. [host thread]
  virtual tresult isClass(const char* word) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("6A1D3C5E7F90412B8C4D6E8FA0B1C2D3");

 protected:
  ~IHostObject() = default;
};

// A keyed value of an object: integers for selections and stepped values, and its text.
class IHostValue : public FUnknown {
 public:
  // The object the value belongs to, or null and 1. [host thread]
  virtual tresult getOwner(IHostObject** owner) noexcept = 0;
  // A number the owner's getTagTitle understands. [host thread]
  virtual int32 tag() noexcept = 0;
  // The value as an integer and its integer range. [host thread]
  virtual int32 intValue() noexcept = 0;
  virtual int32 intMinimum() noexcept = 0;
  virtual int32 intMaximum() noexcept = 0;
  // Sets the integer value, clamped to the range; `notify` tells the value's dependents.
  // [host thread]
  virtual tresult setIntValue(int32 value, int32 notify) noexcept = 0;
  // Writes the value's display text (at most 256 characters are ever written). [host thread]
  virtual tresult getText(char16* text, int32 capacity) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("7B2E4D6F80A1423C9D5E7F90B1C2D3E4");

 protected:
  ~IHostValue() = default;
};

// The continuous side of a value that automation can move; values of instruments, channels,
// quick controls and equalisers answer it.
class IHostParameter : public FUnknown {
 public:
  // Plain value and its range. [host thread]
  virtual double plainValue() noexcept = 0;
  virtual double plainMinimum() noexcept = 0;
  virtual double plainMaximum() noexcept = 0;
  // Sets the plain value, clamped to the range. [host thread]
  virtual tresult setPlainValue(double value, int32 notify) noexcept = 0;
  // 0 and the normalized value (0..1) when the value has one, else 1. [host thread]
  virtual tresult getNormalized(double* value) noexcept = 0;
  // [host thread]
  virtual tresult setNormalized(double value, int32 notify) noexcept = 0;
  // 0 and the plain default when the value has one, else 1. [host thread]
  virtual tresult getDefault(double* value) noexcept = 0;
  // The host's kind code: 1 marks integer values, 2 and above stepped ones. [host thread]
  virtual int32 kindCode() noexcept = 0;
  // Opens (1) or closes (0) an edit gesture. [host thread]
  virtual tresult edit(int32 open) noexcept = 0;
  // Writes the display text (at most 256 characters). [host thread]
  virtual tresult getText(char16* text, int32 capacity) noexcept = 0;
  // Sets the value from a display text; 1 when the text means nothing to the value.
  // [host thread]
  virtual tresult setFromText(const char16* text, int32 notify) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("8C3F5E7091B2434DAE6F80A1C2D3E4F5");

 protected:
  ~IHostParameter() = default;
};

// The automatable parameters of a plug-in object (an instrument) and its sub-objects.
class IHostParameterList : public FUnknown {
 public:
  // Number of parameters and the identifier at `index`. [host thread]
  virtual int32 parameterCount() noexcept = 0;
  virtual int32 parameterId(int32 index) noexcept = 0;
  // The value of parameter `id`, or null and 1. [host thread]
  virtual tresult getParameter(int32 id, IHostValue** value) noexcept = 0;
  // The parameter's title; 1 and an empty text when it has none. [host thread]
  virtual tresult getParameterTitle(int32 id, char16* text, int32 capacity) noexcept = 0;
  // Sub-objects with parameter lists of their own, in child order. [host thread]
  virtual int32 subObjectCount() noexcept = 0;
  virtual tresult getSubObject(int32 index, IHostObject** object) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("9D4061A2B3C4454EBF7091B2D3E4F506");

 protected:
  ~IHostParameterList() = default;
};

// The plug-ins inserted in a channel.
class IHostPluginList : public FUnknown {
 public:
  // [host thread]
  virtual int32 pluginCount() noexcept = 0;
  // Plug-in `index` or null and 1. [host thread]
  virtual tresult getPlugin(int32 index, IHostObject** plugin) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("AE5172B3C4D5465FC08192A3E4F50617");

 protected:
  ~IHostPluginList() = default;
};

// A track of the project.
class IHostTrack : public FUnknown {
 public:
  // 1 when the track is selected. [host thread]
  virtual int32 selectedState() noexcept = 0;
  // 0 when the track's own selection list marks it selected, else 1. [host thread]
  virtual tresult isMarkedSelected() noexcept = 0;
  // The track's mixer channel, or null and 1 (a folder). [host thread]
  virtual tresult getChannel(IHostObject** channel) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("BF6283C4D5E6476AD192A3B4F5061728");

 protected:
  ~IHostTrack() = default;
};

// An instrument as the host's instrument list holds it.
class IHostInstrument : public FUnknown {
 public:
  // 0 when the instrument plays the mixer channel `channel`, else 1. [host thread]
  virtual tresult isConnectedTo(IHostObject* channel) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("C07394D5E6F7487BE2A3B4C5061728A9");

 protected:
  ~IHostInstrument() = default;
};

// The project the project service reports as active answers this.
class IHostProject : public FUnknown {
 public:
  // The top-level track list: an object whose children are the tracks. [host thread]
  virtual tresult getTrackList(IHostObject** tracks) noexcept = 0;
  // 0 while the project's track list may be searched, 1 while the host is rebuilding it.
  // [host thread]
  virtual tresult isReady() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("D184A5E6F708498CF3B4C5D6172839BA");

 protected:
  ~IHostProject() = default;
};

// Kernel service: the roots of the tree.
class IObjectTreeService : public FUnknown {
 public:
  // The root object; paths are resolved from its children. [host thread]
  virtual tresult getRoot(IHostObject** root) noexcept = 0;
  // The root's instrument list: its children are the rack entries, each holding its instrument
  // as first child. [host thread]
  virtual tresult getInstrumentList(IHostObject** list) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("E295B6F708194A9D04C5D6E7283940CB");

 protected:
  ~IObjectTreeService() = default;
};

// Told about changes of watched objects and values.
class IDependent : public FUnknown {
 public:
  static constexpr int32 kChanged = 1;
  static constexpr int32 kGoingAway = 2;

  // `changed` is the object or value that was watched (compare by pointer); `message` is
  // kChanged or kGoingAway. Never called from inside one of the caller's own host calls.
  // [host thread]
  virtual void update(FUnknown* changed, int32 message) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("F3A6C70819204BAE15D6E7F8394A51DC");

 protected:
  ~IDependent() = default;
};

// Kernel service: registers dependents of objects and values. The host holds no reference to
// the dependent; the caller removes it before it goes away.
class IDependencyService : public FUnknown {
 public:
  // 0 when done. [host thread]
  virtual tresult addDependent(FUnknown* object, IDependent* dependent) noexcept = 0;
  // 0 when the dependent was registered on the object. [host thread]
  virtual tresult removeDependent(FUnknown* object, IDependent* dependent) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("04B7D8192A314CBF26E7F8094A5B62ED");

 protected:
  ~IDependencyService() = default;
};

}  // namespace Brennholt::Hox
