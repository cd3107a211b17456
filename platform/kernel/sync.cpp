#include "win/sync.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "kw/hooks_sync.h"

namespace kw {
void WaitsForgetLock(const void* cs);  // thread_wait.cpp: a deleted lock is no longer watched
}

namespace {

thread_local int t_held = 0;

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION cs) { return static_cast<pthread_mutex_t*>(cs->DebugInfo); }

void Acquired(LPCRITICAL_SECTION cs) {
  DWORD self = GetCurrentThreadId();
  if (__atomic_load_n(&cs->RecursionCount, __ATOMIC_RELAXED) == 0) ++t_held;
  __atomic_store_n(&cs->OwningThread, reinterpret_cast<HANDLE>(uintptr_t(self)), __ATOMIC_RELAXED);
  __atomic_add_fetch(&cs->RecursionCount, 1, __ATOMIC_RELAXED);
}

}  // namespace

KW_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  auto* m = static_cast<pthread_mutex_t*>(std::malloc(sizeof(pthread_mutex_t)));
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(m, &attr);
  pthread_mutexattr_destroy(&attr);
  cs->DebugInfo = m;
  cs->LockCount = -1;
  cs->RecursionCount = 0;
  cs->OwningThread = nullptr;
  cs->LockSemaphore = nullptr;
  cs->SpinCount = 0;
}

KW_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD spin) {
  InitializeCriticalSection(cs);
  cs->SpinCount = spin;
  return TRUE;
}

KW_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs->DebugInfo) return;
  kw::WaitsForgetLock(cs);
  pthread_mutex_destroy(MutexOf(cs));
  std::free(cs->DebugInfo);
  cs->DebugInfo = nullptr;
}

KW_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  pthread_mutex_lock(MutexOf(cs));
  Acquired(cs);
}

KW_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  if (pthread_mutex_trylock(MutexOf(cs)) != 0) return FALSE;
  Acquired(cs);
  return TRUE;
}

KW_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  if (__atomic_sub_fetch(&cs->RecursionCount, 1, __ATOMIC_RELAXED) == 0) {
    __atomic_store_n(&cs->OwningThread, nullptr, __ATOMIC_RELAXED);
    --t_held;
  }
  pthread_mutex_unlock(MutexOf(cs));
}

KW_API LONG WINAPI InterlockedIncrement(LONG volatile* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
KW_API LONG WINAPI InterlockedDecrement(LONG volatile* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
KW_API LONG WINAPI InterlockedExchange(LONG volatile* p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
KW_API LONG WINAPI InterlockedExchangeAdd(LONG volatile* p, LONG v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }
KW_API LONG WINAPI InterlockedCompareExchange(LONG volatile* p, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
KW_API PVOID WINAPI InterlockedExchangePointer(PVOID volatile* p, PVOID v) {
  return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}
KW_API PVOID WINAPI InterlockedCompareExchangePointer(PVOID volatile* p, PVOID exchange, PVOID comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}

KW_API DWORD WINAPI GetCurrentThreadId(void) {
  static thread_local DWORD id = DWORD(syscall(SYS_gettid));
  return id;
}
KW_API DWORD WINAPI GetCurrentProcessId(void) { return DWORD(getpid()); }

namespace kw::hooks {
DWORD CriticalSectionOwner(const CRITICAL_SECTION* cs) {
  return DWORD(reinterpret_cast<uintptr_t>(__atomic_load_n(&cs->OwningThread, __ATOMIC_RELAXED)));
}
LONG CriticalSectionDepth(const CRITICAL_SECTION* cs) { return __atomic_load_n(&cs->RecursionCount, __ATOMIC_RELAXED); }
int CriticalSectionsHeldByThisThread() { return t_held; }
}  // namespace kw::hooks
