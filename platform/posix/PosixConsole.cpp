// The console on POSIX: isatty, and SIGINT / SIGTERM through sigaction.
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/Console.h"

namespace Brennholt::Platform {

namespace {

std::atomic<InterruptHandler> interruptHandler{nullptr};

void onSignal(int) {
  if (InterruptHandler handler = interruptHandler.load()) handler();
}

}  // namespace

bool isTerminal(StandardStream stream) {
  return isatty(stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

void setInterruptHandler(InterruptHandler handler) {
  interruptHandler.store(handler);
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in progress returns, so its caller sees the flag soon.
  action.sa_handler = handler ? onSignal : SIG_DFL;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace Brennholt::Platform
