// Message helpers shared by the protocol tests.
#pragma once

#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "core/Types.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFilters.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"

namespace ProtocolTest {

using Bytes = std::vector<Brennholt::uint8>;
constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

// Header, address, data and F7.
Bytes message(const Brennholt::SysExFormat::Header& header, Brennholt::uint8 high,
              Brennholt::uint8 low, const Bytes& data = {});

// The bytes of a built message. A builder's message is exactly as long as its address's fixed
// length (the test fails otherwise); an empty result stands for no message.
Bytes take(Brennholt::SysExPtr built);

// The first `size` bytes of `msg` (all of them by default) decoded as a receiver does; the test
// fails, and the view is empty, when they have no header and address.
Brennholt::SysExView view(const Bytes& msg, std::size_t size = kWhole);

// The remote's route for the first `size` bytes of a service message.
Brennholt::ServiceMessageRoute route(const Bytes& msg, std::size_t size = kWhole);

// Data bytes [from, from+count) of a message as text.
std::string textAt(const Bytes& msg, std::size_t from, std::size_t count);

}  // namespace ProtocolTest
