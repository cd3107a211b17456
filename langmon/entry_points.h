// The monitor's MONITOR2 functions, as the spooler calls them.
#pragma once
#include "windows.h"

namespace langmon {

BOOL WINAPI OpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName, PHANDLE pHandle,
                       LPMONITOR2 pMonitor);
BOOL WINAPI StartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo);
BOOL WINAPI WritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten);
BOOL WINAPI ReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead);
BOOL WINAPI EndDocPort(HANDLE hPort);
BOOL WINAPI ClosePort(HANDLE hPort);
BOOL WINAPI GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                   DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer, LPDWORD lpcbReturned);
VOID WINAPI Shutdown(HANDLE hMonitor);

}  // namespace langmon

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason,
                                                                       LPVOID reserved);
extern "C" __attribute__((visibility("default"))) LPMONITOR2 WINAPI
InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor);
