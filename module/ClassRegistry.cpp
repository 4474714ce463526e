#include "module/ClassRegistry.h"

#include <cstring>
#include <new>

#include "hostaccess/QENT_HKA.h"
#include "module/ModuleInstance.h"
#include "remote/QENT_Detect.h"
#include "remote/QENT_HWRemote.h"

namespace Brennholt {
namespace {

// Each creates a new object and hands over its creation reference, or answers null. The
// classes arrive one by one; until a class exists its create function answers null, which
// createInstance reports as kNoInterface.
FUnknown* createKeyboardService(void* /*context*/) {
  auto* service = new (std::nothrow) QENT_HKA(moduleInstance());
  return service ? static_cast<IPluginBase*>(service) : nullptr;
}
FUnknown* createHardwareRemote(void* /*context*/) {
  auto* remote = new (std::nothrow) QENT_HWRemote;
  return remote ? static_cast<Hox::IHWRemote2*>(remote) : nullptr;
}
FUnknown* createDeviceDetector(void* /*context*/) {
  auto* detector = new (std::nothrow) QENT_Detect;
  return detector ? static_cast<IPluginBase*>(detector) : nullptr;
}

// The records below are built while the module loads and reused by every factory built later.

PClassInfo basicInfo(const FUID& cid, int32 cardinality, const char* category, const char* name) {
  PClassInfo info;
  std::memset(&info, 0, sizeof(info));
  cid.copyTo(info.cid);
  info.cardinality = cardinality;
  copyTextField(info.category, sizeof(info.category), category);
  copyTextField(info.name, sizeof(info.name), name);
  return info;
}

const PFactoryInfo theFactoryInfo = [] {
  PFactoryInfo built;
  copyTextField(built.vendor, sizeof(built.vendor), "Talvane Corporation");
  copyTextField(built.url, sizeof(built.url), "");
  copyTextField(built.email, sizeof(built.email), "");
  built.flags = 0;
  return built;
}();

const PClassInfo2 theServiceInfo = [] {
  PClassInfo2 built;
  std::memset(&built, 0, sizeof(built));
  PClassInfo basic = basicInfo(QENT_HKA::kClassId, 1, "Service", "Talvane QENT6/QENT8 Extension");
  std::memcpy(&built, &basic, sizeof(basic));
  built.classFlags = 0;
  copyTextField(built.version, sizeof(built.version), "1.0.6");
  return built;
}();

const PClassInfo theRemoteInfo =
    basicInfo(QENT_HWRemote::kClassId, kManyInstances, "Remote Devices", "Talvane QENT6/QENT8");

const PClassInfo theDetectorInfo = basicInfo(QENT_Detect::kClassId, 1, "Device Detection", "");

}  // namespace

bool registerModuleClasses(CPluginFactory& factory) noexcept {
  return factory.registerClass(&theServiceInfo, &createKeyboardService, nullptr) &&
         factory.registerClass(&theRemoteInfo, &createHardwareRemote, nullptr) &&
         factory.registerClass(&theDetectorInfo, &createDeviceDetector, nullptr);
}

IPluginFactory* acquirePluginFactory() noexcept {
  if (gPluginFactory != nullptr) {
    gPluginFactory->addRef();
    return gPluginFactory;
  }
  auto* factory = new (std::nothrow) CPluginFactory(theFactoryInfo);
  if (factory == nullptr) return nullptr;
  // A factory that lacks some of its classes would look valid to the host; hand out none.
  if (!registerModuleClasses(*factory)) {
    factory->release();
    return nullptr;
  }
  gPluginFactory = factory;
  return factory;
}

}  // namespace Brennholt
