// GetPrinterDataFromPort: device I/O controls go to the lower port; the
// monitor answers three named values itself by asking the printer.
#include <cstring>

#include "langmon/entry_points.h"
#include "langmon/operations.h"

namespace langmon {
namespace {

constexpr DWORD kUnknown = 0xFFFFFFFF;
constexpr DWORD kUsbResetAlias = 7;

BOOL Leave(PortRecord* p, BOOL result, DWORD error) {
  LeavePort(p);
  if (!result) SetLastError(error);
  return result;
}

BOOL Forward(PortRecord* p, DWORD control, LPWSTR name, LPWSTR in, DWORD inSize, LPWSTR out, DWORD outSize,
             LPDWORD returned) {
  if (!p->lower.pfnGetPrinterDataFromPort) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  BOOL ok = p->portType == kTypeUsb && control == kUsbResetAlias
                ? p->lower.pfnGetPrinterDataFromPort(p->lowerHandle, IOCTL_USBPRINT_SOFT_RESET, nullptr, nullptr, 0,
                                                     nullptr, 0, returned)
                : p->lower.pfnGetPrinterDataFromPort(p->lowerHandle, control, name, in, inSize, out, outSize,
                                                     returned);
  return Leave(p, ok, GetLastError());
}

BOOL AnswerAdjustDcs(PortRecord* p, LPWSTR out, DWORD outSize, LPDWORD returned) {
  if (!(p->capabilities & 0x2) || !p->cap.adjustDcs) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  char value[256];
  BeginReading(p);
  DWORD n = QueryAdjustDCS(p, value, sizeof value);
  EndReading(p);
  if (n == 0 || n >= sizeof value) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  *returned = n;
  if (!out || outSize < n) return Leave(p, FALSE, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, value, n);
  return Leave(p, TRUE, 0);
}

BOOL AnswerMemory(PortRecord* p, bool installed, const char* name, LPWSTR out, DWORD outSize, LPDWORD returned) {
  if (p->network || !(p->capabilities & 0x2)) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  BeginReading(p);
  DWORD v = installed ? QueryInstalledMemory(p) : QueryAvailableMemory(p);
  EndReading(p);
  if (v == kUnknown) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  *returned = sizeof v;
  if (!out || outSize < sizeof v) return Leave(p, FALSE, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, &v, sizeof v);
  char key[2 * kNameChars];
  lstrcpynA(key, "System\\CurrentControlSet\\Control\\Print\\Printers\\", sizeof key);
  lstrcatA(key, p->printerName);
  lstrcatA(key, "\\PrinterDriverData");
  QueueRegistryWrite(p, reinterpret_cast<HANDLE>(HKEY_LOCAL_MACHINE), key, name, REG_DWORD, &v, sizeof v);
  return Leave(p, TRUE, 0);
}

}  // namespace

BOOL WINAPI GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR pValueName, LPWSTR lpInBuffer,
                                   DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer, LPDWORD lpcbReturned) {
  if (!hPort || !lpcbReturned) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpcbReturned = 0;
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  if (ControlID != 0)
    return Forward(p, ControlID, pValueName, lpInBuffer, cbInBuffer, lpOutBuffer, cbOutBuffer, lpcbReturned);
  if (!pValueName || !(p->flags & kBidiPjl)) return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
  if (lstrcmpiW(pValueName, u"QelXferAdjustDCS") == 0) return AnswerAdjustDcs(p, lpOutBuffer, cbOutBuffer, lpcbReturned);
  if (lstrcmpiW(pValueName, u"Installed Memory") == 0)
    return AnswerMemory(p, true, "Installed Memory", lpOutBuffer, cbOutBuffer, lpcbReturned);
  if (lstrcmpiW(pValueName, u"Available Memory") == 0)
    return AnswerMemory(p, false, "Available Memory", lpOutBuffer, cbOutBuffer, lpcbReturned);
  return Leave(p, FALSE, ERROR_INVALID_PARAMETER);
}

}  // namespace langmon
