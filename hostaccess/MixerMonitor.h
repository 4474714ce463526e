// Watches the host's mixer ("Mixer" below the object tree's root) and its member "selected",
// the index of the selected mixer channel, for the keyboard service's IDependent side.
//
// Holds one reference to each; releaseAll ends both watches and drops both. The kernel is passed
// to every operation that talks to the host, so the monitor never holds on to a kernel the
// service has let go of; the owner ends the watches (releaseAll) while the kernel is there.
//
// Host thread only; only an allocation can fail (std::bad_alloc, up to the service's doors).
#pragma once

#include "core/FUnknown.h"
#include "hostaccess/THostWatch.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

class MixerMonitor {
 public:
  MixerMonitor() = default;
  MixerMonitor(const MixerMonitor&) = delete;
  MixerMonitor& operator=(const MixerMonitor&) = delete;
  // Drops the references only: the owner has ended the watches with releaseAll.
  virtual ~MixerMonitor() = default;

  // Finds the mixer and its "selected" value and keeps them for `dependent`. True only when
  // both were found; false for a null dependent or no kernel. Call releaseAll() first.
  // [host thread]
  bool bind(Hox::IHostKernel* kernel, Hox::IDependent* dependent);
  // Starts / ends watching the mixer; true when the host did. Nothing calls unwatchMixer:
  // releaseAll ends the watch. [host thread]
  bool watchMixer(Hox::IHostKernel* kernel);
  void unwatchMixer(Hox::IHostKernel* kernel);
  // Starts / ends watching "selected"; true when the host did. Nothing calls unwatchSelected:
  // releaseAll ends the watch. [host thread]
  bool watchSelected(Hox::IHostKernel* kernel);
  void unwatchSelected(Hox::IHostKernel* kernel);
  // Whether `object` is one of the mixer's channels (its children); false without a mixer.
  // [host thread]
  bool contains(Hox::IHostObject* object) const;
  // Ends both watches and drops the value and the mixer. [host thread]
  void releaseAll(Hox::IHostKernel* kernel);

  // The mixer, or null; not referenced for the caller. [host thread]
  Hox::IHostObject* mixer() const { return mixer_.get(); }

 private:
  Hox::IDependent* dependent_ = nullptr;  // not owned
  THostWatch<Hox::IHostObject> mixer_;
  THostWatch<Hox::IHostValue> selected_;
};

}  // namespace Brennholt
