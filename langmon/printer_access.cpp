// The spooler's printer and job calls the monitor makes (ANSI forms).
#include <cstring>

#include "langmon/operations.h"

namespace langmon {
namespace {

// The two-call protocol: asks for the size, then fills a heap block that the
// caller frees. nullptr when the call fails.
template <typename Call>
BYTE* GetInfo(Call call) {
  DWORD needed = 0;
  if (call(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return nullptr;
  auto* buf = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
  if (!buf) return nullptr;
  if (!call(buf, needed, &needed)) {
    HeapFree(GetProcessHeap(), 0, buf);
    return nullptr;
  }
  return buf;
}

void CopyText(char* out, size_t chars, const char* in) {
  if (!out || chars == 0) return;
  lstrcpynA(out, in ? in : "", int(chars));
}

// A handle to query the printer with: the port's own, or a new one (closed by the caller when `*own`).
HANDLE QueryHandle(PortRecord* p, BOOL* own) {
  *own = FALSE;
  if (p->printer) return p->printer;
  HANDLE h = nullptr;
  if (!p->printerName[0] || !OpenPrinterA(p->printerName, &h, nullptr)) return nullptr;
  *own = TRUE;
  return h;
}

}  // namespace

void ClosePrinterHandle(PortRecord* p) {
  if (p->printer) ClosePrinter(p->printer);
  p->printer = nullptr;
  p->printerAccess = 0;
}

void ReopenPrinter(PortRecord* p) {
  ClosePrinterHandle(p);
  PRINTER_DEFAULTSA all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  if (OpenPrinterA(p->printerName, &h, &all)) {
    p->printer = h;
    p->printerAccess = 2;
  } else if (OpenPrinterA(p->printerName, &h, nullptr)) {
    p->printer = h;
    p->printerAccess = 1;
  }
}

BOOL ReadPrinterInfo(PortRecord* p, char* driverName, size_t driverChars, char* portName, size_t portChars) {
  BOOL own;
  HANDLE h = QueryHandle(p, &own);
  if (!h) return FALSE;
  BYTE* buf = GetInfo([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterA(h, 2, b, cb, n); });
  if (own) ClosePrinter(h);
  if (!buf) return FALSE;
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buf);
  CopyText(driverName, driverChars, info->pDriverName);
  CopyText(portName, portChars, info->pPortName);
  BOOL ok = info->pDriverName && info->pDriverName[0];
  HeapFree(GetProcessHeap(), 0, buf);
  return ok;
}

BOOL ReadDriverFolder(PortRecord* p, char* folder, size_t chars) {
  BOOL own;
  HANDLE h = QueryHandle(p, &own);
  if (!h) return FALSE;
  BYTE* buf = GetInfo([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverA(h, nullptr, 2, b, cb, n); });
  if (own) ClosePrinter(h);
  if (!buf) return FALSE;
  auto* info = reinterpret_cast<DRIVER_INFO_2A*>(buf);
  BOOL ok = FALSE;
  if (info->pDriverPath) {
    const char* cut = std::strrchr(info->pDriverPath, '\\');
    size_t n = cut ? size_t(cut - info->pDriverPath) : 0;
    if (n > 0 && n < chars) {
      std::memcpy(folder, info->pDriverPath, n);
      folder[n] = '\0';
      ok = TRUE;
    }
  }
  HeapFree(GetProcessHeap(), 0, buf);
  return ok;
}

DWORD ReadTransmissionRetryTimeout(PortRecord* p) {
  BOOL own;
  HANDLE h = QueryHandle(p, &own);
  if (!h) return 0;
  BYTE* buf = GetInfo([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterA(h, 5, b, cb, n); });
  if (own) ClosePrinter(h);
  if (!buf) return 0;
  DWORD seconds = reinterpret_cast<PRINTER_INFO_5A*>(buf)->TransmissionRetryTimeout;
  HeapFree(GetProcessHeap(), 0, buf);
  return seconds > 0xFFFFFFFFu / 1000 ? 0xFFFFFFFFu : seconds * 1000;
}

void SetPrinterStatus(PortRecord* p, DWORD status) {
  if (!p->printer || p->printerAccess != 2) return;
  if (SetPrinterA(p->printer, 0, reinterpret_cast<LPBYTE>(&status), PRINTER_CONTROL_SET_STATUS))
    p->flags |= kStatusSet;
}

BOOL JobIsDeleting(PortRecord* p) {
  if (!p->printer) return FALSE;
  BYTE* buf = GetInfo([&](BYTE* b, DWORD cb, DWORD* n) { return GetJobA(p->printer, p->jobId, 1, b, cb, n); });
  if (!buf) return FALSE;
  BOOL deleting = (reinterpret_cast<JOB_INFO_1A*>(buf)->Status & JOB_STATUS_DELETING) != 0;
  HeapFree(GetProcessHeap(), 0, buf);
  return deleting;
}

void TellJob(PortRecord* p, DWORD command) {
  if (p->printer) SetJobA(p->printer, p->jobId, 0, nullptr, command);
}

}  // namespace langmon
