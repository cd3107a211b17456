// EndDocPort: the job ends. Status polling stops, the lower port ends the
// job, the status the monitor set is cleared and the spooler hears that the
// last page is out.
#include <cstring>

#include "langmon/entry_points.h"
#include "langmon/operations.h"

namespace langmon {
namespace {

bool IsWsdPort(const char* name) {
  char prefix[4];
  lstrcpynA(prefix, name, sizeof prefix);
  return lstrcmpiA(prefix, "WSD") == 0;
}

// A job on a USB printer that is being deleted: the printer drops what it
// still holds of it.
void ClearUsbBuffer(PortRecord* p) {
  if (p->portType != kTypeUsb || (p->flags & kFirstWritePending) || p->cap.usbBufferClear != 1) return;
  if (!JobIsDeleting(p)) return;
  const BYTE clear[4] = {1, 0, 0, 0};
  LowerControl(p, IOCTL_USBPRINT_VENDOR_SET_COMMAND, clear, sizeof clear, nullptr, 0, nullptr);
}

}  // namespace

BOOL WINAPI EndDocPort(HANDLE hPort) {
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  if (!(p->flags & kJobActive)) {  // no job to end
    LeavePort(p);
    return TRUE;
  }
  StopStatusThread(p, 100);
  ClearUsbBuffer(p);
  if ((p->flags & kFirstWritePending) && IsWsdPort(p->portName)) {
    static BYTE nothing = 0;
    DWORD n = 0;
    LowerWrite(p, &nothing, 0, &n);  // such ports need one write to end a job
  }
  if (p->lower.pfnEndDocPort) p->lower.pfnEndDocPort(p->lowerHandle);
  if (p->portType == kTypeParallel)
    LowerControl(p, IOCTL_IEEE1284_NEGOTIATE, &p->modes, sizeof p->modes, nullptr, 0, nullptr);
  if ((p->flags & kStatusSet) && p->printerAccess == 2) {
    DWORD none = 0;
    SetPrinterA(p->printer, 0, reinterpret_cast<LPBYTE>(&none), PRINTER_CONTROL_SET_STATUS);
  }
  p->flags &= ~kStatusSet;
  TellJob(p, JOB_CONTROL_LAST_PAGE_EJECTED);
  ClosePrinterHandle(p);
  if (!(p->flags & (kFirstWritePending | kAdjustDcsHandled | kAlarm))) {
    p->jobEndTime = GetTickCount();
    p->jobEnded = TRUE;
  }
  if (p->snmpSession) {
    LONG depth = ReleaseMonitorLock(p->monitor);
    CloseSnmpSession(p);
    RetakeMonitorLock(p->monitor, depth);
  }
  std::memset(&p->cap, 0, sizeof p->cap);
  if (LockBlock(p)) {
    p->block->jobWord &= ~1u;
    UnlockBlock(p);
  }
  p->flags &= ~(kJobActive | kQueryWritten);
  LeavePort(p);
  return TRUE;
}

}  // namespace langmon
