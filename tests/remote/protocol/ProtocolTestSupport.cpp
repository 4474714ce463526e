#include "ProtocolTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

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

Bytes take(SysExPtr built) {
  if (!built) return {};
  Bytes bytes(built.get(), built.get() + built.size());
  if (bytes.size() > SysExFormat::kAddressLowPos) {
    EXPECT_EQ(bytes.size(), SysExFormat::fixedLength({bytes[SysExFormat::kAddressHighPos],
                                                      bytes[SysExFormat::kAddressLowPos]}));
  } else {
    ADD_FAILURE() << "a built message without an address";
  }
  return bytes;
}

SysExView view(const Bytes& msg, std::size_t size) {
  const auto decoded = SysExView::read(msg.data(), std::min(size, msg.size()));
  if (!decoded) {
    ADD_FAILURE() << "no header and address to decode";
    return {};
  }
  return *decoded;
}

ServiceMessageRoute route(const Bytes& msg, std::size_t size) {
  std::size_t length = 0;
  return SysExFilters::routeServiceMessage(view(msg, size), length);
}

std::string textAt(const Bytes& msg, std::size_t from, std::size_t count) {
  return std::string(msg.begin() + static_cast<std::ptrdiff_t>(from),
                     msg.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace ProtocolTest
