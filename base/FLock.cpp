#include "base/FLock.h"

namespace Brennholt {

FLock::FLock(const char8* /*name*/) { Platform::initLock(section_); }

FLock::~FLock() { Platform::destroyLock(section_); }

void FLock::lock() { Platform::enterLock(section_); }

void FLock::unlock() { Platform::leaveLock(section_); }

bool FLock::tryLock() { return Platform::tryEnterLock(section_); }

}  // namespace Brennholt
