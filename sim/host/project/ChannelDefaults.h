// The values a mixer channel, its panner, quick controls and equaliser have, and an
// instrument's own members, with the defaults a project description may override.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/host/project/ValueSpec.h"

namespace QentSim::ChannelDefaults {

// Where a channel value lives.
enum class Place {
  kChannel,        // a member of the channel: "name", "volume"; MIDI "pan", "output"
  kPanner,         // a member of the channel's child "Panner": "panX", "panX2", "stereoPanType"
  kQuickControls,  // a member of the child "Quick Controls": "QuickControl%d", "QDestination%d"
  kEqualiser,      // a member of the equaliser: "band%d:on|type|gain|freq|q"
};

struct Key {
  std::string key;
  Place place;
};

// The keys of a channel in member order: a MIDI channel has "pan" and "output" and no panner;
// the equaliser's keys only when the channel has one.
std::vector<Key> keys(bool midi, bool equaliser);
// The default of `key` on a channel of that kind; false when the channel has no such value.
bool spec(std::string_view key, bool midi, bool equaliser, ValueSpec* out, Place* place = nullptr);

// Members of every instrument: "writeEnable"; of a VexelOne also "bayProg" with `program`.
ValueSpec writeEnable();
ValueSpec program(int program);
// The text member "effectType" of slots and rack entries.
ValueSpec effectType(const std::string& text);

}  // namespace QentSim::ChannelDefaults
