// Auto-reset events on Windows: CreateEventA, SetEvent, ResetEvent, WaitForSingleObject.
#include <windows.h>

#include "platform/Platform.h"

namespace Brennholt::Platform {

EventHandle createEvent(const char* name) {
  return CreateEventA(nullptr, FALSE, FALSE, name && *name ? name : nullptr);
}

bool setEvent(EventHandle event) { return event && SetEvent(event) != 0; }

bool resetEvent(EventHandle event) { return event && ResetEvent(event) != 0; }

bool waitEvent(EventHandle event, int32 milliseconds) {
  if (!event) return false;
  DWORD limit = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
  return WaitForSingleObject(event, limit) == WAIT_OBJECT_0;
}

void closeEvent(EventHandle event) {
  if (event) CloseHandle(event);
}

}  // namespace Brennholt::Platform
