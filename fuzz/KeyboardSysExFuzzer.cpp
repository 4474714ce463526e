// Raw keyboard port bytes through everything that reads them, in two ways.
//
// The readers alone: the remote's frame copy and inbound filter, the service's dispatch and its
// readers, and the knob-table parsers, each on the input as one message.
//
// The service in a running reference host with the demo project: the module of this build is
// loaded as a host loads it, a keyboard is detected and its remote attached, and the input's
// messages are handed to the service as the inbound worker hands them (a buffer with its size),
// each followed by the idle calls that handle it and the host's notifications that its changes
// cause. The messages are separated after each F7; one that does not start with F0 gets the
// keyboard's data header in front, so the mutations land on the address and the data; the single
// byte 00 moves the clock past the service's timers (the name refresh, the edit timeout). Every
// input starts on a freshly opened demo project, so what one input bound does not carry into
// the next.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hostaccess/QENT_HKA.h"
#include "remote/protocol/InboundFrame.h"
#include "remote/protocol/KnobAssignment.h"
#include "remote/protocol/ServiceDispatch.h"
#include "remote/protocol/SysExBuffer.h"
#include "remote/protocol/SysExFilters.h"
#include "remote/protocol/SysExFormat.h"
#include "remote/protocol/SysExView.h"
#include "sim/host/SimHost.h"

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

// The readers alone, on the input as one message.
void readersAlone(const std::uint8_t* data, std::size_t size) {
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
}

// ---- the service in a running host ----

constexpr std::size_t kMaxMessages = 64;
constexpr std::uint32_t kRoundMs = 10;
constexpr std::uint32_t kPastTimersMs = 2100;

struct Host {
  QentSim::SimHost host;
  QentSim::ProjectDescription demo = QentSim::ProjectDescription::demo();
  IReceiver* service = nullptr;

  Host() {
    host.setModulePath(MODULE_PATH);
    host.setKeyboardCount(1);
    host.openProject(demo);
    std::string error;
    if (!host.start(&error) || !host.serviceAccepted() || host.service() == nullptr) {
      std::fprintf(stderr, "fuzz_keyboard_sysex: host did not start: %s\n", error.c_str());
      std::abort();
    }
    // The host holds the service by its primary base; the module is built from these headers
    // by the same compiler, so the object is laid out as declared here.
    service = static_cast<QENT_HKA*>(host.service());
    // The start-up idle calls: the service waits for the remote, then starts its worker.
    for (int i = 0; i < 10; ++i) round(0);
  }

  void round(std::uint32_t ms) {
    host.setClock(host.clock() + ms);
    host.idleRound();
  }

  void deliver(const std::uint8_t* bytes, std::size_t size) {
    if (size == 1 && bytes[0] == 0) {
      round(kPastTimersMs);
      return;
    }
    SysExPtr message;
    if (size > 0 && bytes[0] == SysExFormat::kStart) {
      message = SysExPtr::copyOf(bytes, size);
    } else {
      message = SysExPtr::allocate(SysExFormat::kHeaderSize + size);
      if (!message) return;
      const auto& header = SysExFormat::kKeyboardToHostData;
      for (std::size_t i = 0; i < SysExFormat::kHeaderSize; ++i) message.get()[i] = header[i];
      for (std::size_t i = 0; i < size; ++i) message.get()[SysExFormat::kHeaderSize + i] = bytes[i];
    }
    if (!message) return;
    service->deliver(std::move(message));
    // Drained by one idle call; knob moves are applied by the next.
    round(kRoundMs);
    round(kRoundMs);
  }
};

Host* host = nullptr;

// The host shuts down in order before the process ends: the module's workers stop and the
// module unloads, instead of meeting static destruction while they still run.
void shutDown() {
  delete host;
  host = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host = new Host();
  std::atexit(shutDown);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readersAlone(data, size);
  // A fresh demo project: the old one goes away with its notifications, the service drops its
  // target and binds the new project's mixer.
  host->host.openProject(host->demo);
  host->round(kRoundMs);
  host->round(kRoundMs);
  std::size_t start = 0;
  std::size_t messages = 0;
  for (std::size_t i = 0; i < size && messages < kMaxMessages; ++i) {
    if (data[i] != SysExFormat::kEnd && i + 1 != size) continue;
    host->deliver(data + start, i + 1 - start);
    start = i + 1;
    ++messages;
  }
  // What the messages left for later: selection, target, refresh, values, edits closing.
  for (int i = 0; i < 4; ++i) host->round(kRoundMs);
  host->round(kPastTimersMs);
  host->round(kRoundMs);
  return 0;
}
