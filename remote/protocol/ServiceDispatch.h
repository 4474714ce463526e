// How the keyboard service sorts the messages the remotes post to it, and the readers for the
// small ones. Only the keyboard-to-host data header (F0 43 10 7F 1C 01 01) is read; the second
// form is ignored even with a valid address. The knob assignments (the entry and the dump) have
// their readers in KnobAssignment; the service reads them with those.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/Types.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"

namespace Brennholt {

enum class ServiceMessageKind {
  Ignored,
  KeyboardName,     // 50 00: the keyboard's name field
  AssignmentDump,   // 51 00: all 24 knob assignments (KnobAssignment::parseDump)
  RemoteMode,       // 56 00: remote-mode state
  AssignmentEntry,  // 30+n 00: one knob assignment (KnobAssignment::parseEntry)
  KnobTurn,         // 30+n 41: relative knob move (readKnobTurn)
  FunctionKey,      // 21 00: function key pressed
  Hello,            // 56 01: a remote is talking to the service
  MemorySelect      // 22 00: SF bank button, select that setup memory
};

class ServiceDispatch {
 public:
  // Selects the handler by header and address alone; lengths are checked by the readers.
  // Knob-range addresses with a low byte other than 00 and 41 are Ignored.
  static ServiceMessageKind classify(const SysExView& message);

  // The data byte of a one-byte message (21 00, 22 00, 56 00, also 23 00 and 63 00). False when
  // the address is not such a message or F7 is not right after the byte.
  static bool readDataByte(const SysExView& message, uint8& out);

  // Reads a knob turn (30+n 41). False, and nothing to do, when n is outside 0..23, F7 is not at
  // byte 10, or the value is 0 (no movement) or 128 and above. Otherwise `steps` is the decoded
  // move: +1..+64 or -1..-63.
  static bool readKnobTurn(const SysExView& message, int32& knob, int32& steps);

  // Reads the 12-byte name field of a 50 00 message, trailing spaces removed. The result points
  // into the message and is valid as long as the message is. False when F7 is not at byte 21.
  static bool readName(const SysExView& message, std::string_view& out);
};

}  // namespace Brennholt
