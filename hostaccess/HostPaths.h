// Addressing the host's object tree: paths of object names, the kinds of mixer channels, the
// channel values behind the fixed knob functions, instrument parameters, and the instrument and
// plug-in slot a selected channel leads to.
//
// Free functions over what they need, passed explicitly: the kernel (for the tree's roots, asked
// for per call and released at once), the channel, and whether the host has the newer mixer
// model (instruments as rack entries connected to tracks). Every object or value answered is an
// IPtr holding one reference for the caller; null means not found. Names are the module's 8-bit
// texts (host titles converted from UTF-16).
//
// Every function runs on the host thread. Only an allocation can fail (std::bad_alloc); it goes
// up to the service's doors, which catch it.
#pragma once

#include <string>
#include <string_view>

#include "core/Types.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

enum class ChannelKind { kOther, kSynth, kMidiChannel, kAudioChannel };

// Channel identifiers of the fixed knob functions.
namespace ChannelId {
constexpr int32 kVolume = 0;
constexpr int32 kPan = 1;
constexpr int32 kPan2 = 2;
constexpr int32 kStereoPanType = 3;
constexpr int32 kQuickControlFirst = 4;   // QuickControl1..8: 4..11
constexpr int32 kQDestinationFirst = 12;  // QDestination1..8: 12..19
constexpr int32 kName = 20;
constexpr int32 kEqOnFirst = 4119;    // band1..4:on    4119..4122
constexpr int32 kEqTypeFirst = 4123;  // band1..4:type  4123..4126
constexpr int32 kEqGainFirst = 4127;  // band1..4:gain  4127..4130
constexpr int32 kEqFreqFirst = 4131;  // band1..4:freq  4131..4134
constexpr int32 kEqQFirst = 4135;     // band1..4:q     4135..4138
constexpr int32 kEqLast = 4138;
}  // namespace ChannelId

// The object that `path` names below `start`, or below the children of the tree's root when
// `start` is null (then `kernel` supplies the root). Components are separated by '\'; one
// leading '\' is dropped; "%BLANK%" names the empty name; an empty first component fails.
// Null unless exactly one object matches. [host thread]
IPtr<Hox::IHostObject> findPath(Hox::IHostKernel* kernel, Hox::IHostObject* start,
                                std::string_view path);

// The kind by the object's name: "Synth", "MidiChannel", "AudioChannel" exactly; anything
// else (null too) is kOther. [host thread]
ChannelKind channelKind(Hox::IHostObject* object) noexcept;

// The equaliser of a channel: its "Channel EQ" plug-in, else the unique "EQ" object below it.
// [host thread]
IPtr<Hox::IHostObject> findEqualizer(Hox::IHostObject* channel);

// The value behind channel identifier `identifier` (ChannelId; any other identifier answers
// null). With a channel, `name` is always written: the value's display name, empty when
// nothing was found; without one it is left alone. [host thread]
IPtr<Hox::IHostValue> findChannelValue(Hox::IHostObject* channel, int32 identifier,
                                       std::string& name);

// Parameter `identifier` of a plug-in: its own parameter list first, then each sub-object's,
// depth first in child order; the first hit wins. `name` is always written: the parameter's
// title, empty when the host gives none or nothing was found. [host thread]
IPtr<Hox::IHostValue> findInstrumentParameter(Hox::IHostObject* plugin, int32 identifier,
                                              std::string& name);

// The instrument a MIDI channel plays. New mixer model: the first instrument of the kernel's
// instrument list connected to `channel`. Old model: parsed from the channel's held "output"
// value, "n - NAME" with the '-' at position 2 to 4 and n >= 1, the rack entry n of
// "HOX Mixer\HOX Instruments" whose instrument's title NAME contains. [host thread]
IPtr<Hox::IHostObject> findTrackInstrument(Hox::IHostKernel* kernel, Hox::IHostObject* channel,
                                           Hox::IHostValue* output, bool newMixerModel);

// The target instrument of a selected channel: the track instrument of a "MidiChannel", the
// object "Slot\%BLANK%" below a "Synth", none for other kinds. [host thread]
IPtr<Hox::IHostObject> findTargetInstrument(Hox::IHostKernel* kernel, Hox::IHostObject* channel,
                                            Hox::IHostValue* output, bool newMixerModel);

// The plug-in slot object of the target. New model, "Synth" or "MidiChannel": the instrument
// list's entry whose first child is connected to `channel` and is `instrument`. Old model,
// "Synth" only: the object "Slot" below the channel. Else null. [host thread]
IPtr<Hox::IHostObject> findSlotObject(Hox::IHostKernel* kernel, Hox::IHostObject* channel,
                                      Hox::IHostObject* instrument, bool newMixerModel);

// The name the keyboard shows for the target: the slot's "effectType" text (or, in the old model
// without a slot, the instrument's title) with its spaces removed when it is plain ASCII;
// "Audio Track" / "MIDI Track" for such channels without an instrument; else "Other Track".
// [host thread]
std::string targetName(Hox::IHostObject* channel, Hox::IHostObject* instrument,
                       Hox::IHostObject* slot, bool newMixerModel);

}  // namespace Brennholt
