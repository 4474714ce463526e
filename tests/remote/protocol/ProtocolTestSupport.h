// Message helpers shared by the protocol tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "core/Types.h"
#include "remote/protocol/SysExFormat.h"

namespace ProtocolTest {

using Bytes = std::vector<Brennholt::uint8>;

// Header, address, data and F7.
Bytes message(const Brennholt::SysExFormat::Header& header, Brennholt::uint8 high,
              Brennholt::uint8 low, const Bytes& data = {});

// Takes ownership of a built message, copies exactly its fixed length and frees it. An empty
// result stands for a null message.
Bytes take(Brennholt::uint8* built);

// Data bytes [from, from+count) of a message as text.
std::string textAt(const Bytes& msg, std::size_t from, std::size_t count);

}  // namespace ProtocolTest
