#include "finder/ConnectionProxy.h"

namespace Brennholt::Hox {

ConnectionProxy::ConnectionProxy(IConnectionPoint* source)
    : threadChecker_(ThreadChecker::create()), source_(IPtr<IConnectionPoint>::share(source)) {}

tresult ConnectionProxy::connect(IConnectionPoint* other) noexcept {
  if (!other) return kInvalidArgument;
  if (destination_) return kResultFalse;
  if (!source_) return kResultFalse;
  destination_ = IPtr<IConnectionPoint>::share(other);
  tresult result = source_->connect(this);
  if (result != kResultOk) destination_.reset();
  return result;
}

tresult ConnectionProxy::disconnect(IConnectionPoint* other) noexcept {
  if (!other || other != destination_.get()) return kInvalidArgument;
  // The source may drop its last reference to us inside disconnect.
  addRef();
  if (source_) source_->disconnect(this);
  destination_.reset();
  release();
  return kResultOk;
}

tresult ConnectionProxy::notify(IMessage* message) noexcept {
  if (destination_ && threadChecker_ && threadChecker_->test(nullptr, false))
    return destination_->notify(message);
  return kResultFalse;
}

}  // namespace Brennholt::Hox
