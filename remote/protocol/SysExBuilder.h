// Builds every message the remote, the service and the keyboard side send.
//
// Ownership: each operation returns ONE message of exactly its fixed length (F0 .. F7, the
// length SysExFormat::fixedLength gives its address) in a SysExPtr that knows that length; the
// caller owns it and lets it go, or hands it on (e.g. posts it to a channel) together with its
// length. An empty result means invalid input or no memory. Text arguments are read only within
// their std::string_view.
#pragma once

#include <string_view>

#include "core/Types.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

class SysExBuilder {
 public:
  // --- any address -------------------------------------------------------------------------

  // Header, address, zeroed data of the address's fixed length and F7. Empty for an address
  // without a known length. Senders that write their own data field (the service's value text
  // goes through its own formatter) start from this.
  static SysExPtr frame(SysExDirection direction, SysExAddress address,
                        SysExForm form = SysExForm::Data);

  // --- remote to service (keyboard-to-host data header) -------------------------------------

  // 30+n 41: knob n (0..23) moved by the relative value `value` (0..127, see RelativeEncoding).
  static SysExPtr knobMove(int32 knob, int32 value);
  // 21 00: function key 0..5 ("F1".."F6") pressed.
  static SysExPtr functionKey(int32 key);
  // 22 00: SF bank button 0..5 ("SFBank1".."SFBank6") sent a value.
  static SysExPtr bankButton(int32 bank);
  // 56 01: the remote is talking; posted to the service on the first active idle call.
  static SysExPtr helloToService();

  // --- remote to keyboard -------------------------------------------------------------------

  // 56 01 with the host-to-keyboard header: F0 43 10 7F 1C 00 01 56 01 F7.
  static SysExPtr helloToKeyboard();

  // --- service to remotes (host-to-keyboard data header) ------------------------------------

  // 22 00: the current setup memory 0..5 (the remote lights its SF bank lamp).
  static SysExPtr memory(int32 memory);
  // 23 00: the "JogStop" option.
  static SysExPtr jogStop(bool on);
  // 30+n 09: name of the parameter on knob n (0..23), 24 characters, fixed-width rule.
  static SysExPtr knobName(int32 knob, std::string_view name);
  // 30+n 21: value text of knob n (0..23), 8 characters under the fixed-width rule, then 00 00.
  static SysExPtr knobValue(int32 knob, std::string_view text);
  // 50 00: the first 12 bytes of the target name unchanged, padded with spaces. Empty for an
  // empty name: that message is never sent.
  static SysExPtr targetName(std::string_view name);
  // 60 00: the text line, 24 characters, fixed-width rule; an empty text blanks the line.
  static SysExPtr textLine(std::string_view text);
  // 61 6k: label of function key k (0..5), 6 characters, fixed-width rule; byte 8 is 6·k.
  static SysExPtr buttonName(int32 key, std::string_view label);
  // 62 00: name of the current setup memory, 16 characters, fixed-width rule. Empty for an
  // empty name: that message is never sent.
  static SysExPtr memoryName(std::string_view name);
  // 63 00: the service's instrument state flag.
  static SysExPtr instrumentState(bool on);

  // --- keyboard to host (what the keyboard itself sends; for its emulator and for tests) ----

  // 50 00: the keyboard's 12-character name field, unchanged, padded with spaces.
  static SysExPtr keyboardName(std::string_view name, SysExForm form = SysExForm::Data);
  // 30+n 00: one assignment block for knob n (0..23).
  static SysExPtr assignmentEntry(int32 knob, const KnobAssignment& assignment,
                                  SysExForm form = SysExForm::Data);
  // 51 00: all 24 assignment blocks, knob 0 first.
  static SysExPtr assignmentDump(const KnobAssignment::Table& table,
                                 SysExForm form = SysExForm::Data);
  // 56 00: remote-mode state (1 = remote mode entered), 0..127.
  static SysExPtr remoteMode(int32 state, SysExForm form = SysExForm::Data);
};

}  // namespace Brennholt
