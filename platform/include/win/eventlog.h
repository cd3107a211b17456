// The event log: sources registered on the local computer report entries
// into the Application log of the world folder (docs/event-log.md).
#pragma once
#include "win/base.h"

typedef PVOID PSID;

#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004
#define EVENTLOG_AUDIT_SUCCESS 0x0008
#define EVENTLOG_AUDIT_FAILURE 0x0010

// A server other than the local computer cannot be reached.
#define RPC_S_SERVER_UNAVAILABLE 1722L

// server: null or empty for the local computer. Returns null on failure.
KW_API HANDLE WINAPI RegisterEventSourceW(LPCWSTR server, LPCWSTR source);
KW_API HANDLE WINAPI RegisterEventSourceA(LPCSTR server, LPCSTR source);
KW_API BOOL WINAPI DeregisterEventSource(HANDLE eventLog);
// The user SID is accepted and not recorded. Each insertion string may hold
// up to 31839 characters; strings and data together up to 64 KB.
KW_API BOOL WINAPI ReportEventW(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid,
                                WORD numStrings, DWORD dataSize, LPCWSTR* strings, LPVOID rawData);
KW_API BOOL WINAPI ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid,
                                WORD numStrings, DWORD dataSize, LPCSTR* strings, LPVOID rawData);
