// State shared by the module's objects for as long as the module is loaded.
//
// The service, the remotes and the detector never call each other; what they share is this:
// the host kernel the service bound to, and two flags. All of it is read and written on the host
// thread only.
#pragma once

#include "sdk/host/HostKernel.h"

namespace Brennholt {

// The host kernel, set by the service's initialize and released and cleared by its terminate.
// Remotes and the detector do nothing while it is null. Read only by the operations the host
// calls on the service, the remotes and the detector, which pass it down as a parameter for the
// length of that call; nothing keeps a copy (a terminate or a later initialize changes it).
extern Hox::IHostKernel* hostKernel;

// Set by the first remote attach; the service starts its inbound worker only after it.
bool isRemoteReady();
void setRemoteReady();

// Set by a successful detection; never cleared while the module is loaded.
bool isKeyboardSetUp();
void setKeyboardSetUp();

// Clears both flags, as a freshly loaded module has them. The module itself never calls it; test
// programs that need a fresh module's state in every test do. [host thread]
void clearModuleFlags();

}  // namespace Brennholt
