#include "hostaccess/MixerMonitor.h"

#include <utility>

#include "hostaccess/HostPaths.h"

namespace Brennholt {

bool MixerMonitor::bind(Hox::IHostKernel* host, Hox::IDependent* dependent) {
  if (!dependent || !host) return false;
  dependent_ = dependent;
  auto mixer = findPath(host, nullptr, "Mixer");
  IPtr<Hox::IHostValue> selected;
  if (mixer && mixer->getMember("selected", selected.put()) != kResultOk) selected.reset();
  mixer_.hold(host, std::move(mixer));
  selected_.hold(host, std::move(selected));
  return mixer_ && selected_;
}

bool MixerMonitor::watchMixer(Hox::IHostKernel* kernel) {
  return mixer_.watch(kernel, dependent_);
}

void MixerMonitor::unwatchMixer(Hox::IHostKernel* kernel) { mixer_.unwatch(kernel); }

bool MixerMonitor::watchSelected(Hox::IHostKernel* kernel) {
  return selected_.watch(kernel, dependent_);
}

void MixerMonitor::unwatchSelected(Hox::IHostKernel* kernel) { selected_.unwatch(kernel); }

bool MixerMonitor::contains(Hox::IHostObject* object) const {
  Hox::IHostObject* const mixer = mixer_.get();
  if (!mixer || !object) return false;
  const int32 count = mixer->childCount();
  for (int32 i = 0; i < count; ++i) {
    IPtr<Hox::IHostObject> child;
    if (mixer->getChild(i, child.put()) == kResultOk && child.get() == object) return true;
  }
  return false;
}

void MixerMonitor::releaseAll(Hox::IHostKernel* kernel) {
  selected_.release(kernel);
  mixer_.release(kernel);
}

}  // namespace Brennholt
