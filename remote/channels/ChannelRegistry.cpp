#include "remote/channels/ChannelRegistry.h"

#include <cstdio>
#include <new>
#include <utility>

#include "base/TArray.h"

namespace Brennholt {

namespace {

// Built while the module loads, destroyed when it unloads.
SysExChannel inboundChannel(ChannelRegistry::kInboundName);

TArray<SysExChannel*> outboundChannels(10);

TArray<SysExChannel*>& outboundList() { return outboundChannels; }

}  // namespace

SysExChannel& ChannelRegistry::inbound() { return inboundChannel; }

int32 ChannelRegistry::openOutbound(ISender* sender, ExtensionThread*& worker) {
  worker = nullptr;
  TArray<SysExChannel*>& list = outboundList();
  const int32 index = list.count();
  char name[40];
  std::snprintf(name, sizeof(name), kOutboundPattern, index + 1);
  auto* channel = new (std::nothrow) SysExChannel(name);
  if (!channel) return -1;
  if (!list.add(channel)) {
    delete channel;
    return -1;
  }
  channel->clearStop();
  worker = ExtensionThread::startWorker(sender, channel);
  if (!worker) {
    // Without a worker nobody would drain it; the slot stays, empty, so names keep growing.
    *list.at(index) = nullptr;
    delete channel;
    return -1;
  }
  return index;
}

void ChannelRegistry::closeOutbound(int32 index, ExtensionThread*& worker) {
  TArray<SysExChannel*>& list = outboundList();
  if (!worker || index < 0 || index >= list.count() || list[index] == nullptr) return;
  SysExChannel* channel = list[index];
  *list.at(index) = nullptr;
  // A worker that had to be ended by force may still hold the channel for a moment.
  if (ExtensionThread::stopWorker(worker, channel)) delete channel;
}

int32 ChannelRegistry::outboundCount() { return outboundList().count(); }

SysExChannel* ChannelRegistry::outbound(int32 index) {
  TArray<SysExChannel*>& list = outboundList();
  if (index < 0 || index >= list.count()) return nullptr;
  return list[index];
}

bool ChannelRegistry::post(SysExChannel* channel, SysExPtr message) {
  if (!channel) return false;
  return channel->post(std::move(message));
}

int32 ChannelRegistry::sendToAllRemotes(BuildMessage build, void* context) {
  if (!build) return 0;
  int32 posted = 0;
  TArray<SysExChannel*>& list = outboundList();
  for (int32 i = 0; i < list.count(); ++i) {
    SysExChannel* channel = list[i];
    if (!channel) continue;
    SysExPtr message = build(context);
    if (!message) break;
    if (channel->post(std::move(message))) ++posted;
  }
  return posted;
}

}  // namespace Brennholt
