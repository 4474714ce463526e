// The host's remote-device contract: the remote object the module implements (IHWRemote,
// IHWRemote2), the host link handed to it at attach, the binding target on which it declares
// pages and bindings, and the host functions whose parameters it assigns to elements.
//
// All calls run on the host thread.
#pragma once

#include <cstddef>

#include "sdk/IPluginBase.h"

namespace Brennholt::Hox {

// One control of the device. The host keeps the pointer: records live as long as the module.
struct ElementRecord {
  const char* name;  // element name, also used to refer to the element in bindings
  uint8 status;      // MIDI status including channel: 0xB0 control change, 0x90 note-on
  uint8 channel;     // 0
  uint16 number;     // controller or note number
  int32 maxValue;    // 127
  int32 flags;       // 5 knob or dial, 1 plain button, 0x23 button with a lamp
};
static_assert(offsetof(ElementRecord, status) == 8);
static_assert(offsetof(ElementRecord, number) == 10);
static_assert(offsetof(ElementRecord, maxValue) == 12);
static_assert(offsetof(ElementRecord, flags) == 16);
static_assert(sizeof(ElementRecord) == 24);

// A SysEx message the host received from the device; opaque to the remote.
using SysExHandle = const void*;

// A host function (e.g. the jog wheel) whose parameters can be assigned to elements.
class IHostFunction : public FUnknown {
 public:
  // Ties the function's parameter to an element on a page. [host thread]
  virtual tresult assignParameter(const char* parameterName, const char* elementName,
                                  const char* pageName) noexcept = 0;
  // Sets a marker such as "Default:Assignable". [host thread]
  virtual tresult setAttribute(const char* attribute) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("A4C6E8F0123446688AACCEE002244668");

 protected:
  ~IHostFunction() = default;
};

// The object on which the remote declares its pages and bindings ("Mixer").
class IBindingTarget : public FUnknown {
 public:
  // Declares a page of bindings. [host thread]
  virtual tresult addPage(const char* pageName) noexcept = 0;
  // Ties an element to a host value; the selector and flags mean what the host says. [host thread]
  virtual tresult bindValue(const char* pageName, const char* elementName, const char* objectName,
                            int32 channelSelector, const char* valueName, int32 flags) noexcept = 0;
  // Ties an element to a host command. [host thread]
  virtual tresult bindCommand(const char* pageName, const char* elementName, const char* category,
                              const char* commandName, int32 flags) noexcept = 0;
  // Finds a host function by name and category; one reference for the caller, or null.
  // [host thread]
  virtual tresult findFunction(const char* name, const char* category, int32 flag, int32 selector,
                               IHostFunction** function) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("B5D7F9011345577799BBDDFF11335579");

 protected:
  ~IBindingTarget() = default;
};

// The host's side of one remote device. Not reference-counted: valid from attach to detach.
class IRemoteHostLink {
 public:
  // Sets a configuration option by four-character code. [host thread]
  virtual tresult setOption(uint32 code, int32 value) noexcept = 0;
  // The host's own activation work. [host thread]
  virtual tresult onActivate() noexcept = 0;
  // The host's own deactivation work. [host thread]
  virtual tresult onDeactivate() noexcept = 0;
  // Answers the query the host forwards through the remote. [host thread]
  virtual tresult forwardedQuery() noexcept = 0;
  // The binding target of that name with one reference for the caller, or null. [host thread]
  virtual IBindingTarget* getBindingTarget(const char* name) noexcept = 0;
  // Default handling of a SysEx the remote does not read. [host thread]
  virtual tresult defaultSysEx(SysExHandle message) noexcept = 0;
  // The bytes of a received SysEx and their count; null when none. The bytes stay valid during
  // the current call. [host thread]
  virtual const uint8* sysExBytes(SysExHandle message, int32* length) noexcept = 0;
  // Default handling of an element value: runs the element's binding on the active page.
  // [host thread]
  virtual tresult defaultElementValue(int32 element, int32 value) noexcept = 0;
  // Sends a value back to an element of the device (lamps). [host thread]
  virtual tresult setElementValue(const ElementRecord* record, int32 element,
                                  int32 value) noexcept = 0;
  // Sends a complete F0..F7 message of `length` bytes to the device's output port; the bytes are
  // copied before the call returns. [host thread]
  virtual tresult sendSysEx(const uint8* message, int32 length) noexcept = 0;
  // Shows a short text in the host (the dial's mode name). [host thread]
  virtual tresult showText(const char* text) noexcept = 0;
  // Registers one element; the record must outlive the link. [host thread]
  virtual tresult addElement(const ElementRecord* record) noexcept = 0;

 protected:
  ~IRemoteHostLink() = default;
};

class IHWRemote : public IPluginBase {
 public:
  // Takes the host link, registers elements and bindings, opens the remote's channel.
  // [host thread]
  virtual bool attach(IRemoteHostLink* hostLink) noexcept = 0;
  // Closes the channel and stops the remote's worker; the link is not used afterwards.
  // [host thread]
  virtual bool detach() noexcept = 0;
  // The device was switched on: the remote may talk to the device. [host thread]
  virtual tresult activate() noexcept = 0;
  // The device is being switched off: the remote stops talking to it. [host thread]
  virtual tresult deactivate() noexcept = 0;
  // A query the host passes through the remote to the link. [host thread]
  virtual tresult forwardedQuery() noexcept = 0;
  // The device moved a registered element. [host thread]
  virtual tresult onElementValue(int32 element, int32 value) noexcept = 0;
  // The device sent a SysEx. [host thread]
  virtual tresult onSysEx(SysExHandle message) noexcept = 0;
  // The host sets an element's value (lamps). [host thread]
  virtual tresult onElementFeedback(const ElementRecord* record, int32 element,
                                    int32 value) noexcept = 0;
  // Raw data from the device; the module does not use it. [host thread]
  virtual tresult onRawData(const uint8* bytes, int32 a, int32 b) noexcept = 0;
  // An object from the host; the module does not use it. [host thread]
  virtual tresult onObject(void* object) noexcept = 0;
  // Bytes from the host; the module does not use them. [host thread]
  virtual tresult onBytes(const uint8* bytes) noexcept = 0;
  // The page of that name became active. [host thread]
  virtual tresult onPageChanged(const char* pageName) noexcept = 0;
  // One slice of idle time. [host thread]
  virtual tresult onIdle() noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("7B0D858320C1D811A143000A959B31C6");

 protected:
  ~IHWRemote() = default;
};

class IHWRemote2 : public IHWRemote {
 public:
  // Unused extension; answers false. [host thread]
  virtual bool onExtension(int32 a, int32 b) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("CDC600DEB145B045A11E2183CBE1644A");

 protected:
  ~IHWRemote2() = default;
};

// Packs a four-character option code big-endian ('midi' -> 0x6D696469).
constexpr uint32 fourCC(const char (&code)[5]) {
  return (static_cast<uint32>(static_cast<uint8>(code[0])) << 24) |
         (static_cast<uint32>(static_cast<uint8>(code[1])) << 16) |
         (static_cast<uint32>(static_cast<uint8>(code[2])) << 8) |
         static_cast<uint32>(static_cast<uint8>(code[3]));
}

}  // namespace Brennholt::Hox
