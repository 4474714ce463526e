// The keyboard service for the QENT6/QENT8: the host check, the dispatch of the keyboard's
// messages, the messages the keyboard displays, the keyboard's host actions and the extension
// setup, on top of CommonBase_HKA.
//
// Created by the factory for the "Service" category, one per process. Everything here runs on
// the host thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "extsetup/CExtSetupPanelController.h"
#include "extsetup/IExtSetupInfoMonitor.h"
#include "hostaccess/CommonBase_HKA.h"

namespace Brennholt {

class QENT_HKA : public CommonBase_HKA, public IExtSetupInfoMonitor {
 public:
  // The class identifier the factory offers the service under (16 bytes in memory order).
  static constexpr FUID kClassId = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");
  // The category of the keyboard's host actions.
  static constexpr const char* kActionCategory = "QENT6/QENT8";

  // Reference count 1, owned by the caller. `module` is the module whose resources hold the
  // setup window's skin; may be null.
  explicit QENT_HKA(void* module = nullptr);

  // Whether the service runs on this host: valid information, not the LE edition, and at least
  // version 6 of the Morvane line or version 7 of every other edition.
  static bool isSupportedHost(const DAWInfo& info);

  // --- IActionHandler ------------------------------------------------------------------------

  // The keyboard's actions: "Open Browser", the setup window, and switching the current
  // channel's EQ bands. With `queryOnly` nothing is done, only answered. 0 for an action of the
  // keyboard's category that is handled here, 1 otherwise. [host thread]
  tresult onAction(const char16* category, const char16* name, int32 queryOnly) noexcept override;

  // --- IExtSetupInfoMonitor (called by the setup controller) ----------------------------------

  // Sends that button's label. [host thread]
  void displayNameChanged(int32 button) noexcept override;
  // Sends the current memory, its name and its six labels. [host thread]
  void memoryChanged(int32 memory) noexcept override;
  // Sends the option to the keyboard. [host thread]
  void jogStopChanged(bool flag) noexcept override;

 protected:
  // Unregisters the actions when terminate did not.
  ~QENT_HKA() override;

  // Sorts one keyboard message by header and address and hands it to its handler; messages
  // without the keyboard-to-host data header are ignored, and so is every message shorter than
  // its address's length or not ending in F7 there. A remote's hello (56 01) is answered at
  // once with the display: its text line then goes out before whatever the keyboard's next
  // messages make the service send, and the remote drops no knob texts for it. [host thread]
  void handleMessage(Hox::IHostKernel* kernel, const SysExView& message) override;
  // Reads the host information from `context` into hostInfo_ and answers isSupportedHost.
  // [host thread]
  bool isHostSupported(FUnknown* context) override;
  // Sets up the extension setup with its factory table, registers the setup window's command
  // in the "Devices" menu when its skin loaded, and shows the option; then registers the action
  // handler and the actions. [host thread]
  void onFirstIdle(Hox::IHostKernel* kernel) override;
  // Unregisters the setup's command, the actions and the action handler. [host thread]
  void onShutdown(Hox::IHostKernel* kernel) override;

  // 30+n 09 for every knob / for knob n: its leader's 24-character name. [host thread]
  void sendAllNames() override;
  void sendName(int32 knob) override;
  // 30+n 21 for every knob / for knob n: its leader's 8-character value text. [host thread]
  void sendAllValues(Hox::IHostKernel* kernel) override;
  void sendValue(Hox::IHostKernel* kernel, int32 knob) override;
  // 50 00 with the first 12 bytes of `name`, padded with spaces, to every remote; nothing for
  // an empty name. [host thread]
  void sendTargetName(std::string_view name) override;
  // 60 00: the value's text, 24 characters; blank for null. [host thread]
  void sendObjectTitle(Hox::IHostValue* value) override;
  // 63 00: 1 for a MIDI channel without a target instrument, else 0. [host thread]
  void sendInstrumentState() override;

  // 62 00: the current memory's name, 16 characters; nothing when it is empty. [host thread]
  void sendMemoryName();
  // 61 6k: the label of function key k (0..5) in the current memory, 6 characters; nothing when
  // the setup has no such button. [host thread]
  void sendButtonName(int32 key);
  // 22 00: the current setup memory. [host thread]
  void sendMemory(int32 memory);
  // 23 00: the "JogStop" option. [host thread]
  void sendJogStop(bool flag);

  CExtSetupPanelController setupController_;

 private:
  // What the hello and remote mode answer with: the text line, the six labels, the state flag
  // (and, for the hello, the current memory).
  void sendDisplay(bool withMemory);
  // The action handler and the actions, in their order, with the catalogue.
  void registerActions(Hox::IHostKernel* kernel);
  void unregisterActions(Hox::IHostKernel* kernel);
  // The EQ actions on the current channel; nothing without one or on a MIDI channel.
  void switchAllEqs();
  void toggleEq(int32 band);
  void stepEqType(int32 band);
  // The dispatch of onAction without its guard.
  tresult runAction(Hox::IHostKernel* kernel, std::string_view category, std::string_view name,
                    bool queryOnly);

  bool actionsRegistered_ = false;
};

}  // namespace Brennholt
