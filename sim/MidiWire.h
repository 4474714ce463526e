// The cable between the simulated host and a virtual keyboard: complete MIDI messages, one
// direction per receiver. A message is either a channel message of one to three bytes or a
// SysEx from F0 to F7 inclusive. Everything runs on the simulation's own (host) thread; the
// bytes are only valid during the call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QentSim {

class IMidiReceiver {
 public:
  virtual ~IMidiReceiver() = default;
  // Takes one complete message.
  virtual void receiveMidi(const std::uint8_t* bytes, std::size_t length) = 0;
};

}  // namespace QentSim
