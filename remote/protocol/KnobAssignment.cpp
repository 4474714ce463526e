#include "remote/protocol/KnobAssignment.h"

namespace Brennholt {

namespace {

constexpr int32 kDataPos = static_cast<int32>(SysExFormat::kDataPos);
constexpr int32 kBlock = static_cast<int32>(KnobAssignment::kBlockSize);
constexpr char kHexDigits[] = "0123456789ABCDEF";

int32 hexValue(uint8 c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool blockFits(const uint8* buffer, std::size_t size, int32 pos, int32 knob) {
  if (buffer == nullptr || pos < kDataPos) return false;
  if (knob < 0 || knob >= SysExFormat::kKnobCount) return false;
  return static_cast<std::size_t>(pos) + KnobAssignment::kBlockSize <= size;
}

}  // namespace

int32 KnobAssignment::kindFromDigit(uint8 digit) {
  return digit == '0' || digit == '1' ? digit - '0' : 2;
}

uint32 KnobAssignment::fixedParameter(int32 knob) {
  // Three EQ groups of four knobs, each group counting up from its own first identifier.
  static constexpr uint32 kGroupFirst[] = {4135, 4131, 4127};
  if (knob < kFirstFixedKnob || knob >= SysExFormat::kKnobCount) return 0;
  const int32 offset = knob - kFirstFixedKnob;
  return kGroupFirst[offset / 4] + static_cast<uint32>(offset % 4);
}

KnobAssignment KnobAssignment::forKnob(int32 knob, const KnobAssignment& block) {
  if (knob >= kFirstFixedKnob) return {1, fixedParameter(knob)};
  return block;
}

int32 KnobAssignment::parse(const uint8* msg, std::size_t size, int32 pos, int32 knob,
                            KnobAssignment& out) {
  if (!blockFits(msg, size, pos, knob)) return -1;
  if (knob >= kFirstFixedKnob) {
    out = forKnob(knob, {});
    return pos + kBlock;
  }
  const uint8* block = msg + pos;
  uint32 id = 0;
  for (int32 i = 1; i < kBlock; ++i) {
    const int32 digit = hexValue(block[i]);
    if (digit < 0) {
      // A damaged identifier must not bind some unrelated parameter, nor cost the other knobs
      // of a table their assignments: this knob alone becomes unassigned.
      out = {2, 0};
      return pos + kBlock;
    }
    id = (id << 4) | static_cast<uint32>(digit);
  }
  out = {kindFromDigit(block[0]), id};
  return pos + kBlock;
}

int32 KnobAssignment::format(const KnobAssignment& assignment, int32 knob, uint8* buffer,
                             std::size_t bufferSize, int32 pos) {
  if (!blockFits(buffer, bufferSize, pos, knob)) return -1;
  const KnobAssignment value = forKnob(knob, assignment);
  uint8* block = buffer + pos;
  block[0] = static_cast<uint8>('0' + (value.kind >= 0 && value.kind <= 2 ? value.kind : 2));
  for (int32 i = 0; i < 8; ++i) {
    block[8 - i] = static_cast<uint8>(kHexDigits[(value.parameterId >> (4 * i)) & 0xF]);
  }
  return pos + kBlock;
}

bool KnobAssignment::parseEntry(const SysExView& message, int32& knob, KnobAssignment& out) {
  const uint8* msg = message.bytes;
  const std::size_t size = message.size;
  if (message.address.low != SysExFormat::kKnobAssignmentLow) return false;
  const int32 n = SysExFormat::knobFromHigh(message.address.high);
  KnobAssignment parsed;
  const int32 end = parse(msg, size, kDataPos, n, parsed);
  if (end < 0 || static_cast<std::size_t>(end) >= size || msg[end] != SysExFormat::kEnd) {
    return false;
  }
  knob = n;
  out = parsed;
  return true;
}

bool KnobAssignment::parseDump(const SysExView& message, Table& out) {
  const uint8* msg = message.bytes;
  const std::size_t size = message.size;
  if (message.address != SysExFormat::kAssignmentDump) return false;
  Table parsed;
  int32 pos = kDataPos;
  for (int32 knob = 0; knob < SysExFormat::kKnobCount; ++knob) {
    pos = parse(msg, size, pos, knob, parsed[static_cast<std::size_t>(knob)]);
    if (pos < 0) return false;
  }
  if (static_cast<std::size_t>(pos) >= size || msg[pos] != SysExFormat::kEnd) return false;
  out = parsed;
  return true;
}

}  // namespace Brennholt
