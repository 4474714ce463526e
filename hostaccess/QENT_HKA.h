// The keyboard service for the QENT6/QENT8: the host check, the dispatch of the keyboard's
// messages and the messages the keyboard displays, on top of CommonBase_HKA's life cycle.
//
// Created by the factory for the "Service" category, one per process. Everything here runs on
// the host thread.
#pragma once

#include <cstddef>
#include <string_view>

#include "hostaccess/CommonBase_HKA.h"

namespace Brennholt {

class QENT_HKA : public CommonBase_HKA {
 public:
  // The class identifier the factory offers the service under (16 bytes in memory order).
  static constexpr FUID kClassId = FUID::fromMemoryHex("F255F29D5E18724489733758D4409CE3");

  // Reference count 1, owned by the caller.
  QENT_HKA();

  // Whether the service runs on this host: valid information, not the LE edition, and at least
  // version 6 of the Morvane line or version 7 of every other edition.
  static bool isSupportedHost(const DAWInfo& info);

  // --- IActionHandler ------------------------------------------------------------------------

  // The keyboard's actions arrive with the setup work; until then nothing is handled: 1.
  // [host thread]
  tresult onAction(const char16* category, const char16* name, int32 queryOnly) noexcept override;

 protected:
  ~QENT_HKA() override;

  // Sorts one keyboard message by header and address and hands it to its handler; messages
  // without the keyboard-to-host data header are ignored. [host thread]
  void handleMessage(const SysExView& message) override;
  // Reads the host information from `context` into hostInfo_ and answers isSupportedHost.
  // [host thread]
  bool isHostSupported(FUnknown* context) override;
  // Actions and the setup panel start here with the setup work; nothing yet. [host thread]
  void onFirstIdle() override;
  // Their clean-up; nothing yet. [host thread]
  void onShutdown() override;

  // Knob names and values come with the knob work; nothing is sent yet. [host thread]
  void sendAllNames() override;
  void sendAllValues() override;
  void sendName(int32 knob) override;
  void sendValue(int32 knob) override;
  // 50 00 with the first 12 bytes of `name`, padded with spaces, to every remote; nothing for
  // an empty name. [host thread]
  void sendTargetName(std::string_view name) override;
  // Needs the current channel and target; comes with the target work. [host thread]
  void sendInstrumentState() override;

  // A remote said hello (56 01); the answer that sends the keyboard's display comes with the
  // target and setup work.
  bool helloPending_ = false;
};

}  // namespace Brennholt
