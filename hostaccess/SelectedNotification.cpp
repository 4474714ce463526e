#include "hostaccess/SelectedNotification.h"

#include "hostaccess/HostPaths.h"
#include "sdk/host/HostServices.h"

namespace Brennholt {

namespace {

// Folders nest only a few levels; a host whose track tree loops must not exhaust the stack.
constexpr int32 kMaxTrackDepth = 64;

IPtr<Hox::IHostObject> childAt(Hox::IHostObject* parent, int32 index) {
  IPtr<Hox::IHostObject> child;
  if (parent->getChild(index, child.put()) != kResultOk) child.reset();
  return child;
}

// Selected either way the host marks a track: its selected state, or its own selection list.
bool isSelected(Hox::IHostObject* node) {
  auto track = queryInterface<Hox::IHostTrack>(node);
  return track && (track->selectedState() == 1 || track->isMarkedSelected() == kResultOk);
}

IPtr<Hox::IHostObject> trackList(Hox::IHostProject* project) {
  IPtr<Hox::IHostObject> list;
  if (project->getTrackList(list.put()) != kResultOk) list.reset();
  return list;
}

IPtr<Hox::IHostProject> activeProject(Hox::IHostKernel* kernel) {
  auto projects = Hox::getService<Hox::IProjectService>(kernel);
  if (!projects) return {};
  return queryInterface<Hox::IHostProject>(projects->activeProject());
}

// The mixer's child at its "selected" index.
IPtr<Hox::IHostObject> mixerSelection(Hox::IHostKernel* kernel) {
  auto mixer = findPath(kernel, nullptr, "Mixer");
  if (!mixer) return {};
  IPtr<Hox::IHostValue> selected;
  if (mixer->getMember("selected", selected.put()) != kResultOk || !selected) return {};
  const int32 index = selected->intValue();
  if (index < 0 || index >= mixer->childCount()) return {};
  return childAt(mixer.get(), index);
}

}  // namespace

SelectedNotification::~SelectedNotification() = default;

void SelectedNotification::channelDeselected(Hox::IHostKernel* /*kernel*/,
                                             Hox::IHostObject* /*old*/) {}
void SelectedNotification::trackDeselected(Hox::IHostKernel* /*kernel*/,
                                           Hox::IHostObject* /*old*/) {}
void SelectedNotification::trackSelected(Hox::IHostKernel* /*kernel*/,
                                         Hox::IHostObject* /*track*/) {}
void SelectedNotification::channelSelected(Hox::IHostKernel* /*kernel*/,
                                           Hox::IHostObject* /*channel*/) {}

IPtr<Hox::IHostObject> SelectedNotification::search(Hox::IHostObject* node, int32 depth) {
  const int32 count = node->childCount();
  for (int32 i = 0; i < count; ++i) {
    auto child = childAt(node, i);
    if (!child || child->isClass("track") != kResultOk) continue;
    path_.push_back(i);
    if (isSelected(child.get())) return child;
    if (depth < kMaxTrackDepth) {
      if (auto found = search(child.get(), depth + 1)) return found;
    }
    path_.pop_back();
  }
  return {};
}

bool SelectedNotification::evaluate(Hox::IHostKernel* host) {
  auto projects = Hox::getService<Hox::IProjectService>(host);
  if (!projects || !projects->activeProject()) return false;

  IPtr<Hox::IHostObject> newTrack;
  IPtr<Hox::IHostObject> newChannel;
  auto project = queryInterface<Hox::IHostProject>(projects->activeProject());
  if (project && project->isReady() == kResultOk) {
    // A search cut short by an allocation leaves a partial path: the next poll finds that it
    // does not lead to the stored track and searches again.
    path_.clear();
    if (auto list = trackList(project.get())) newTrack = search(list.get(), 0);
    if (auto track = queryInterface<Hox::IHostTrack>(newTrack.get())) {
      if (track->getChannel(newChannel.put()) != kResultOk) newChannel.reset();
    }
  }
  if (!newTrack && !newChannel) newChannel = mixerSelection(host);

  // The reports may reach back into the host; the old pair stays referenced meanwhile.
  const IPtr<Hox::IHostObject> oldTrack = track_;
  const IPtr<Hox::IHostObject> oldChannel = channel_;
  bool changed = false;
  if (oldChannel && oldChannel.get() != newChannel.get()) {
    channelDeselected(host, oldChannel.get());
    channel_.reset();
    changed = true;
  }
  if (oldTrack && oldTrack.get() != newTrack.get()) {
    trackDeselected(host, oldTrack.get());
    track_.reset();
    changed = true;
  }
  if (newTrack && newTrack.get() != oldTrack.get()) {
    trackSelected(host, newTrack.get());
    track_ = newTrack;
    changed = true;
  }
  if (newChannel && newChannel.get() != oldChannel.get()) {
    channelSelected(host, newChannel.get());
    channel_ = newChannel;
    changed = true;
  }
  return changed;
}

void SelectedNotification::poll(Hox::IHostKernel* kernel) {
  if (track_) {
    if (auto project = activeProject(kernel)) {
      IPtr<Hox::IHostObject> node = trackList(project.get());
      for (const int32 index : path_) {
        if (!node || index >= node->childCount()) {
          node.reset();
          break;
        }
        node = childAt(node.get(), index);
      }
      if (node && node.get() == track_.get() && isSelected(node.get())) return;
    }
  }
  evaluate(kernel);
}

void SelectedNotification::deselectAll(Hox::IHostKernel* kernel) {
  const IPtr<Hox::IHostObject> oldTrack = track_;
  const IPtr<Hox::IHostObject> oldChannel = channel_;
  if (oldChannel) channelDeselected(kernel, oldChannel.get());
  if (oldTrack) trackDeselected(kernel, oldTrack.get());
  forget();
}

void SelectedNotification::forget() {
  track_.reset();
  channel_.reset();
  path_.clear();
}

}  // namespace Brennholt
