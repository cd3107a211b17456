// Critical sections (recursive) and interlocked operations.
#pragma once
#include "win/base.h"

typedef struct _RTL_CRITICAL_SECTION {
  PVOID DebugInfo;        // the layer's lock object
  LONG LockCount;
  LONG RecursionCount;    // depth of the owning thread
  HANDLE OwningThread;    // thread ID of the owner, 0 when free
  HANDLE LockSemaphore;
  ULONG_PTR SpinCount;
} CRITICAL_SECTION, *LPCRITICAL_SECTION, *PCRITICAL_SECTION;

KW_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
KW_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD spin);
KW_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);
KW_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
KW_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs);
KW_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);

KW_API LONG WINAPI InterlockedIncrement(LONG volatile* p);
KW_API LONG WINAPI InterlockedDecrement(LONG volatile* p);
KW_API LONG WINAPI InterlockedExchange(LONG volatile* p, LONG v);
KW_API LONG WINAPI InterlockedExchangeAdd(LONG volatile* p, LONG v);
KW_API LONG WINAPI InterlockedCompareExchange(LONG volatile* p, LONG exchange, LONG comparand);
KW_API PVOID WINAPI InterlockedExchangePointer(PVOID volatile* p, PVOID v);
KW_API PVOID WINAPI InterlockedCompareExchangePointer(PVOID volatile* p, PVOID exchange, PVOID comparand);

KW_API DWORD WINAPI GetCurrentThreadId(void);
KW_API DWORD WINAPI GetCurrentProcessId(void);
