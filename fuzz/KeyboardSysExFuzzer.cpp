// Raw keyboard port bytes through everything that reads them: the remote's frame copy and
// inbound filter, the service's dispatch and its readers, and the knob-table parsers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "remote/protocol/InboundFrame.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFilters.h"
#include "remote/protocol/SysExView.h"

using namespace Brennholt;

namespace {

// What the service does with a message the remotes posted: decode once, dispatch, read.
void asTheServiceReadsIt(const SysExView& message) {
  switch (ServiceDispatch::classify(message)) {
    case ServiceMessageKind::KeyboardName: {
      std::string_view name;
      ServiceDispatch::readName(message, name);
      break;
    }
    case ServiceMessageKind::AssignmentDump: {
      KnobAssignment::Table table{};
      KnobAssignment::parseDump(message, table);
      break;
    }
    case ServiceMessageKind::AssignmentEntry: {
      int32 knob = 0;
      KnobAssignment out;
      KnobAssignment::parseEntry(message, knob, out);
      break;
    }
    case ServiceMessageKind::KnobTurn: {
      int32 knob = 0, steps = 0;
      ServiceDispatch::readKnobTurn(message, knob, steps);
      break;
    }
    default: {
      uint8 value = 0;
      ServiceDispatch::readDataByte(message, value);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As the service meets it: whatever a remote copied out of the port and let through.
  const SysExPtr frame = InboundFrame::copy(data, size);
  if (frame) {
    const auto view = SysExView::read(frame.get(), frame.size());
    if (view && SysExFilters::acceptInbound(*view)) asTheServiceReadsIt(*view);
  }
  // As an exactly sized message, where a reader past the end would be caught: the remote's
  // route for a service message, and every reader of the service.
  if (const auto view = SysExView::read(data, size)) {
    std::size_t length = 0;
    SysExFilters::routeServiceMessage(*view, length);
    uint8 value = 0;
    ServiceDispatch::readDataByte(*view, value);
    KnobAssignment::Table table{};
    KnobAssignment::parseDump(*view, table);
    int32 knob = 0;
    KnobAssignment entry;
    KnobAssignment::parseEntry(*view, knob, entry);
    asTheServiceReadsIt(*view);
  }
  return 0;
}
