#include "sim/host/services/SetupObjects.h"
#include "sim/host/HostState.h"

#include <new>

#include "sdk/host/SetupServices.h"
#include "sim/host/services/FileDialogs.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/services/SettingsStore.h"
#include "sim/host/services/XmlDocuments.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

template <class Object>
bool make(const TUID classId, const TUID iid, void** out,
          const Connection& connection, tresult* result) {
  using Interface = typename Object::Interface;
  if (!Interface::iid.matches(classId)) return false;
  if (!Interface::iid.matches(iid) && !FUnknown::iid.matches(iid)) {
    *result = kNoInterface;
    return true;
  }
  auto* made = new (std::nothrow) Object(connection);
  *out = made ? static_cast<Interface*>(made) : nullptr;
  *result = made ? kResultOk : kOutOfMemory;
  return true;
}

}  // namespace

tresult createSetupObject(const Connection& connection,
                          const TUID classId, const TUID iid, void** object) noexcept {
  if (object == nullptr) return kInvalidArgument;
  *object = nullptr;
  if (classId == nullptr || iid == nullptr || !connection || connection->state == nullptr)
    return kNoInterface;
  tresult result = kNoInterface;
  const auto& c = connection;
  const HostState& s = *connection->state;
  // A withdrawn class is one the host does not have: kNoInterface, as for any unknown class.
  ((s.offers(HostService::kSettings) && make<SettingsStore>(classId, iid, object, c, &result)) ||
   (s.offers(HostService::kXmlWriter) && make<XmlWriter>(classId, iid, object, c, &result)) ||
   (s.offers(HostService::kXmlReader) && make<XmlReader>(classId, iid, object, c, &result)) ||
   (s.offers(HostService::kFileSelectors) &&
    (make<SaveFileSelector>(classId, iid, object, c, &result) ||
     make<OpenFileSelector>(classId, iid, object, c, &result))) ||
   (s.offers(HostService::kAlertBox) && make<AlertBox>(classId, iid, object, c, &result)));
  return result;
}

}  // namespace QentSim
