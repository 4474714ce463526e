// The hardware remote's two filters: which keyboard messages it forwards to the service, and
// what it does with each message the service posts to it.
#pragma once

#include <cstddef>

#include "core/Types.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"

namespace Brennholt {

// What the remote does with a message the service posted to it.
enum class ServiceMessageRoute {
  Free,            // not for the keyboard: free it
  SetBank,         // 22 00: store the data byte as the SF bank and light its lamp; free it
  SetJogStop,      // 23 00: data byte non-zero turns the knob manager's inertia off; free it
  Queue,           // append to the outbound queue
  QueueAfterPrune  // 60 00: first drop queued messages that prunedByTextLine() names, then append
};

class SysExFilters {
 public:
  // Inbound address rule: knob range 30..48 only with address low 00; otherwise only 50 00,
  // 51 00 and 56 00. Keyboard knob moves (30+n 41) are dropped: the remote builds its own from
  // control changes.
  static bool inboundAddress(SysExAddress address);

  // A keyboard message the remote forwards: either keyboard-to-host header and an inbound
  // address.
  static bool acceptInbound(const SysExView& message);

  // Outbound address rule: knob range with address low 09 or 21; 50 00, 52 00, 53 00, 56 01,
  // 60 00, 62 00, 63 00; 61 with address low 00, 06, 0C, 12, 18 or 1E.
  static bool outboundAddress(SysExAddress address);

  // Decides the fate of a service message (the remote's own inactive state is checked before
  // this). A message without a host-to-keyboard header goes to Free. 22 00 and 23 00 need only
  // their data byte. A message for the keyboard whose F7 is not where its address puts it (or,
  // for 52 00 and 53 00, which have no fixed length, one without any F7 in it) goes to Free as
  // well: the keyboard's port sends up to F7, so it would read past the message. For the Queue
  // routes `sendLength` is set to the bytes that go to the keyboard: the address's fixed length,
  // or for 52 00 and 53 00 everything up to and including the first F7; otherwise it is 0.
  static ServiceMessageRoute routeServiceMessage(const SysExView& message, std::size_t& sendLength);

  // True for a queued message that a new text line supersedes: address low 09 or 21 (the
  // per-knob name and value texts).
  static bool prunedByTextLine(SysExAddress address);
};

}  // namespace Brennholt
