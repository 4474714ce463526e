// Detection against an in-test port list and device registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RemoteFakes.h"
#include "remote/QENT_Detect.h"
#include "remote/QENT_HWRemote.h"
#include "remote/channels/ModuleState.h"

namespace Brennholt {
namespace {

using namespace Testing;

class FakePort : public Counted<Hox::IMidiPort> {
 public:
  FakePort(std::u16string n, bool in, bool system = true)
      : name(std::move(n)), input(in), systemPort(system) {}
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  bool isOfType(const char* type) noexcept override { return std::string(type) == "midi"; }
  bool hasAttribute(const char* attribute) noexcept override {
    return systemPort && std::string(attribute) == "system";
  }
  bool isInput() noexcept override { return input; }
  bool getName(char16* buffer, int32 capacity) noexcept override {
    const std::size_t n =
        std::min<std::size_t>(name.size(), static_cast<std::size_t>(capacity - 1));
    name.copy(buffer, n);
    buffer[n] = 0;
    return true;
  }
  std::u16string name;
  bool input;
  bool systemPort;
};

class FakePortList : public Counted<Hox::IMidiPortList> {
 public:
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  int32 countPorts() noexcept override { return static_cast<int32>(ports.size()); }
  Hox::IMidiPort* getPort(int32 index) noexcept override {
    ports[index]->addRef();
    return ports[index].get();
  }
  FakePort& add(std::u16string name, bool input) {
    ports.push_back(std::make_unique<FakePort>(std::move(name), input));
    return *ports.back();
  }
  std::vector<std::unique_ptr<FakePort>> ports;
};

class FakeDevice : public Counted<Hox::IPortAssignment> {
 public:
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    if (Hox::IPortAssignment::iid.matches(iid)) {
      addRef();
      *object = static_cast<Hox::IPortAssignment*>(this);
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  tresult addPort(Hox::IMidiPort* port) noexcept override {
    ports.push_back(static_cast<FakePort*>(port));
    return kResultOk;
  }
  std::vector<FakePort*> ports;
};

class FakeRegistry : public Counted<Hox::IRemoteDeviceRegistry> {
 public:
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  bool deviceExists(const char16* name, int32 flags) noexcept override {
    asked.push_back(name);
    return flags == 0 && exists;
  }
  FUnknown* createDevice(const TUID classId, int32 pairIndex, bool activate) noexcept override {
    EXPECT_TRUE(QENT_HWRemote::kClassId.matches(classId));
    EXPECT_TRUE(activate);
    created.push_back(pairIndex);
    devices.push_back(std::make_unique<FakeDevice>());
    devices.back()->addRef();  // the caller's reference; the test keeps its own
    return devices.back().get();
  }
  bool exists = false;
  std::vector<std::u16string> asked;
  std::vector<int32> created;
  std::vector<std::unique_ptr<FakeDevice>> devices;
};

class DetectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kernel.offer(Hox::IMidiPortList::iid, static_cast<Hox::IMidiPortList*>(&ports));
    kernel.offer(Hox::IRemoteDeviceRegistry::iid,
                 static_cast<Hox::IRemoteDeviceRegistry*>(&registry));
    hostKernel = &kernel;
    clearModuleFlags();  // no keyboard set up yet, whatever ran before
    detector = new QENT_Detect;
  }
  void TearDown() override {
    EXPECT_EQ(detector->release(), 0u);
    hostKernel = nullptr;
    // Every reference the detector took on the host's objects came back.
    EXPECT_EQ(ports.refs, 1u);
    for (auto& port : ports.ports) EXPECT_EQ(port->refs, 1u);
    for (auto& device : registry.devices) EXPECT_EQ(device->refs, 1u);
    EXPECT_EQ(kernel.refs, 1u);
  }

  FakeKernel kernel;
  FakePortList ports;
  FakeRegistry registry;
  QENT_Detect* detector = nullptr;
};

TEST_F(DetectorTest, MatchesThePortTextInAnyCaseButNotAnotherPortNumber) {
  ports.add(u"talvane qent6/qent8-1", true);
  ports.add(u"talvane qent6/qent8-1", false);
  EXPECT_EQ(detector->detect(), kResultFalse);
  EXPECT_TRUE(registry.created.empty());

  FakePort& in = ports.add(u"USB TALVANE QENT6/QENT8-2", true);
  FakePort& out = ports.add(u"USB TALVANE QENT6/QENT8-2", false);
  EXPECT_EQ(detector->detect(), kResultOk);
  EXPECT_EQ(registry.asked, std::vector<std::u16string>{u"Talvane QENT6/QENT8"});
  ASSERT_EQ(registry.created, std::vector<int32>{0});
  EXPECT_EQ(registry.devices[0]->ports, (std::vector<FakePort*>{&in, &out}));
  EXPECT_TRUE(isKeyboardSetUp());
}

TEST_F(DetectorTest, PairsAnInputWithTheFirstOutputOfExactlyItsName) {
  FakePort& in = ports.add(u"Talvane QENT6/QENT8-2", true);
  ports.add(u"Talvane QENT6/QENT8-2 ", false);
  FakePort& out = ports.add(u"Talvane QENT6/QENT8-2", false);
  ports.add(u"Talvane QENT6/QENT8-2", false);
  EXPECT_EQ(detector->detect(), kResultOk);
  ASSERT_EQ(registry.devices.size(), 1u);
  EXPECT_EQ(registry.devices[0]->ports, (std::vector<FakePort*>{&in, &out}));
}

TEST_F(DetectorTest, TwoKeyboardsGetTwoDevicesAndAnExistingDeviceGetsNone) {
  FakePort& in1 = ports.add(u"Talvane QENT6/QENT8-2", true);
  FakePort& in2 = ports.add(u"2- Talvane QENT6/QENT8-2", true);
  FakePort& out2 = ports.add(u"2- Talvane QENT6/QENT8-2", false);
  FakePort& out1 = ports.add(u"Talvane QENT6/QENT8-2", false);
  ports.add(u"Talvane QENT6/QENT8-2", true).systemPort = false;  // not a system port
  EXPECT_EQ(detector->detect(), kResultOk);
  EXPECT_EQ(registry.created, (std::vector<int32>{0, 1}));
  EXPECT_EQ(registry.devices[0]->ports, (std::vector<FakePort*>{&in1, &out1}));
  EXPECT_EQ(registry.devices[1]->ports, (std::vector<FakePort*>{&in2, &out2}));

  registry.exists = true;
  EXPECT_EQ(detector->detect(), kResultOk);
  EXPECT_EQ(registry.created.size(), 2u);
}

TEST_F(DetectorTest, UnpairedPortsMissingServicesAndInitialize) {
  ports.add(u"Talvane QENT6/QENT8-2", true);
  ports.add(u"Talvane QENT6/QENT8-2 ", false);
  EXPECT_EQ(detector->detect(), kResultFalse);

  ports.add(u"Talvane QENT6/QENT8-2", false);
  kernel.services.pop_back();  // no registry
  EXPECT_EQ(detector->detect(), kNoInterface);
  kernel.services.clear();  // no port list
  EXPECT_EQ(detector->detect(), kResultFalse);

  hostKernel = nullptr;
  EXPECT_EQ(detector->initialize(nullptr), kResultFalse);
  EXPECT_EQ(detector->detect(), kResultFalse);
  hostKernel = &kernel;
  EXPECT_EQ(detector->initialize(nullptr), kResultOk);
  setKeyboardSetUp();
  EXPECT_EQ(detector->initialize(nullptr), kResultFalse);
}

TEST_F(DetectorTest, InfoAndInterfaces) {
  Hox::DetectorInfo info{};
  info.name[0] = u'x';
  EXPECT_EQ(detector->getDetectorInfo(&info), kResultOk);
  EXPECT_EQ(std::u16string(info.category), u"Remote Devices");
  EXPECT_EQ(std::u16string(info.name), u"x");
  EXPECT_EQ(std::u16string(info.method), u"Plug and Play");

  void* object = nullptr;
  ASSERT_EQ(detector->queryInterface(Hox::IDetector::iid.bytes(), &object), kResultOk);
  auto* asDetector = static_cast<Hox::IDetector*>(object);
  EXPECT_EQ(asDetector, static_cast<Hox::IDetector*>(detector));
  void* primary = nullptr;
  ASSERT_EQ(asDetector->queryInterface(IPluginBase::iid.bytes(), &primary), kResultOk);
  EXPECT_EQ(primary, static_cast<IPluginBase*>(detector));
  asDetector->release();
  static_cast<IPluginBase*>(primary)->release();
  EXPECT_EQ(detector->queryInterface(Hox::IHWRemote::iid.bytes(), &object), kNoInterface);
}

}  // namespace
}  // namespace Brennholt
