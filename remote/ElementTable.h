// The keyboard's 55 controls as the host sees them (elements), and the default bindings the
// remote declares for them. The index of a record is the element index used everywhere in the
// remote. The host keeps pointers to the records, so the table is static and lives as long as
// the module.
#pragma once

#include "sdk/host/RemoteDevice.h"

namespace Brennholt {

class ElementTable {
 public:
  static constexpr int32 kCount = 55;

  // Indices of the elements the remote treats apart. The others (the EQ knobs 12..23, "Top",
  // "Rewind", "FastFwd", "Mute", "Solo", "Inc" and "Dec" at 25..27 and 31..34) are named only
  // by their records and the default bindings.
  static constexpr int32 kFirstAssignKnob = 0;  // "AsgnKnob1".."AsgnKnob12"
  static constexpr int32 kLastKnob = 23;
  static constexpr int32 kDataDial = 24;
  static constexpr int32 kStop = 28;
  static constexpr int32 kPlay = 29;
  static constexpr int32 kRecord = 30;
  static constexpr int32 kFirstSF = 35;    // "SF1".."SF6"
  static constexpr int32 kFirstFKey = 41;  // "F1".."F6"
  static constexpr int32 kJog = 47;
  static constexpr int32 kLock = 48;
  static constexpr int32 kFirstSFBank = 49;  // "SFBank1".."SFBank6"
  static constexpr int32 kBankCount = 6;

  // Element flags.
  static constexpr int32 kKnobFlags = 5;
  static constexpr int32 kButtonFlags = 1;
  static constexpr int32 kLampButtonFlags = 0x23;

  // The record of an element; null for an index outside 0..54.
  static const Hox::ElementRecord* record(int32 element);
  // All 55 records in element order.
  static const Hox::ElementRecord* records();

  // Declares page "Default" and its 16 bindings (transport, mute/solo, "SF1".."SF6", preset
  // "Inc"/"Dec") on the target. A null target does nothing. [host thread]
  static void declareDefaultBindings(Hox::IBindingTarget* target);
};

}  // namespace Brennholt
