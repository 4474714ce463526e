// The component-standard interfaces a host drives on a plug-in's two halves (processing
// component and edit controller), the records they fill, and the host-side context objects a
// plug-in may ask for (host application, messages, attribute lists, interface support).
//
// Records are filled by the callee into memory the caller owns and has zero-filled. Text in
// records is 16-bit, zero-terminated and cut to its field. Every call arrives on the thread that
// created the plug-in, the host's main thread, unless its comment says otherwise.
#pragma once

#include <cstddef>

#include "core/FUnknown.h"
#include "sdk/IPluginBase.h"

namespace Brennholt {

// 16-bit zero-terminated text of at most 128 units including the terminator.
using String128 = char16[128];
// Key of one attribute in an attribute list: 8-bit zero-terminated text.
using AttrID = const char*;

// ---------------------------------------------------------------- records

// One parameter of an edit controller.
struct ParameterInfo {
  enum : int32 {
    kCanAutomate = 1 << 0,  // the host may record and play back changes
  };
  uint32 id;                      // the plug-in's own parameter number
  String128 title;                // shown to the user
  String128 shortTitle;           // for narrow displays
  String128 units;                // e.g. "dB"
  int32 stepCount;                // 0 = continuous
  double defaultNormalizedValue;  // 0.0 ... 1.0
  int32 unitId;                   // the unit (group) that holds the parameter
  int32 flags;                    // kCanAutomate ...
};
static_assert(sizeof(ParameterInfo) == 792);
static_assert(offsetof(ParameterInfo, id) == 0);
static_assert(offsetof(ParameterInfo, title) == 4);
static_assert(offsetof(ParameterInfo, shortTitle) == 260);
static_assert(offsetof(ParameterInfo, units) == 516);
static_assert(offsetof(ParameterInfo, stepCount) == 772);
static_assert(offsetof(ParameterInfo, defaultNormalizedValue) == 776);
static_assert(offsetof(ParameterInfo, unitId) == 784);
static_assert(offsetof(ParameterInfo, flags) == 788);

enum : int32 {
  kRootUnitId = 0,       // the unit every plug-in has; it contributes no name to a parameter
  kNoParentUnitId = -1,  // parent id of the root unit
  kNoProgramListId = -1,
};

// One unit (group of parameters) of an edit controller; units form a tree through parentUnitId.
struct UnitInfo {
  int32 id;
  int32 parentUnitId;  // negative for the root unit
  String128 name;
  int32 programListId;
};
static_assert(sizeof(UnitInfo) == 268);
static_assert(offsetof(UnitInfo, id) == 0);
static_assert(offsetof(UnitInfo, parentUnitId) == 4);
static_assert(offsetof(UnitInfo, name) == 8);
static_assert(offsetof(UnitInfo, programListId) == 264);

// Category text of the class information record for audio processing classes; instruments carry
// "Instrument" among their sub-categories.
inline constexpr const char* kAudioModuleClass = "Audio Module Class";
inline constexpr const char* kInstrumentSubCategory = "Instrument";

// ---------------------------------------------------------------- host-side objects

class IAttributeList : public FUnknown {
 public:
  // Stores an integer under `id`, replacing any value of any type. [main thread]
  virtual tresult setIntValue(AttrID id, int64 value) noexcept = 0;
  // Reads an integer; kResultFalse (value untouched) when absent or of another type. [main thread]
  virtual tresult getIntValue(AttrID id, int64* value) noexcept = 0;
  // Stores a float under `id`, replacing any value. [main thread]
  virtual tresult setFloatValue(AttrID id, double value) noexcept = 0;
  // Reads a float; kResultFalse (value untouched) when absent or of another type. [main thread]
  virtual tresult getFloatValue(AttrID id, double* value) noexcept = 0;
  // Stores a copy of zero-terminated 16-bit text, terminator included. [main thread]
  virtual tresult setTextValue(AttrID id, const char16* text) noexcept = 0;
  // Copies at most sizeInBytes bytes of the stored text (terminator included when it fits; none
  // is added). [main thread]
  virtual tresult getTextValue(AttrID id, char16* buffer, uint32 sizeInBytes) noexcept = 0;
  // Stores a copy of `size` bytes. [main thread]
  virtual tresult setBinaryValue(AttrID id, const void* data, uint32 size) noexcept = 0;
  // Hands out the stored bytes without copying, valid while the value is unchanged; *size is 0
  // when the key holds no bytes. [main thread]
  virtual tresult getBinaryValue(AttrID id, const void** data, uint32* size) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{1E5F0AEB-CC7F-4533-A254-401138AD5EE4}");

 protected:
  ~IAttributeList() = default;
};

class IMessage : public FUnknown {
 public:
  // The message's identifier text, or null when unset; owned by the message. [main thread]
  virtual const char* messageId() noexcept = 0;
  // Replaces the identifier with a copy of `id`; null clears it. [main thread]
  virtual void setMessageId(const char* id) noexcept = 0;
  // The message's attribute list, created on first use; no reference is added for the caller,
  // who must not release it. [main thread]
  virtual IAttributeList* attributes() noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{936F033B-C6C0-47DB-BB08-82F813C1E613}");

 protected:
  ~IMessage() = default;
};

class IHostApplication : public FUnknown {
 public:
  // Writes the host's name as zero-terminated 16-bit text into the caller's 128 units.
  // [main thread]
  virtual tresult hostName(String128 name) noexcept = 0;
  // Creates a host object (IMessage or IAttributeList, class and interface identifier alike);
  // the caller owns the one reference stored in *object. Null and kResultFalse for any other
  // pair. [main thread]
  virtual tresult createHostObject(const TUID classId, const TUID interfaceId,
                                   void** object) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{58E595CC-DB2D-4969-8B6A-AF8C36A664E5}");

 protected:
  ~IHostApplication() = default;
};

class IPlugInterfaceSupport : public FUnknown {
 public:
  // kResultTrue when the host knows the interface `id`, else kResultFalse. [main thread]
  virtual tresult isSupported(const TUID id) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{4FB58B9E-9EAA-4E0F-AB36-1C1CCCB56FEA}");

 protected:
  ~IPlugInterfaceSupport() = default;
};

// ---------------------------------------------------------------- plug-in side

// Messaging between the two halves of a plug-in; the host may put proxies in between.
class IConnectionPoint : public FUnknown {
 public:
  // Connects to the peer, which the callee keeps a reference to while connected; kResultOk when
  // connected. [main thread]
  virtual tresult connect(IConnectionPoint* other) noexcept = 0;
  // Drops the connection made with `other`. [main thread]
  virtual tresult disconnect(IConnectionPoint* other) noexcept = 0;
  // Delivers a message from the peer; the caller keeps its reference. [main thread]
  virtual tresult notify(IMessage* message) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{70A4156F-6E6E-4026-9891-48BFAA60D8D1}");

 protected:
  ~IConnectionPoint() = default;
};

// The processing half of a plug-in class.
class IComponent : public IPluginBase {
 public:
  // (3, 4: initialize with the host context, terminate; inherited.)
  // Copies the class identifier of the matching edit controller into the 16 bytes at classId;
  // kResultOk when there is one. [main thread]
  virtual tresult getControllerClassId(TUID classId) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{E831FF31-F2D5-4301-928E-BBEE25697802}");

 protected:
  ~IComponent() = default;
};

// The half of a plug-in class that owns parameters and their presentation.
class IEditController : public IPluginBase {
 public:
  // (3, 4: initialize with the host context, terminate; inherited.)
  // Takes over the processing half's state, `size` bytes, as the host restores a project.
  // [main thread]
  virtual tresult setComponentState(const void* data, int32 size) noexcept = 0;
  // Restores the controller's own state from `size` bytes. [main thread]
  virtual tresult setState(const void* data, int32 size) noexcept = 0;
  // Writes the controller's state into `capacity` bytes at data and its full size into *size;
  // kResultFalse when it does not fit (*size still tells how much is needed). [main thread]
  virtual tresult getState(void* data, int32 capacity, int32* size) noexcept = 0;
  // Number of parameters; negative on failure. [main thread]
  virtual int32 getParameterCount() noexcept = 0;
  // Fills the caller's zero-filled record for parameter `index`; kResultOk when filled.
  // [main thread]
  virtual tresult getParameterInfo(int32 index, ParameterInfo* info) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{DCD7BBE3-7742-448D-A874-AACC979C759E}");

 protected:
  ~IEditController() = default;
};

// The unit tree of an edit controller, asked for through the controller.
class IUnitInfo : public FUnknown {
 public:
  // Number of units, root unit included; negative on failure. [main thread]
  virtual int32 getUnitCount() noexcept = 0;
  // Fills the caller's record for unit `index`; kResultOk when filled. [main thread]
  virtual tresult getUnitInfo(int32 index, UnitInfo* info) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("{3D4BD6B5-913A-4FD2-A886-E768A5EB92C1}");

 protected:
  ~IUnitInfo() = default;
};

}  // namespace Brennholt
