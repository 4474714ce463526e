// Messages to the user through the host: texts translated into the host's language and shown in
// the host's alert box. A text the host cannot translate is not shown at all, so the user never
// sees a message in a language other than the host's. Host thread only.
#pragma once

#include "base/String.h"
#include "core/Types.h"
#include "sdk/host/HostKernel.h"

namespace Brennholt {

// The host's translation of `english` into `out` (16-bit); false when the host has no
// translator or no translation. [host thread]
bool translateText(Hox::IHostKernel* host, const char8* english, String& out);

// Shows `message` with the button `first` and, when not null, `second`; the 1-based number of
// the button pressed, or 0 when the host shows no alert box. [host thread]
int32 showAlert(Hox::IHostKernel* host, const String& message, const String& first,
                const String* second);

}  // namespace Brennholt
