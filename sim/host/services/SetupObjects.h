// The objects the host makes through its create-instance operation for the extension setup: the
// settings store, the XML writer and reader, the save and open file selectors and the alert box.
// Each holds the run's Connection and, once the run has ended, answers as a missing service.
// [host thread]
#pragma once

#include <memory>

#include "core/FUnknown.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

// Makes the object of class `classId` as interface `iid` into *object (one reference for the
// caller). kNoInterface when the host has no such class or the run has ended; kOutOfMemory
// when it cannot be made.
Brennholt::tresult createSetupObject(const Connection& connection,
                                     const Brennholt::TUID classId, const Brennholt::TUID iid,
                                     void** object) noexcept;

}  // namespace QentSim
