#include "ProtocolTestSupport.h"

#include "remote/protocol/SysExBuffer.h"

using namespace Brennholt;

namespace ProtocolTest {

Bytes message(const SysExFormat::Header& header, uint8 high, uint8 low, const Bytes& data) {
  Bytes msg(header.begin(), header.end());
  msg.push_back(high);
  msg.push_back(low);
  msg.insert(msg.end(), data.begin(), data.end());
  msg.push_back(SysExFormat::kEnd);
  return msg;
}

Bytes take(uint8* built) {
  SysExPtr owned{built};
  if (!owned) return {};
  const std::size_t length = SysExFormat::fixedLength(
      {owned[SysExFormat::kAddressHighPos], owned[SysExFormat::kAddressLowPos]});
  return Bytes(owned.get(), owned.get() + length);
}

std::string textAt(const Bytes& msg, std::size_t from, std::size_t count) {
  return std::string(msg.begin() + static_cast<std::ptrdiff_t>(from),
                     msg.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace ProtocolTest
