// Creates the two halves of one plug-in class, connects them through proxies when they are
// separate objects, and ends them again. Only one plug-in per provider exists at a time.
#pragma once

#include "base/TRefCounted.h"
#include "finder/ConnectionProxy.h"
#include "finder/IPlugProvider.h"
#include "sdk/IPluginFactory.h"

namespace Brennholt::Hox {

class PlugProvider final : public TRefCounted<IPlugProvider> {
 public:
  // The factory is borrowed and must outlive every plug-in this provider creates; classInfo
  // is copied. A global provider would share one plug-in; the finder never asks for that.
  PlugProvider(IPluginFactory* factory, const PClassInfo2& classInfo, bool isGlobal);

  IComponent* component() noexcept override;
  IEditController* controller() noexcept override;
  tresult releaseParts(IComponent* component, IEditController* controller) noexcept override;

 private:
  ~PlugProvider() override;
  // Creates, initializes and connects the halves; what could be set up stays held.
  bool setupPlugin();
  void connectHalves();
  void disconnectHalves();
  void terminatePlugin();

  IPluginFactory* factory_;
  PClassInfo2 classInfo_;
  bool isGlobal_;
  IPtr<IComponent> component_;
  IPtr<IEditController> controller_;
  IPtr<ConnectionProxy> componentProxy_;   // wraps the component's connection point
  IPtr<ConnectionProxy> controllerProxy_;  // wraps the controller's connection point
};

}  // namespace Brennholt::Hox
