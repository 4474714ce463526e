// The console on Windows: a character device with a console mode, and SetConsoleCtrlHandler.
#include <windows.h>

#include <atomic>

#include "platform/Console.h"

namespace Brennholt::Platform {

namespace {

std::atomic<InterruptHandler> interruptHandler{nullptr};

BOOL WINAPI onControl(DWORD type) {
  InterruptHandler handler = interruptHandler.load();
  if (!handler) return FALSE;
  switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      handler();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool isTerminal(StandardStream stream) {
  HANDLE handle =
      GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
         GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

void setInterruptHandler(InterruptHandler handler) {
  InterruptHandler previous = interruptHandler.exchange(handler);
  if (handler && !previous) SetConsoleCtrlHandler(onControl, TRUE);
  if (!handler && previous) SetConsoleCtrlHandler(onControl, FALSE);
}

}  // namespace Brennholt::Platform
