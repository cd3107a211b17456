// The monitor lock. It is recursive (entry points call helpers that take it
// again), so a wait that must not hold it leaves it at whatever depth the
// caller holds it and takes it back to the same depth afterwards.
#include "langmon/operations.h"

namespace langmon {

void LockMonitor(MonitorRecord* m) {
  EnterCriticalSection(&m->lock);
  __atomic_store_n(&m->lockOwner, GetCurrentThreadId(), __ATOMIC_RELAXED);
  ++m->lockDepth;
}

void UnlockMonitor(MonitorRecord* m) {
  if (--m->lockDepth == 0) __atomic_store_n(&m->lockOwner, 0, __ATOMIC_RELAXED);
  LeaveCriticalSection(&m->lock);
}

LONG ReleaseMonitorLock(MonitorRecord* m) {
  if (__atomic_load_n(&m->lockOwner, __ATOMIC_RELAXED) != GetCurrentThreadId()) return 0;
  LONG depth = m->lockDepth;
  m->lockDepth = 0;
  __atomic_store_n(&m->lockOwner, 0, __ATOMIC_RELAXED);
  for (LONG i = 0; i < depth; ++i) LeaveCriticalSection(&m->lock);
  return depth;
}

void RetakeMonitorLock(MonitorRecord* m, LONG depth) {
  if (depth == 0) return;
  for (LONG i = 0; i < depth; ++i) EnterCriticalSection(&m->lock);
  __atomic_store_n(&m->lockOwner, GetCurrentThreadId(), __ATOMIC_RELAXED);
  m->lockDepth = depth;
}

void SleepUnlocked(MonitorRecord* m, DWORD ms) {
  LONG depth = ReleaseMonitorLock(m);
  Sleep(ms);
  RetakeMonitorLock(m, depth);
}

DWORD WaitUnlocked(MonitorRecord* m, HANDLE h, DWORD ms) {
  LONG depth = ReleaseMonitorLock(m);
  DWORD r = WaitForSingleObject(h, ms);
  RetakeMonitorLock(m, depth);
  return r;
}

}  // namespace langmon
