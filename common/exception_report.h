// The report of an exception caught by a guard of a driver library: one error
// entry in the Application event log, naming the module that holds the
// exception address. Shared by the rendering and interface libraries, which
// pass their own event source name ("KADU_UM", "KADU_UI") and instance.
#pragma once
#include "windows.h"

// Size of the text buffer, in wide characters with the terminating zero.
constexpr size_t kExceptionReportChars = 387;

// Writes "CODE 0x%08X / DLL %s / BASEADDR 0x%08X / EXCEPTIONADDR 0x%08X / ID %d"
// with event category `category` and event ID the exception code. `self` is
// the reporting library, named when no loaded module holds the address. When
// the source cannot be registered or no module is known, nothing is written.
void ReportException(LPCWSTR source, HMODULE self, WORD category, const EXCEPTION_RECORD* record, SHORT guardId);

// The entry's text. Addresses have at least eight hexadecimal digits and
// more when they need them, so a 64-bit address is never cut.
void FormatExceptionReport(WCHAR (&text)[kExceptionReportChars], DWORD code, LPCWSTR modulePath,
                           ULONG_PTR baseAddress, ULONG_PTR exceptionAddress, SHORT guardId);
