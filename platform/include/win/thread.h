// Threads, events, mutexes, waits and the tick count.
#pragma once
#include "win/base.h"

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID param);

#define CREATE_SUSPENDED 0x00000004
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000
#define STILL_ACTIVE 259L

#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

#define EVENT_MODIFY_STATE 0x0002
#define EVENT_ALL_ACCESS 0x001F0003
#define MUTEX_ALL_ACCESS 0x001F0001

KW_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                  LPVOID param, DWORD flags, LPDWORD threadId);
KW_API BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

KW_API HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
KW_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
KW_API HANDLE WINAPI OpenEventA(DWORD access, BOOL inherit, LPCSTR name);
KW_API BOOL WINAPI SetEvent(HANDLE event);
KW_API BOOL WINAPI ResetEvent(HANDLE event);

KW_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
KW_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
KW_API HANDLE WINAPI OpenMutexA(DWORD access, BOOL inherit, LPCSTR name);
KW_API BOOL WINAPI ReleaseMutex(HANDLE mutex);

KW_API DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
KW_API DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
KW_API void WINAPI Sleep(DWORD milliseconds);

KW_API DWORD WINAPI GetTickCount(void);
KW_API ULONGLONG WINAPI GetTickCount64(void);
