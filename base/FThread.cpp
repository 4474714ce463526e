#include "base/FThread.h"

#include "core/FUnknown.h"

namespace Brennholt {

namespace {

using namespace Platform;

// Platform priority of each level, by the process's priority class.
constexpr int32 kNormalClassPriority[6] = {kPriorityIdle,    kPriorityBelowNormal,
                                           kPriorityNormal,  kPriorityAboveNormal,
                                           kPriorityHighest, kPriorityTimeCritical};
constexpr int32 kOtherClassPriority[6] = {kPriorityIdle,        kPriorityLowest,
                                          kPriorityBelowNormal, kPriorityNormal,
                                          kPriorityAboveNormal, kPriorityTimeCritical};

// Created while the module loads, before any thread of ours can run (never as function-local
// statics: see "Objects that live as long as the module" in the README).
FLock theProcessLock("FLock");
TArray<uint32> theThreadLocalSlots(10);

}  // namespace

FLock& processLock() { return theProcessLock; }

TArray<uint32>& threadLocalSlots() { return theThreadLocalSlots; }

FThread::FThread(const char8* name) : name_(name) {}

FThread::~FThread() {
  if (handle_) closeThread(handle_);
}

bool FThread::setPriority(int32 level) {
  priority_ = level;
  if (!handle_) return true;
  if (level < 0 || level > 5) return false;
  const int32* table = isNormalPriorityClass() ? kNormalClassPriority : kOtherClassPriority;
  return setThreadPriority(handle_, table[level]);
}

bool FThread::start() {
  if (handle_) return false;
  started_ = true;
  handle_ = createThreadSuspended(startRoutine, this, &threadId_);
  if (!handle_) return false;
  setPriority(priority_);  // a refused priority still lets the thread run
  return resumeThread(handle_);
}

bool FThread::waitDone(uint32 milliseconds) {
  if (!started_ || !handle_) return true;
  return waitThread(handle_, milliseconds);
}

void FThread::terminate() {
  if (!handle_) return;
  terminateThread(handle_, 0);
  closeThread(handle_);
  handle_ = nullptr;
}

int32 FThread::platformPriority() const {
  return handle_ ? getThreadPriority(handle_) : kPriorityNormal;
}

bool FThread::exitCode(uint32* code) const { return handle_ && threadExitCode(handle_, code); }

uint32 FThread::startRoutine(void* argument) {
  auto* thread = static_cast<FThread*>(argument);
  bool com = comInitialize();
  uint32 code = thread->run();
  {
    FGuard guard(&processLock());
    TArray<uint32>& slots = threadLocalSlots();
    for (int32 i = 0; i < slots.count(); ++i) {
      if (auto* value = static_cast<FUnknown*>(threadLocalValue(slots[i]))) value->release();
    }
  }
  if (com) comUninitialize();
  // Returning ends the thread with the code, the same as ending it explicitly.
  return code;
}

}  // namespace Brennholt
