// Spooler calls of the printing path: the job byte stream of a printer handle.
#pragma once
#include "win/base.h"

// Appends `cbBuf` bytes to the current job of `hPrinter`. `*pcWritten` receives
// the bytes taken. FALSE with the last error set when the handle is not a
// printer, the arguments are bad, or the job's sink fails.
KW_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
