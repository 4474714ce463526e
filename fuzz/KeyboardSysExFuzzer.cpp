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

using namespace Brennholt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As the service meets it: whatever a remote copied out of the port.
  uint8* frame = InboundFrame::copy(data, size);
  if (frame != nullptr) {
    const std::size_t frameSize = InboundFrame::kBufferSize;
    if (SysExFilters::acceptInbound(frame, frameSize)) {
      switch (ServiceDispatch::classify(frame, frameSize)) {
        case ServiceMessageKind::KeyboardName: {
          std::string_view name;
          ServiceDispatch::readName(frame, frameSize, name);
          break;
        }
        case ServiceMessageKind::AssignmentDump: {
          KnobAssignment::Table table{};
          KnobAssignment::parseDump(frame, frameSize, table);
          break;
        }
        case ServiceMessageKind::AssignmentEntry: {
          int32 knob = 0;
          KnobAssignment out;
          KnobAssignment::parseEntry(frame, frameSize, knob, out);
          break;
        }
        case ServiceMessageKind::KnobTurn: {
          int32 knob = 0, steps = 0;
          ServiceDispatch::readKnobTurn(frame, frameSize, knob, steps);
          break;
        }
        default: {
          uint8 value = 0;
          ServiceDispatch::readDataByte(frame, frameSize, value);
          break;
        }
      }
    }
    SysExBuffer::release(frame);
  }
  // As an exactly sized message, where a reader past the end would be caught.
  SysExFilters::routeServiceMessage(data, size);
  SysExFilters::prunedByTextLine(data, size);
  uint8 value = 0;
  ServiceDispatch::readDataByte(data, size, value);
  KnobAssignment::Table table{};
  KnobAssignment::parseDump(data, size, table);
  int32 knob = 0;
  KnobAssignment entry;
  KnobAssignment::parseEntry(data, size, knob, entry);
  return 0;
}
