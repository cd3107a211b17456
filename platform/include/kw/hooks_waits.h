// Test hooks that watch critical sections for waits made while they are held.
// A watched lock is a lock that must never be held across a wait (the
// language monitor's lock, for instance); every Sleep and every wait with a
// non-zero timeout made by a thread that owns a watched lock is recorded.
#pragma once
#include <string>
#include <vector>

#include "win/sync.h"

namespace kw::hooks {

struct LockedWait {
  DWORD thread;          // the waiting thread
  std::string call;      // "Sleep", "WaitForSingleObject", "WaitForMultipleObjects"
  std::string object;    // "time", "event", "mutex", "thread", "other"
  DWORD milliseconds;    // the timeout asked for (INFINITE included)
  std::string lock;      // name of the watched lock that was held
  LONG depth;            // the holder's recursion depth at that moment
};

// Starts or stops watching a critical section. Deleting a critical section
// stops watching it.
void WaitsWatchLock(const CRITICAL_SECTION* cs, const char* name);
void WaitsUnwatchLock(const CRITICAL_SECTION* cs);

// Waits recorded so far, oldest first, and a way to start afresh.
std::vector<LockedWait> WaitsWhileLocked();
void WaitsClearRecord();

}  // namespace kw::hooks
