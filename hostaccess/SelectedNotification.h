// Follows what the user has selected in the host: the selected track of the active project and
// its mixer channel (or, when no track reports being selected, the mixer's selected channel).
//
// The tracker keeps the selected track and channel with a reference each, and the child indices
// that lead from the project's top-level track list to the track, so that a poll on every idle
// call is a short walk instead of a search. A change is reported through the four virtual
// operations, which do nothing here; the keyboard service overrides them.
//
// The kernel is passed to each operation that asks the host, so the tracker never holds on to a
// kernel the service has let go of; a null kernel or a missing service leaves the selection
// unchanged.
//
// Host thread only. Only an allocation can fail (std::bad_alloc, up to the service's doors).
#pragma once

#include <vector>

#include "core/FUnknown.h"
#include "core/Types.h"
#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt {

class SelectedNotification {
 public:
  SelectedNotification() = default;
  SelectedNotification(const SelectedNotification&) = delete;
  SelectedNotification& operator=(const SelectedNotification&) = delete;
  // Drops the references it still holds; forget() first while the host is there.
  virtual ~SelectedNotification();

  // --- Reports, in slot order; the tracker's fields are not yet updated during each call ----
  // Each passes on the kernel of the operation that reports.

  // `old` is no longer the selected channel. [host thread]
  virtual void channelDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* old);
  // `old` is no longer the selected track. [host thread]
  virtual void trackDeselected(Hox::IHostKernel* kernel, Hox::IHostObject* old);
  // `track` became the selected track. [host thread]
  virtual void trackSelected(Hox::IHostKernel* kernel, Hox::IHostObject* track);
  // `channel` became the selected channel. [host thread]
  virtual void channelSelected(Hox::IHostKernel* kernel, Hox::IHostObject* channel);

  // --- Operations ----------------------------------------------------------------------------

  // Searches the active project for the selected track and its channel (falling back to the
  // mixer's "selected" channel), compares them with the stored pair and reports what changed.
  // True when anything changed; false, nothing changed, without a project. [host thread]
  bool evaluate(Hox::IHostKernel* kernel);
  // The cheap check of every idle call: nothing when the stored track is still where its path
  // leads and still selected; otherwise evaluate(). [host thread]
  void poll(Hox::IHostKernel* kernel);
  // Reports the stored channel and track as deselected, then forgets them. [host thread]
  void deselectAll(Hox::IHostKernel* kernel);
  // Forgets the selection without reports. [host thread]
  void forget();

  // The stored track and channel, not referenced for the caller; null when none. [host thread]
  Hox::IHostObject* selectedTrack() const { return track_.get(); }
  Hox::IHostObject* selectedChannel() const { return channel_.get(); }

 private:
  // Depth-first search below `node` for a track that reports being selected; its indices
  // are pushed on path_.
  IPtr<Hox::IHostObject> search(Hox::IHostObject* node, int32 depth);

  IPtr<Hox::IHostObject> track_;
  IPtr<Hox::IHostObject> channel_;
  std::vector<int32> path_;
};

}  // namespace Brennholt
