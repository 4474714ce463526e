// The keyboard service over a small project: what it holds of the host while it follows the
// selection, and that it gives all of it back when the host releases it without terminate (the
// reference host always terminates first, so only this test sees that path).
#include <gtest/gtest.h>

#include "FakeHostTree.h"
#include "hostaccess/QENT_HKA.h"
#include "remote/channels/ModuleState.h"
#include "sdk/host/HostServices.h"

namespace Brennholt {
namespace {

using Test::FakeObject;
using Test::FakeTree;
using Test::sameIid;

// A service of the tree's kernel, counted with the tree's references.
template <class I>
class TreeService : public I {
 public:
  explicit TreeService(FakeTree& tree) : tree_(tree) {}
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++tree_.references); }
  uint32 release() noexcept override { return static_cast<uint32>(--tree_.references); }

 protected:
  FakeTree& tree_;
};

class Projects final : public TreeService<Hox::IProjectService> {
 public:
  using TreeService::TreeService;
  tresult addProjectNotification(Hox::IProjectNotification* n) noexcept override {
    listener = n;
    return kResultOk;
  }
  tresult removeProjectNotification(Hox::IProjectNotification*) noexcept override {
    listener = nullptr;
    return kResultOk;
  }
  FUnknown* activeProject() noexcept override { return active; }
  Hox::IProjectNotification* listener = nullptr;
  FUnknown* active = nullptr;
};

class Idle final : public TreeService<Hox::IIdleService> {
 public:
  using TreeService::TreeService;
  tresult addIdleHandler(Hox::IIdleHandler* h) noexcept override {
    handler = h;
    return kResultOk;
  }
  tresult removeIdleHandler(Hox::IIdleHandler*) noexcept override {
    handler = nullptr;
    return kResultOk;
  }
  uint32 currentTime() noexcept override { return 1000; }
  Hox::IIdleHandler* handler = nullptr;
};

class Information final : public TreeService<Hox::IHostInformation> {
 public:
  using TreeService::TreeService;
  const char16* productName() noexcept override { return u"Tessaly Studio"; }
  const char16* versionString() noexcept override { return u"7.5.0"; }
  const char16* buildString() noexcept override { return u"Build 100"; }
};

// What initialize gets: the tree's kernel and the host information.
class Context final : public TreeService<FUnknown> {
 public:
  Context(FakeTree& tree, Information& info) : TreeService(tree), info_(info) {}
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (sameIid(iid, Hox::IHostKernel::iid)) {
      *object = static_cast<Hox::IHostKernel*>(&tree_);
    } else if (sameIid(iid, Hox::IHostInformation::iid)) {
      *object = static_cast<Hox::IHostInformation*>(&info_);
    } else {
      return kNoInterface;
    }
    ++tree_.references;
    return kResultOk;
  }

 private:
  Information& info_;
};

TEST(ServiceTarget, ReleaseWithoutTerminateGivesBackEveryWatchAndReference) {
  FakeTree tree;
  Projects projects(tree);
  Idle idle(tree);
  Information info(tree);
  Context context(tree, info);
  tree.offer(Hox::IProjectService::iid, &projects);
  tree.offer(Hox::IIdleService::iid, &idle);

  // A mixer with one group channel (no instrument: "Other Track", bound at once) that has an
  // equaliser, and a project whose one track is selected and plays that channel.
  FakeObject* mixer = tree.object("Mixer", tree.root);
  tree.value(mixer, "selected")->plain = 0;
  FakeObject* channel = tree.object("Group", mixer);
  tree.value(channel, "name")->text = u"Drums";
  FakeObject* eq = tree.object("EQ", channel);
  for (const char* field : {"gain", "freq", "q"}) {
    for (int band = 1; band <= 4; ++band) {
      tree.value(eq, "band" + std::to_string(band) + ":" + field)->maximum = 10;
    }
  }
  FakeObject* project = tree.object("project");
  project->trackList = tree.object("tracks");
  FakeObject* track = tree.object("Drums", project->trackList);
  track->isTrack = true;
  track->selected = true;
  track->channel = channel;
  projects.active = static_cast<Hox::IHostProject*>(project);

  auto* service = new QENT_HKA;
  ASSERT_EQ(service->initialize(&context), kResultOk);
  ASSERT_NE(idle.handler, nullptr);
  ASSERT_NE(projects.listener, nullptr);
  setRemoteReady();
  projects.listener->projectOpened(projects.active);
  for (int i = 0; i < 5; ++i) idle.handler->onIdle();

  // The mixer, its "selected", the channel's name and the twelve EQ knobs are watched.
  EXPECT_EQ(tree.dependents.size(), 15u);
  EXPECT_GT(tree.references, 0);

  service->release();
  EXPECT_TRUE(tree.dependents.empty());
  EXPECT_EQ(tree.references, 0);
  EXPECT_EQ(idle.handler, nullptr);
  EXPECT_EQ(projects.listener, nullptr);
  EXPECT_EQ(hostKernel, nullptr);
}

}  // namespace
}  // namespace Brennholt
