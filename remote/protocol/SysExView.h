// One message as a receiver reads it: its bytes, their number, and the header and address
// decoded from them once.
//
// A receiver decodes each message once where it arrives (the remote a keyboard frame and each
// service message, the service each message from the remotes) and hands the view to whatever
// looks at the message after that: the filters, the dispatch and the readers. The view owns
// nothing; it is valid while the bytes are.
#pragma once

#include <cstddef>
#include <optional>

#include "core/Types.h"
#include "remote/protocol/SysExFormat.h"

namespace Brennholt {

struct SysExView {
  const uint8* bytes = nullptr;
  std::size_t size = 0;
  SysExDirection direction = SysExDirection::HostToKeyboard;
  SysExForm form = SysExForm::Data;
  SysExAddress address{};

  // Decodes bytes 0..8. Nothing when fewer than nine bytes are there or bytes 0..6 are none of
  // the four headers.
  static std::optional<SysExView> read(const uint8* bytes, std::size_t size);

  // The address has a known length, the message holds that many bytes and the last of them is
  // F7.
  bool hasValidLength() const;
  // The first data byte (byte 9) is there.
  bool hasDataByte() const { return size > SysExFormat::kDataPos; }
};

}  // namespace Brennholt
