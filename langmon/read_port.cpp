// ReadPort: what the printer sent, straight from the lower port.
#include "langmon/entry_points.h"
#include "langmon/operations.h"

namespace langmon {

BOOL WINAPI ReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  if (!hPort || !pcbRead || (!pBuffer && cbBuffer)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbRead = 0;
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  if (!(p->flags & kPortOpen)) {
    LeavePort(p);
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  BOOL ok = LowerRead(p, pBuffer, cbBuffer, pcbRead);
  DWORD error = GetLastError();
  LeavePort(p);
  if (!ok) SetLastError(error);
  return ok;
}

}  // namespace langmon
