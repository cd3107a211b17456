// Layer-internal: the kernel's waitable objects (events, mutexes, threads)
// and the one dispatcher lock that guards their state, as on Windows where
// all wait blocks hang off the dispatcher.
#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "kw/handle_table.h"

namespace kw {

struct Waitable {
  HandleKind kind;
  bool signaled = false;     // events; threads and processes once ended
  bool manualReset = false;  // events
  DWORD owner = 0;           // mutexes: owning thread ID, 0 when free
  LONG recursion = 0;        // mutexes: owner's acquisition count
  bool abandoned = false;    // mutexes: owner ended while holding it
  DWORD exitCode = 259;      // threads: STILL_ACTIVE until they end
  DWORD threadId = 0;        // threads
  std::string name;          // named objects (UTF-8), empty when unnamed
  int refs = 0;              // handles and internal holds
  int waiters = 0;           // threads currently waiting on it
};

std::mutex& DispatcherMutex();
// Wakes every waiter so it re-checks its objects; call after changing state.
void DispatcherNotify();
// Waits on the dispatcher until notified or the real deadline passes.
// Returns false on timeout.
bool DispatcherWait(std::unique_lock<std::mutex>& lock, const std::chrono::steady_clock::time_point* deadline);

// All with the dispatcher mutex held.
Waitable* WaitableNew(HandleKind kind);
HANDLE WaitableHandle(Waitable* w);  // one more handle to it
void WaitableUnref(Waitable* w);     // frees it when no handle, hold or waiter remains
Waitable* WaitableFind(const std::string& name);
void WaitableNameAdd(Waitable* w, const std::string& name);
// The waitable object behind a handle (any waitable kind), or nullptr.
Waitable* WaitableFromHandle(HANDLE h);
// Forgets a mutex the calling thread no longer owns.
void ReleaseOwnedMutex(Waitable* w);

// The virtual clock (see kw/hooks_time.h).
int64_t VirtualNowNs();
// Real time that `ms` virtual milliseconds take at the current scale.
std::chrono::nanoseconds RealDuration(DWORD ms);
// Real deadline `ms` virtual milliseconds from now.
std::chrono::steady_clock::time_point RealDeadline(DWORD ms);

// Records a wait made by the calling thread (see kw/hooks_waits.h).
void RecordWait(const char* call, const char* object, DWORD ms);
void WaitsForgetLock(const void* cs);

}  // namespace kw
