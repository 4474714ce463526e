#include "remote/channels/ModuleState.h"

namespace Brennholt {

Hox::IHostKernel* hostKernel = nullptr;

namespace {
bool remoteReady = false;
bool keyboardSetUp = false;
}  // namespace

bool isRemoteReady() { return remoteReady; }
void setRemoteReady() { remoteReady = true; }
bool isKeyboardSetUp() { return keyboardSetUp; }
void setKeyboardSetUp() { keyboardSetUp = true; }

void clearModuleFlags() {
  remoteReady = false;
  keyboardSetUp = false;
}

}  // namespace Brennholt
