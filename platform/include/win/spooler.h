// Spooler calls of the printing path: the job byte stream of a printer handle.
#pragma once
#include "win/base.h"
#include "win/monitor.h"  // DOC_INFO_1W, shared with the monitors' StartDocPort

// Appends `cbBuf` bytes to the current job of `hPrinter`. `*pcWritten` receives
// the bytes taken. FALSE with the last error set when the handle is not a
// printer, the arguments are bad, or the job's sink fails.
KW_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);

// Documents: StartDocPrinterW starts a job on an open printer; its bytes go
// to pOutputFile when given, else to the spool folder.
#ifndef ERROR_SPL_NO_STARTDOC
#define ERROR_SPL_NO_STARTDOC 3004L
#endif

// Level 1. Returns the job id, or 0 with the last error set.
KW_API DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
KW_API BOOL WINAPI StartPagePrinter(HANDLE hPrinter);
KW_API BOOL WINAPI EndPagePrinter(HANDLE hPrinter);
// FALSE when the job's file could not be completed (a write or the close failed).
KW_API BOOL WINAPI EndDocPrinter(HANDLE hPrinter);
// Ends the job and deletes its file.
KW_API BOOL WINAPI AbortPrinter(HANDLE hPrinter);
