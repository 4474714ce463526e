#include "finder/PlugProvider.h"

#include <cstring>
#include <new>

#include "finder/HostApplication.h"

namespace Brennholt::Hox {

namespace {

// Creates an object of class `cid` as interface I. A plug-in that reports failure keeps
// whatever it stored: releasing a pointer it may never have set up is worse than a leak.
template <class I>
IPtr<I> createInstance(IPluginFactory* factory, const char* cid) {
  void* object = nullptr;
  if (factory->createInstance(cid, I::iid.bytes(), &object) != kResultOk || !object) return {};
  return IPtr<I>::adopt(static_cast<I*>(object));
}

}  // namespace

PlugProvider::PlugProvider(IPluginFactory* factory, const PClassInfo2& classInfo, bool isGlobal)
    : factory_(factory), classInfo_(classInfo), isGlobal_(isGlobal) {}

PlugProvider::~PlugProvider() {
  // Normally ended through releaseParts already; this only catches a plug-in left running.
  disconnectHalves();
  terminatePlugin();
}

IComponent* PlugProvider::component() noexcept {
  if (!isGlobal_) setupPlugin();
  if (component_) component_->addRef();
  return component_.get();
}

IEditController* PlugProvider::controller() noexcept {
  if (controller_) controller_->addRef();
  return controller_.get();
}

tresult PlugProvider::releaseParts(IComponent* component, IEditController* controller) noexcept {
  if (component) component->release();
  if (controller) controller->release();
  if (!isGlobal_) {
    disconnectHalves();
    terminatePlugin();
  }
  return kResultOk;
}

bool PlugProvider::setupPlugin() {
  if (component_) return true;  // one plug-in at a time
  if (!factory_) return false;

  IPtr<IComponent> component = createInstance<IComponent>(factory_, classInfo_.cid);
  if (!component) return false;
  // A component that refuses the host context is not used (and not terminated).
  if (component->initialize(&gHostApplication) != kResultOk) return false;
  component_ = component;

  // One object playing both halves needs no connection.
  if (IPtr<IEditController> both = Brennholt::queryInterface<IEditController>(component_.get())) {
    controller_ = both;
    return true;
  }

  char controllerId[16] = {};
  if (component_->getControllerClassId(controllerId) == kResultOk &&
      !FUID::fromTUID(controllerId).isZero()) {
    IPtr<IEditController> controller = createInstance<IEditController>(factory_, controllerId);
    if (controller) {
      if (controller->initialize(&gHostApplication) != kResultOk) return false;
      controller_ = controller;
    }
  }
  connectHalves();
  return true;
}

void PlugProvider::connectHalves() {
  if (!component_ || !controller_) return;
  IPtr<IConnectionPoint> componentPoint =
      Brennholt::queryInterface<IConnectionPoint>(component_.get());
  IPtr<IConnectionPoint> controllerPoint =
      Brennholt::queryInterface<IConnectionPoint>(controller_.get());
  if (!componentPoint || !controllerPoint) return;
  // Reached from component(), which must not throw: without memory for both proxies the halves
  // stay unconnected.
  componentProxy_ =
      IPtr<ConnectionProxy>::adopt(new (std::nothrow) ConnectionProxy(componentPoint.get()));
  controllerProxy_ =
      IPtr<ConnectionProxy>::adopt(new (std::nothrow) ConnectionProxy(controllerPoint.get()));
  if (!componentProxy_ || !controllerProxy_) {
    componentProxy_.reset();
    controllerProxy_.reset();
    return;
  }
  if (componentProxy_->connect(controllerPoint.get()) == kResultOk)
    controllerProxy_->connect(componentPoint.get());
}

void PlugProvider::disconnectHalves() {
  if (componentProxy_ && controllerProxy_) {
    if (IConnectionPoint* peer = componentProxy_->destination()) componentProxy_->disconnect(peer);
    if (IConnectionPoint* peer = controllerProxy_->destination())
      controllerProxy_->disconnect(peer);
  }
  componentProxy_.reset();
  controllerProxy_.reset();
}

void PlugProvider::terminatePlugin() {
  if (component_) {
    bool singleObject =
        static_cast<bool>(Brennholt::queryInterface<IEditController>(component_.get()));
    component_->terminate();
    if (controller_ && !singleObject) controller_->terminate();
  } else if (controller_) {
    controller_->terminate();
  }
  component_.reset();
  controller_.reset();
}

}  // namespace Brennholt::Hox
